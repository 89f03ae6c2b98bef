#include "invoicing/ui/frmLaskujenRajaus.h"

#include "ui_frmLaskujenRajaus.h"

#include "ui/DefaultButton.h"
#include "ui/TextBoxHelpers.h"
#include "ui/FormPlacement.h"

#include <QButtonGroup>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QEvent>
#include <QRegularExpressionValidator>

#include <algorithm>

namespace tikkeli {

namespace {

class SelectAllOnFocus : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn)
            if (auto* box = qobject_cast<QLineEdit*>(watched))
                SelectAllText(box);
        return false;
    }
};

} // namespace

frmLaskujenRajaus::frmLaskujenRajaus(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::frmLaskujenRajaus>())
{
    ui->setupUi(this);
    DefaultButtonTakesEnter(this);
    auto* state = new QButtonGroup(this);
    state->addButton(ui->optLaskunTila_0, 0);
    state->addButton(ui->optLaskunTila_1, 1);
    state->addButton(ui->optLaskunTila_2, 2);
    auto* kind = new QButtonGroup(this);
    kind->addButton(ui->optLaskurajaus_0, 0);
    kind->addButton(ui->optLaskurajaus_1, 1);
    kind->addButton(ui->optLaskurajaus_2, 2);
    // Invoice numbers: whole numbers only, so what the print reads is digits or nothing.
    auto* focus = new SelectAllOnFocus(this);
    for (QLineEdit* box : {ui->tLaskunroAlku, ui->tLaskunroLoppu}) {
        box->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), box));
        box->installEventFilter(focus);
    }
    ui->cSeuraava->setDefault(true);
    connect(ui->cSeuraava, &QPushButton::clicked, this, &frmLaskujenRajaus::seuraava);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    RestoreFormPlacement(this);
    AktivoiKaikki();
    showRange();
}

frmLaskujenRajaus::~frmLaskujenRajaus()
{
    SaveFormPlacement(this);
}

void frmLaskujenRajaus::resetToDefaults()
{
    m_range = HistoryRange{};
    AktivoiKaikki();
    showRange();
}

void frmLaskujenRajaus::showRange()
{
    ui->tLaskunroAlku->setText(m_range.LaskunroAlku);
    ui->tLaskunroLoppu->setText(m_range.LaskunroLoppu);
    QRadioButton* const states[] = {ui->optLaskunTila_0, ui->optLaskunTila_1, ui->optLaskunTila_2};
    QRadioButton* const kinds[] = {ui->optLaskurajaus_0, ui->optLaskurajaus_1, ui->optLaskurajaus_2};
    states[std::clamp(m_range.LaskunTila, 0, 2)]->setChecked(true);
    kinds[std::clamp(m_range.LaskunLaji, 0, 2)]->setChecked(true);
}

void frmLaskujenRajaus::DeaktivoiLaskunTila(int v)
{
    QRadioButton* const states[] = {ui->optLaskunTila_0, ui->optLaskunTila_1, ui->optLaskunTila_2};
    if (v >= 0 && v <= 2)
        states[v]->setChecked(true);
    ui->lblLaskunTila->setEnabled(false);
    for (QRadioButton* b : states)
        b->setEnabled(false);
}

void frmLaskujenRajaus::DeaktivoiLaskunLaji(int v)
{
    QRadioButton* const kinds[] = {ui->optLaskurajaus_0, ui->optLaskurajaus_1, ui->optLaskurajaus_2};
    if (v >= 0 && v <= 2)
        kinds[v]->setChecked(true);
    ui->lblLaskunLaji->setEnabled(false);
    for (QRadioButton* b : kinds)
        b->setEnabled(false);
}

void frmLaskujenRajaus::AktivoiKaikki()
{
    for (QWidget* w : findChildren<QWidget*>())
        w->setEnabled(true);
}

bool frmLaskujenRajaus::ask()
{
    // What a cancelled dialog leaves behind is the previous answer, shown again next time.
    const HistoryRange before = m_range;
    const bool answered = exec() == QDialog::Accepted;
    if (!answered) {
        m_range = before;
        showRange();
    }
    return answered;
}

void frmLaskujenRajaus::seuraava()
{
    m_range.LaskunroAlku = ui->tLaskunroAlku->text();
    m_range.LaskunroLoppu = ui->tLaskunroLoppu->text();
    m_range.LaskunTila = ui->optLaskunTila_0->isChecked() ? 0 : ui->optLaskunTila_1->isChecked() ? 1 : 2;
    m_range.LaskunLaji = ui->optLaskurajaus_0->isChecked() ? 0 : ui->optLaskurajaus_1->isChecked() ? 1 : 2;
    accept();
}

} // namespace tikkeli
