#pragma once

#include <functional>

class QWidget;

namespace tikkeli {

// Commands of the main window that open another subsystem's window or run its command.
enum class MainCommand {
    MemberRegister,        // cJasenrekisteri, mJasenrekisteri: frmJasen
    PaymentBook,           // cJasenmaksut, mJasenmaksut: frmMaksut
    InvoiceRun,            // cLuoJasenmaksut, mJasenmaksujenluonti: frmMaksujenLuonti
    FeatureCatalogue,      // cOminaisuudet, mPiirteet: frmPiirre
    Contracts,             // cVuokraus, mMaanvuokrasopimukset: frmVuokra
    Map,                   // cKartta, mKartta: frmKartta
    CatchReport,           // cSaalisilmoitus: frmSaalisilmoitus
    Settings,              // mAsetukset: frmAsetukset
    StickBackup,           // mKopiotikkuVarmistus: frmBackup
    StickRestore,          // mKopiotikkuPalautus: frmBackupRestore
    StickManagement,       // mKopioTikkuHallinta: frmBackupManagement
    FolderBackup,          // mVarmistus
    FolderRestore,         // mPalautus
    ImportMembers,         // mTuoCSVTiedot: frmImportData
    SupportFile,           // mService: frmService (modal)
    ServiceCommandBox,     // mMuokkaaTietokantaa
    RunSqlStatement,       // mSuoritaSQLLause
    RepairDatabase,        // mKorjaaTietokanta
    EuroConversion,        // mEuroMuunnos (hidden)
    ReverseEuroConversion, // mPalautaEuroMuunnos (hidden)
};

// Opens the command's window (modeless ones through FormRegistry::open, so a second click brings
// the same window forward) or runs the command. The main window is passed as owner. A DbException
// or other exception thrown here is reported by the main window with the command's message prefix.
using WindowOpener = std::function<void(QWidget* mainWindow)>;

// The openers the main window's buttons and menu entries run. An entry without an opener is shown
// disabled.
class WindowOpeners {
public:
    static void set(MainCommand command, WindowOpener opener);
    static const WindowOpener* find(MainCommand command);
    static void clear();
};

} // namespace tikkeli
