#include "printing/ui/frmTulostusrajoitukset.h"
#include "ui/DefaultButton.h"
#include "ui_frmTulostusrajoitukset.h"

#include "base/DateInput.h"
#include "base/NullConversions.h"
#include "base/Prompter.h"
#include "ui/FormRegistry.h"
#include "ui/FormPlacement.h"

#include <QButtonGroup>
#include <QEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTimer>

namespace tikkeli {

namespace {

// Read as every date box of the program reads: a day and month alone is no date.
QDate dateOf(const QString& text)
{
    return ReadDate(text.trimmed()).value_or(QDate());
}

} // namespace

frmTulostusrajoitukset* frmTulostusrajoitukset::Instance()
{
    if (QWidget* w = FormRegistry::find(QStringLiteral("frmTulostusrajoitukset")))
        if (auto* d = qobject_cast<frmTulostusrajoitukset*>(w))
            return d;
    return new frmTulostusrajoitukset();
}

frmTulostusrajoitukset::frmTulostusrajoitukset(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmTulostusrajoitukset>())
{
    ui->setupUi(this);
    optVastike = {ui->optVastike_0, ui->optVastike_1, ui->optVastike_2, ui->optVastike_3};
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i)
        group->addButton(optVastike[size_t(i)], i);
    connect(group, &QButtonGroup::idClicked, this, [this] { updateDateBoxes(); });
    for (QLineEdit* e : {ui->tErapaivasta, ui->tErapaivaan})
        e->installEventFilter(this);
    connect(ui->cSeuraava, &QPushButton::clicked, this, &frmTulostusrajoitukset::seuraava);
    // A click on "Seuraava >>" leaves the date box where it is, so a due date that is no date is
    // told rather than emptied unseen as the dialog goes; Tab still reaches the button.
    ui->cSeuraava->setFocusPolicy(Qt::TabFocus);

    VastikeRajaus = -1;
    DefaultButtonTakesEnter(this);
    RestoreFormPlacement(this);
    updateDateBoxes();
}

frmTulostusrajoitukset::~frmTulostusrajoitukset() = default;

bool frmTulostusrajoitukset::dated() const
{
    // The due dates concern annual and season rents only.
    return optVastike[1]->isChecked() || optVastike[2]->isChecked();
}

void frmTulostusrajoitukset::updateDateBoxes()
{
    // A box disabled keeps its text: browsing the options by arrow keys chooses each one in turn,
    // and the dates typed are there again when a dated option is.
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui->lblErapaivasta, ui->tErapaivasta, ui->lblErapaivaan, ui->tErapaivaan})
        w->setEnabled(dated());
}

void frmTulostusrajoitukset::leaveDateBox(QLineEdit* box, QDate& value)
{
    value = dateOf(box->text());
    if (value.isValid())
        box->setText(QLocale().toString(value, QLocale::ShortFormat));
    else
        box->clear();
}

bool frmTulostusrajoitukset::datesAreDates()
{
    if (!dated())
        return true;
    for (QLineEdit* box : {ui->tErapaivasta, ui->tErapaivaan}) {
        const QString typed = box->text().trimmed();
        if (typed.isEmpty() || dateOf(typed).isValid())
            continue;
        const QLabel* label = box == ui->tErapaivasta ? ui->lblErapaivasta : ui->lblErapaivaan;
        ShowWarning(label->text() + QStringLiteral(" \"") + typed
                    + QStringLiteral("\" ei ole päivämäärä. Kirjoita päivämäärä muodossa p.k.vvvv tai jätä kenttä "
                                     "tyhjäksi."));
        box->setFocus(Qt::OtherFocusReason);
        box->selectAll();
        return false;
    }
    return true;
}

void frmTulostusrajoitukset::seuraava()
{
    // A range with an end that is no date would print every row past the other end.
    if (!datesAreDates())
        return;
    VastikeRajaus = -1;
    for (int i = 0; i < 4; ++i)
        if (optVastike[size_t(i)]->isChecked())
            VastikeRajaus = qint16(i + 1);
    // The dates of disabled boxes are not part of the choice.
    ErapaivaAlku = dated() ? dateOf(ui->tErapaivasta->text()) : QDate();
    ErapaivaLoppu = dated() ? dateOf(ui->tErapaivaan->text()) : QDate();
    accept();
}

void frmTulostusrajoitukset::unload()
{
    // The close box means no choice: never leave an earlier answer for the caller to read.
    VastikeRajaus = -1;
    SaveFormPlacement(this);
    setAttribute(Qt::WA_DeleteOnClose);
}

void frmTulostusrajoitukset::reject()
{
    unload();
    QDialog::reject();
    deleteLater();
}

bool frmTulostusrajoitukset::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate || e->type() == QEvent::Show)
        updateDateBoxes();
    return QDialog::event(e);
}

bool frmTulostusrajoitukset::eventFilter(QObject* watched, QEvent* event)
{
    static const QList<Qt::FocusReason> notLeaving{Qt::ActiveWindowFocusReason, Qt::PopupFocusReason,
                                                   Qt::ShortcutFocusReason};
    if (ui && (watched == ui->tErapaivasta || watched == ui->tErapaivaan)) {
        if (event->type() == QEvent::FocusIn)
            QTimer::singleShot(0, static_cast<QLineEdit*>(watched), &QLineEdit::selectAll);
        // Another window taking the focus (the warning about the box) or an Alt letter pressing
        // "Seuraava >>" is no leaving of the box: the text stays for the check.
        else if (event->type() == QEvent::FocusOut && !notLeaving.contains(static_cast<QFocusEvent*>(event)->reason()))
            leaveDateBox(static_cast<QLineEdit*>(watched), watched == ui->tErapaivasta ? ErapaivaAlku : ErapaivaLoppu);
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tikkeli
