#include "app/ui/frmAbout.h"

#include "app/MakerDetails.h"
#include "base/DesktopShell.h"
#include "app/ui/AboutPicture.h"
#include "ui/Twips.h"
#include "base/SharedState.h"
#include "ui/FormPlacement.h"
#include "ui_frmAbout.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QPushButton>

namespace tikkeli {

frmAbout::frmAbout(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::frmAbout>())
{
    ui->setupUi(this);
    setFixedSize(TwipsToPixels(3465, this), TwipsToPixels(6390, this));
    ui->cAbout->setPixmap(AboutPicture(72));
    ui->Label1->setText(MakerDetails::name());
    ui->Label2->setText(MakerDetails::streetAddress());
    ui->Label3->setText(MakerDetails::postalAddress());
    ui->Label9->setText(QStringLiteral("<a href=\"#\">%1</a>").arg(MakerDetails::webAddressText().toHtmlEscaped()));
    ui->Label5->setText(MakerDetails::supportPhone());

    connect(ui->Label4, &QLabel::linkActivated, this, [this] { Label4_Click(); });
    connect(ui->Label9, &QLabel::linkActivated, this, [this] { Label9_Click(); });
    connect(ui->cSulje, &QPushButton::clicked, this, [this] {
        hide();
        QCoreApplication::processEvents();
        accept();
    });

    const SharedState& s = State();
    ui->Label7->setText(QStringLiteral("%1 %2.%3.%4")
                            .arg(s.ProgramTitle)
                            .arg(TIKKELI_VERSION_MAJOR)
                            .arg(TIKKELI_VERSION_MINOR)
                            .arg(TIKKELI_VERSION_PATCH));
    RestoreFormPlacement(this);
    ui->lblRegName->setText(s.ClubName);
}

frmAbout::~frmAbout() = default;

void frmAbout::Label4_Click()
{
    (openTarget ? openTarget : OpenWithShell)(MakerDetails::supportPage());
}

void frmAbout::Label9_Click()
{
    (openTarget ? openTarget : OpenWithShell)(MakerDetails::webAddress());
}

void frmAbout::done(int result)
{
    SaveFormPlacement(this);
    QDialog::done(result);
}

void frmAbout::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::WindowStateChange && (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
    QDialog::changeEvent(e);
}

} // namespace tikkeli
