#include "app/ui/frmAbout.h"

#include "app/MakerDetails.h"
#include "base/ui/NamedLabel.h"
#include "base/DesktopShell.h"
#include "app/ui/AboutPicture.h"
#include "base/ui/Twips.h"
#include "base/SharedState.h"
#include "settings/ui/FormPlacement.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tikkeli {

namespace {

QLabel* link(QWidget* parent, const QString& name, const QString& text)
{
    auto* l = new QLabel(QStringLiteral("<a href=\"#\">%1</a>").arg(text.toHtmlEscaped()), parent);
    l->setObjectName(name);
    l->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    l->setCursor(Qt::PointingHandCursor);
    return l;
}

} // namespace

frmAbout::frmAbout(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("Tietoja"));
    setFixedSize(TwipsToPixels(3465, this), TwipsToPixels(6390, this));

    auto* layout = new QVBoxLayout(this);

    auto* frame1 = new QFrame(this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    auto* f1 = new QVBoxLayout(frame1);
    auto* picture = new QLabel(frame1);
    picture->setObjectName(QStringLiteral("cAbout"));
    picture->setPixmap(AboutPicture(72));
    picture->setAlignment(Qt::AlignCenter);
    f1->addWidget(picture);
    Label7 = NamedLabel(frame1, QStringLiteral("Label7"), QString());
    Label7->setAlignment(Qt::AlignCenter);
    QFont title(QStringLiteral("Arial"));
    title.setPointSize(12);
    title.setBold(true);
    Label7->setFont(title);
    f1->addWidget(Label7);
    lblRegName = NamedLabel(frame1, QStringLiteral("lblRegName"), QString());
    lblRegName->setAlignment(Qt::AlignCenter);
    f1->addWidget(lblRegName);
    layout->addWidget(frame1);

    auto* frame2 = new QGroupBox(this);
    frame2->setObjectName(QStringLiteral("Frame2"));
    auto* f2 = new QVBoxLayout(frame2);
    f2->addWidget(NamedLabel(frame2, QStringLiteral("Label1"), MakerDetails::name()));
    f2->addWidget(NamedLabel(frame2, QStringLiteral("Label2"), MakerDetails::streetAddress()));
    f2->addWidget(NamedLabel(frame2, QStringLiteral("Label3"), MakerDetails::postalAddress()));
    Label9 = link(frame2, QStringLiteral("Label9"), MakerDetails::webAddressText());
    f2->addWidget(Label9);
    layout->addWidget(frame2);

    auto* frame3 = new QGroupBox(QStringLiteral("Maksullinen käyttötukinumero"), this);
    frame3->setObjectName(QStringLiteral("Frame3"));
    auto* f3 = new QVBoxLayout(frame3);
    f3->addWidget(NamedLabel(frame3, QStringLiteral("Label5"), MakerDetails::supportPhone()));
    Label4 = link(frame3, QStringLiteral("Label4"), QStringLiteral("Lisätietoja käyttötuesta..."));
    f3->addWidget(Label4);
    layout->addWidget(frame3);

    layout->addStretch();
    cSulje = new QPushButton(QStringLiteral("&Sulje"), this);
    cSulje->setObjectName(QStringLiteral("cSulje"));
    layout->addWidget(cSulje, 0, Qt::AlignHCenter);

    connect(Label4, &QLabel::linkActivated, this, [this] { Label4_Click(); });
    connect(Label9, &QLabel::linkActivated, this, [this] { Label9_Click(); });
    connect(cSulje, &QPushButton::clicked, this, [this] {
        hide();
        QCoreApplication::processEvents();
        accept();
    });

    const SharedState& s = State();
    Label7->setText(QStringLiteral("%1 %2.%3.%4")
                        .arg(s.ProgramTitle)
                        .arg(TIKKELI_VERSION_MAJOR)
                        .arg(TIKKELI_VERSION_MINOR)
                        .arg(TIKKELI_VERSION_PATCH));
    RestoreFormPlacement(this);
    lblRegName->setText(s.ClubName);
}

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
