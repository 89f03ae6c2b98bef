#include "app/ui/frmMain.h"

#include "settings/NewDatabase.h"
#include "base/Prompter.h"
#include "app/ui/AboutPicture.h"
#include "app/ui/ProgramIcon.h"
#include "base/ui/FormRegistry.h"
#include "base/ui/Twips.h"
#include "app/ui/frmAbout.h"
#include "app/ui/frmDemoVersion.h"
#include "db/DbError.h"
#include "settings/ui/FormPlacement.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

namespace tikkeli {

namespace {

struct Trap {
    QString prefix;   // shown before the error number; empty = cleared silently
};

// Messages of the openers' error traps. A command without a message of its own reports its failure
// in the same way with a general prefix, so no failure to open a window goes unsaid.
Trap trapOf(MainCommand c)
{
    switch (c) {
    case MainCommand::MemberRegister: return {QStringLiteral("Jäsenrekisteritoiminnon avaamisessa tapahtui virhe: ")};
    case MainCommand::Map: return {QStringLiteral("Karttatoiminnon avaamisessa tapahtui virhe: ")};
    case MainCommand::InvoiceRun: return {QStringLiteral("Laskutustoiminnon avaamisessa tapahtui virhe: ")};
    case MainCommand::FeatureCatalogue: return {QStringLiteral("Ominaisuustoiminnon avaamisessa tapahtui virhe: ")};
    case MainCommand::CatchReport: return {QStringLiteral("Saalisilmoitustoiminnon avaamisessa tapahtui virhe: ")};
    case MainCommand::Contracts:
        return {QStringLiteral("Maanvuokrasopimustoiminnon avaamisessa tapahtui virhe: ")};
    case MainCommand::PaymentBook:
    case MainCommand::Settings:
        return {};
    default:
        return {QStringLiteral("Toiminnon avaamisessa tapahtui virhe: ")};
    }
}

} // namespace

frmMain::frmMain(QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Tikkeli"));
    setWindowIcon(ProgramIcon());
    buildButtons();
    buildMenus();
    askOwnDatabase = [](QWidget* owner) {
        frmDemoVersion chooser(owner);
        chooser.exec();
        return !chooser.UseDemoDatabase;
    };
}

QPushButton* frmMain::commandButton(const QString& name, const QString& caption, MainCommand command)
{
    auto* b = new QPushButton(caption, Frame1->parentWidget());
    b->setObjectName(name);
    b->setMinimumHeight(52);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    b->setEnabled(WindowOpeners::find(command) != nullptr);
    m_commands.emplace_back(b, command);
    connect(b, &QPushButton::clicked, this, [this, command] { RunCommand(command); });
    return b;
}

QAction* frmMain::commandAction(QMenu* menu, const QString& name, const QString& caption, MainCommand command)
{
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    a->setEnabled(WindowOpeners::find(command) != nullptr);
    m_commands.emplace_back(a, command);
    connect(a, &QAction::triggered, this, [this, command] { RunCommand(command); });
    return a;
}

void frmMain::buildButtons()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("painikkeet"));
    auto* bar = new QHBoxLayout(central);
    bar->setContentsMargins(4, 4, 4, 4);
    bar->setSpacing(3);
    Frame1 = new QFrame(central);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::StyledPanel);

    cJasenrekisteri = commandButton(QStringLiteral("cJasenrekisteri"), QStringLiteral("Jäsenrekisteri"),
                                    MainCommand::MemberRegister);
    cJasenmaksut = commandButton(QStringLiteral("cJasenmaksut"), QStringLiteral("Maksukirja"), MainCommand::PaymentBook);
    cLuoJasenmaksut = commandButton(QStringLiteral("cLuoJasenmaksut"), QStringLiteral("Laskutus"), MainCommand::InvoiceRun);
    cOminaisuudet = commandButton(QStringLiteral("cOminaisuudet"), QStringLiteral("Ominaisuudet"),
                                  MainCommand::FeatureCatalogue);
    cVuokraus = commandButton(QStringLiteral("cVuokraus"), QStringLiteral("Maanvuokra"), MainCommand::Contracts);
    cKartta = commandButton(QStringLiteral("cKartta"), QStringLiteral("Kartta"), MainCommand::Map);
    cSaalisilmoitus = commandButton(QStringLiteral("cSaalisilmoitus"), QStringLiteral("Saalisilmoitus"),
                                    MainCommand::CatchReport);
    for (QPushButton* b : {cJasenrekisteri, cJasenmaksut, cLuoJasenmaksut, cOminaisuudet, cVuokraus, cKartta,
                           cSaalisilmoitus})
        bar->addWidget(b, 1);

    auto* frameLayout = new QHBoxLayout(Frame1);
    frameLayout->setContentsMargins(2, 2, 2, 2);
    cAbout = new QToolButton(Frame1);
    cAbout->setObjectName(QStringLiteral("cAbout"));
    cAbout->setIcon(QIcon(AboutPicture(96)));
    cAbout->setIconSize(QSize(44, 44));
    cAbout->setAutoRaise(true);
    cAbout->setToolTip(QStringLiteral("Tietoja"));
    frameLayout->addWidget(cAbout);
    bar->addWidget(Frame1);
    connect(cAbout, &QToolButton::clicked, this, &frmMain::ShowAbout);

    cSulje = new QPushButton(QStringLiteral("Sulje"), central);
    cSulje->setObjectName(QStringLiteral("cSulje"));
    cSulje->setToolTip(QStringLiteral("Sulje Tikkeli [Alt+F4]"));
    cSulje->setMinimumHeight(52);
    cSulje->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    bar->addWidget(cSulje, 1);
    connect(cSulje, &QPushButton::clicked, this, &QWidget::close);
    setCentralWidget(central);

    // The bar keeps its designed width, so its captions are set a little smaller to fit whole in
    // the desktop's wider fonts.
    QFont captionFont = central->font();
    captionFont.setPointSizeF(captionFont.pointSizeF() * 0.92);
    for (QPushButton* b : central->findChildren<QPushButton*>()) {
        b->setFont(captionFont);
        b->setStyleSheet(QStringLiteral("QPushButton { padding: 2px 3px; }"));
        b->setMinimumWidth(QFontMetrics(captionFont).horizontalAdvance(b->text()) + 10);
    }
}

void frmMain::buildMenus()
{
    mTiedosto = menuBar()->addMenu(QStringLiteral("&Tiedosto"));
    mTiedosto->setObjectName(QStringLiteral("mTiedosto"));
    commandAction(mTiedosto, QStringLiteral("mMaanvuokrasopimukset"), QStringLiteral("Maanvuokrasopimukset"),
                  MainCommand::Contracts);
    commandAction(mTiedosto, QStringLiteral("mJasenrekisteri"), QStringLiteral("Jäsenrekisteri"),
                  MainCommand::MemberRegister);
    // The menu's map entry opens the map as its button does.
    commandAction(mTiedosto, QStringLiteral("mKartta"), QStringLiteral("Kartta"), MainCommand::Map);
    commandAction(mTiedosto, QStringLiteral("mJasenmaksut"), QStringLiteral("Maksukirja"), MainCommand::PaymentBook);
    commandAction(mTiedosto, QStringLiteral("mJasenmaksujenluonti"), QStringLiteral("Laskutus"), MainCommand::InvoiceRun);
    commandAction(mTiedosto, QStringLiteral("mPiirteet"), QStringLiteral("Ominaisuudet"), MainCommand::FeatureCatalogue);
    mTiedosto->addSeparator()->setObjectName(QStringLiteral("l1"));
    commandAction(mTiedosto, QStringLiteral("mAsetukset"), QStringLiteral("&Asetukset"), MainCommand::Settings);
    mTiedosto->addSeparator()->setObjectName(QStringLiteral("viiva2"));
    for (auto [name, caption, command] :
         {std::tuple{"mEuroMuunnos", "Tee Euro muunnos", MainCommand::EuroConversion},
          std::tuple{"mPalautaEuroMuunnos", "Palauta Euro muunnos", MainCommand::ReverseEuroConversion}}) {
        QAction* a = commandAction(mTiedosto, QString::fromLatin1(name), QString::fromUtf8(caption), command);
        a->setVisible(false);
        a->setEnabled(false);
    }
    QAction* viiva3 = mTiedosto->addSeparator();
    viiva3->setObjectName(QStringLiteral("viiva3"));
    viiva3->setVisible(false);

    mKopioTikku = mTiedosto->addMenu(QStringLiteral("Varmistus Kopiotikulle"));
    mKopioTikku->setObjectName(QStringLiteral("mKopioTikku"));
    commandAction(mKopioTikku, QStringLiteral("mKopiotikkuVarmistus"), QStringLiteral("Varmuuskopio"),
                  MainCommand::StickBackup);
    commandAction(mKopioTikku, QStringLiteral("mKopiotikkuPalautus"), QStringLiteral("Palautus"),
                  MainCommand::StickRestore);
    commandAction(mKopioTikku, QStringLiteral("mKopioTikkuHallinta"), QStringLiteral("Hallinta"),
                  MainCommand::StickManagement);
    mVarmistusKansioon = mTiedosto->addMenu(QStringLiteral("Varmistus kansioon"));
    mVarmistusKansioon->setObjectName(QStringLiteral("mVarmistusKansioon"));
    commandAction(mVarmistusKansioon, QStringLiteral("mVarmistus"), QStringLiteral("Tietokannan &varmuuskopio"),
                  MainCommand::FolderBackup);
    commandAction(mVarmistusKansioon, QStringLiteral("mPalautus"), QStringLiteral("Tietokannan palautus"),
                  MainCommand::FolderRestore);
    mTiedosto->addSeparator()->setObjectName(QStringLiteral("l2"));
    QAction* mLopetus = mTiedosto->addAction(QStringLiteral("&Sulje"));
    mLopetus->setObjectName(QStringLiteral("mLopetus"));
    connect(mLopetus, &QAction::triggered, this, &QWidget::close);

    mTietokanta = menuBar()->addMenu(QStringLiteral("Tietokanta"));
    mTietokanta->setObjectName(QStringLiteral("mTietokanta"));
    mPerustaTietokanta = mTietokanta->addAction(QStringLiteral("Perusta yhdistyksen tietokanta"));
    mPerustaTietokanta->setObjectName(QStringLiteral("mPerustaTietokanta"));
    mPerustaTietokanta->setVisible(false);
    connect(mPerustaTietokanta, &QAction::triggered, this, &frmMain::PerustaTietokanta);
    commandAction(mTietokanta, QStringLiteral("mTuoCSVTiedot"), QStringLiteral("Tuo jäsentiedot csv-tiedostosta"),
                  MainCommand::ImportMembers);
    mTietokanta->addSeparator()->setObjectName(QStringLiteral("m4"));
    commandAction(mTietokanta, QStringLiteral("mService"), QStringLiteral("Huoltotiedoston lähetys"),
                  MainCommand::SupportFile);
    mTietokanta->addSeparator()->setObjectName(QStringLiteral("m5"));
    commandAction(mTietokanta, QStringLiteral("mMuokkaaTietokantaa"), QStringLiteral("Muokkaa tietokantaa"),
                  MainCommand::ServiceCommandBox);
    commandAction(mTietokanta, QStringLiteral("mSuoritaSQLLause"), QStringLiteral("Suorita SQL-lause"),
                  MainCommand::RunSqlStatement);
    commandAction(mTietokanta, QStringLiteral("mKorjaaTietokanta"), QStringLiteral("Tietokannan korjaus"),
                  MainCommand::RepairDatabase);

    mTietoja = menuBar()->addAction(QStringLiteral("Tietoja"));
    mTietoja->setObjectName(QStringLiteral("mTietoja"));
    connect(mTietoja, &QAction::triggered, this, &frmMain::ShowAbout);
}

void frmMain::applyFixedSize()
{
    // The design's size is the outer size; the window system adds its own title bar to ours.
    const int titleBar = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    setFixedSize(TwipsToPixels(10470, this), TwipsToPixels(1875, this) - titleBar);
}

void frmMain::RefreshCommands()
{
    for (const auto& [control, command] : m_commands) {
        // The euro conversions are maintenance commands, never offered on the main window: run by
        // mistake they would convert every amount in the database.
        if (command == MainCommand::EuroConversion || command == MainCommand::ReverseEuroConversion)
            continue;
        const bool available = WindowOpeners::find(command) != nullptr;
        if (auto* w = qobject_cast<QWidget*>(control))
            w->setEnabled(available);
        else if (auto* a = qobject_cast<QAction*>(control))
            a->setEnabled(available);
    }
}

bool frmMain::Load()
{
    RefreshCommands();
    Startup startup;
    startup.setWindowSize = [this] { applyFixedSize(); };
    startup.restorePlacement = [this] { RestoreFormPlacement(this); };
    m_outcome = startup.run();
    if (m_outcome.endProgram)
        return false;
    setWindowTitle(m_outcome.caption);
    bool keepSample = true;
    if (m_outcome.sampleDatabase && askOwnDatabase(this)) {
        keepSample = false;
        if (CreateNewDatabase(NewDatabaseIntro(), NewDatabaseTemplate()) == NewDatabaseResult::Created)
            return false;
    }
    mPerustaTietokanta->setVisible(m_outcome.sampleDatabase && keepSample);
    return true;
}

void frmMain::RunCommand(MainCommand command)
{
    const WindowOpener* opener = WindowOpeners::find(command);
    if (!opener)
        return;
    const Trap trap = trapOf(command);
    try {
        (*opener)(this);
    } catch (const DbException& e) {
        if (!trap.prefix.isEmpty())
            ShowInfo(trap.prefix + QString::number(e.number()) + QStringLiteral(": ") + e.description());
    } catch (const std::exception& e) {
        if (!trap.prefix.isEmpty())
            ShowInfo(trap.prefix + QString::fromUtf8(e.what()));
    }
}

void frmMain::ShowAbout()
{
    try {
        frmAbout about(this);
        about.exec();
    } catch (const std::exception& e) {
        ShowInfo(QStringLiteral("Toiminnon avaamisessa tapahtui virhe: ") + QString::fromUtf8(e.what()));
    }
}

void frmMain::PerustaTietokanta()
{
    if (CreateNewDatabase(NewDatabaseIntro(), NewDatabaseTemplate()) == NewDatabaseResult::Created)
        EndProgram();
}

bool frmMain::EndProgram()
{
    return close();
}

void frmMain::closeEvent(QCloseEvent* e)
{
    if (!m_ending) {
        // Other windows save their edits and placement in their own close handlers; one that
        // refuses (unsaved changes the user wants to keep) keeps the program running.
        if (!FormRegistry::CloseAllForms(this)) {
            e->ignore();
            return;
        }
        SaveFormPlacement(this);
        m_ending = true;
    }
    e->accept();
    QCoreApplication::quit();
}

void frmMain::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::WindowStateChange && (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
    QMainWindow::changeEvent(e);
}

} // namespace tikkeli
