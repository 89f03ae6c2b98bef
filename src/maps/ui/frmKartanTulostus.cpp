#include "maps/ui/frmKartanTulostus.h"
#include "ui_frmKartanTulostus.h"

#include "base/Prompter.h"
#include "ui/DefaultButton.h"
#include "ui/TextBoxHelpers.h"
#include "maps/MapPrintLayout.h"
#include "ui/SelectAllOnFocus.h"

#include <QKeyEvent>

namespace tikkeli {

frmKartanTulostus::frmKartanTulostus(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::frmKartanTulostus>())
{
    ui->setupUi(this);
    DefaultButtonTakesEnter(this);
    SelectAllOnFocus(ui->tKartanOtsake);
    SelectAllOnFocus(ui->tMittakaava);
    connect(ui->tMittakaava, &QLineEdit::textChanged, this, [this] { KeepIntegerText(ui->tMittakaava); });
    connect(ui->cTulostaKartta, &QPushButton::clicked, this, &frmKartanTulostus::tulosta);
    connect(ui->cPeru, &QPushButton::clicked, this, &frmKartanTulostus::peru);
    // Enter prints from every control, whatever the style makes the focused button do with it.
    for (QWidget* w : {static_cast<QWidget*>(ui->tKartanOtsake), static_cast<QWidget*>(ui->tMittakaava),
                       static_cast<QWidget*>(ui->optKoko_0), static_cast<QWidget*>(ui->optKoko_1)})
        w->installEventFilter(this);
}

frmKartanTulostus::~frmKartanTulostus() = default;

void frmKartanTulostus::SetMaxScale(qint32 scale)
{
    m_maxScale = scale;
    ui->lblMaxScale->setText(QStringLiteral("1 : %1").arg(scale));
    ui->tMittakaava->setText(QString::number(scale));
}

bool frmKartanTulostus::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            tulosta();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmKartanTulostus::tulosta()
{
    QString why;
    const auto scale = ReadMapPrintScale(ui->tMittakaava->text(), &why);
    if (!scale) {
        ShowInfo(why);
        ui->tMittakaava->setFocus();
        return;
    }
    bool whole = ui->optKoko_0->isChecked();
    if (whole && *scale < m_maxScale) {
        const QString text = QStringLiteral("Annettu mittakaava on tarkempi kuin mittakaava jolla koko kartta "
                                            "tulostuu yhdelle paperille.Tulostus keskittyy näytöllä olevaan "
                                            "alueeseen valitulla mittakaavalla.\r\n\r\nHaluatko jatkaa?");
        if (Prompter::instance().message(text, MsgIcon::Warning, MsgButtons::YesNo) != MsgResult::Yes)
            return;
        whole = false;
    }
    KartanOtsake = ui->tKartanOtsake->text();
    KokoKartta = whole;
    Mittakaava = *scale;
    Peruttu = false;
    accept();
}

void frmKartanTulostus::peru()
{
    Peruttu = true;
    reject();
}

} // namespace tikkeli
