#include "app/ui/frmMain.h"

#include "backup/BackupRows.h"
#include "base/ErrorHandling.h"
#include "base/SharedState.h"

#include "settings/NewDatabase.h"
#include "base/Prompter.h"
#include "app/ui/AboutPicture.h"
#include "app/ui/ProgramIcon.h"
#include "ui/FormRegistry.h"
#include "ui/Twips.h"
#include "app/ui/frmAbout.h"
#include "app/ui/frmDemoVersion.h"
#include "ui_frmMain.h"
#include "db/DbError.h"
#include "ui/FormPlacement.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QFrame>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

namespace tikkeli {

namespace {

struct Trap {
    QString prefix; // shown before the error number; empty = cleared silently
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
    case MainCommand::Contracts: return {QStringLiteral("Maanvuokrasopimustoiminnon avaamisessa tapahtui virhe: ")};
    case MainCommand::PaymentBook:
    case MainCommand::Settings: return {};
    default: return {QStringLiteral("Toiminnon avaamisessa tapahtui virhe: ")};
    }
}

} // namespace

frmMain::frmMain(QWidget* parent) : QMainWindow(parent), ui(std::make_unique<Ui::frmMain>())
{
    ui->setupUi(this);
    setWindowIcon(ProgramIcon());
    ui->cAbout->setIcon(QIcon(AboutPicture(96)));
    fitCaptions();
    wireCommands();
    connect(ui->cAbout, &QToolButton::clicked, this, &frmMain::ShowAbout);
    connect(ui->cSulje, &QPushButton::clicked, this, &QWidget::close);
    connect(ui->mLopetus, &QAction::triggered, this, &QWidget::close);
    connect(ui->mPerustaTietokanta, &QAction::triggered, this, &frmMain::PerustaTietokanta);
    connect(ui->mTietoja, &QAction::triggered, this, &frmMain::ShowAbout);
    askOwnDatabase = [](QWidget* owner) {
        frmDemoVersion chooser(owner);
        chooser.exec();
        return !chooser.UseDemoDatabase;
    };
}

frmMain::~frmMain() = default;

void frmMain::wireCommands()
{
    const std::pair<QPushButton*, MainCommand> buttons[] = {
        {ui->cJasenrekisteri, MainCommand::MemberRegister},
        {ui->cJasenmaksut, MainCommand::PaymentBook},
        {ui->cLuoJasenmaksut, MainCommand::InvoiceRun},
        {ui->cOminaisuudet, MainCommand::FeatureCatalogue},
        {ui->cVuokraus, MainCommand::Contracts},
        {ui->cKartta, MainCommand::Map},
        {ui->cSaalisilmoitus, MainCommand::CatchReport},
    };
    for (const auto& [button, command] : buttons) {
        m_commands.emplace_back(button, command);
        connect(button, &QPushButton::clicked, this, [this, command = command] { RunCommand(command); });
    }
    // The menu's map entry opens the map as its button does.
    const std::pair<QAction*, MainCommand> actions[] = {
        {ui->mMaanvuokrasopimukset, MainCommand::Contracts},
        {ui->mJasenrekisteri, MainCommand::MemberRegister},
        {ui->mKartta, MainCommand::Map},
        {ui->mJasenmaksut, MainCommand::PaymentBook},
        {ui->mJasenmaksujenluonti, MainCommand::InvoiceRun},
        {ui->mPiirteet, MainCommand::FeatureCatalogue},
        {ui->mAsetukset, MainCommand::Settings},
        {ui->mEuroMuunnos, MainCommand::EuroConversion},
        {ui->mPalautaEuroMuunnos, MainCommand::ReverseEuroConversion},
        {ui->mKopiotikkuVarmistus, MainCommand::StickBackup},
        {ui->mKopiotikkuPalautus, MainCommand::StickRestore},
        {ui->mKopioTikkuHallinta, MainCommand::StickManagement},
        {ui->mVarmistus, MainCommand::FolderBackup},
        {ui->mPalautus, MainCommand::FolderRestore},
        {ui->mTuoCSVTiedot, MainCommand::ImportMembers},
        {ui->mService, MainCommand::SupportFile},
        {ui->mMuokkaaTietokantaa, MainCommand::ServiceCommandBox},
        {ui->mSuoritaSQLLause, MainCommand::RunSqlStatement},
        {ui->mKorjaaTietokanta, MainCommand::RepairDatabase},
    };
    for (const auto& [action, command] : actions) {
        m_commands.emplace_back(action, command);
        connect(action, &QAction::triggered, this, [this, command = command] { RunCommand(command); });
    }
    RefreshCommands();
}

void frmMain::fitCaptions()
{
    // The bar keeps its designed width, so its captions are set a little smaller to fit whole in
    // the desktop's wider fonts.
    QFont captionFont = ui->painikkeet->font();
    captionFont.setPointSizeF(captionFont.pointSizeF() * 0.92);
    for (QPushButton* b : ui->painikkeet->findChildren<QPushButton*>()) {
        b->setFont(captionFont);
        b->setMinimumWidth(QFontMetrics(captionFont).horizontalAdvance(b->text().remove(QLatin1Char('&'))) + 10);
    }
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
    ui->mPerustaTietokanta->setVisible(m_outcome.sampleDatabase && keepSample);
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
        // The next start sees whether any program has written to the file since.
        IgnoringErrors("close: remember the database file", [] { RememberCleanClose(State().DatabasePath); });
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
