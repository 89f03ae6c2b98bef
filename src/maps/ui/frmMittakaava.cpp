#include "maps/ui/frmMittakaava.h"

#include "base/Prompter.h"
#include "ui/DefaultButton.h"
#include "ui/TextBoxHelpers.h"
#include "maps/MapScale.h"
#include "ui/FormPlacement.h"

#include "ui_frmMittakaava.h"

#include <QEvent>
#include <QTimer>

namespace tikkeli {

frmMittakaava::frmMittakaava(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::frmMittakaava>())
{
    ui->setupUi(this);
    DefaultButtonTakesEnter(this);
    setObjectName(QStringLiteral("frmMittakaava"));
    connect(ui->cOK, &QPushButton::clicked, this, &frmMittakaava::cOK_Click);
    connect(ui->cPeruuta, &QPushButton::clicked, this, &frmMittakaava::cPeruuta_Click);
    connect(ui->tScale, &QLineEdit::textChanged, this, [this] { KeepIntegerText(ui->tScale); });
    ui->tScale->installEventFilter(this);
    RestoreFormPlacement(this);
}

frmMittakaava::~frmMittakaava() = default;

void frmMittakaava::SetScaleValue(qint32 value)
{
    m_scaleValue = value;
    ui->tScale->setText(QString::number(value));
}

void frmMittakaava::cOK_Click()
{
    const auto value = ScaleFromText(ui->tScale->text());
    if (!value) {
        ShowInfo(QStringLiteral("Mittakaavan pitää olla positiivinen kokonaisluku."));
        ui->tScale->setFocus();
        SelectAllText(ui->tScale);
        return;
    }
    m_scaleValue = *value;
    m_okPressed = true;
    accept();
}

void frmMittakaava::cPeruuta_Click()
{
    reject();
}

void frmMittakaava::done(int result)
{
    // Every way out but OK (Peruuta, Esc, the close box) leaves the scale as it was given.
    if (result != Accepted)
        m_okPressed = false;
    SaveFormPlacement(this);
    QDialog::done(result);
}

bool frmMittakaava::eventFilter(QObject* watched, QEvent* event)
{
    if (ui && watched == ui->tScale && event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, ui->tScale, [box = ui->tScale] { SelectAllText(box); });
    return QDialog::eventFilter(watched, event);
}

} // namespace tikkeli
