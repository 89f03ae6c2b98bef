#include "app/Startup.h"

#include "backup/FolderBackup.h"
#include "base/Clock.h"
#include "base/ErrorHandling.h"
#include "settings/GuidedRepair.h"
#include "backup/BackupRows.h"
#include "base/FileSafety.h"
#include "db/DatabaseProbe.h"
#include "base/FileAttributes.h"
#include "base/Prompter.h"
#include "base/ProgramHooks.h"
#include "db/DbError.h"
#include "settings/UpgradeQuestions.h"
#include "platform/IniSettingsStore.h"
#include "settings/SettingsLoader.h"
#include "base/SharedState.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>

namespace tikkeli {

namespace {

void plainMessage(const QString& text)
{
    Prompter::instance().message(text, MsgIcon::None, MsgButtons::Ok);
}

} // namespace

bool IsDemoDatabase(const QString& path)
{
    return path.size() > 9 && path.right(9).toUpper() == QLatin1String("DEMO1.MDB");
}

Startup::Startup() : updateDatabase([](Database& db) { UpdateDatabaseAsking(db); }) {}

int Startup::openDatabase(Database& db, bool offerWritable)
{
    const QString path = State().DatabasePath;
    if (path.isEmpty())
        return DbErr::FileNotFound;
    if (offerWritable && IsReadOnlyFile(path)) {
        ShowInfo(QStringLiteral("Tietokanta on kirjoitussuojatussa tilassa.\n"
                                "Ennen avaamista Tikkelissä sen tulee olla kirjoitettavassa tilassa."));
        if (AskYesNo(QStringLiteral("Haluatko, että Tikkeli muuttaa tietokannan kirjoitettavaan tilaan?"))
            && !ClearFileAttributes(path))
            ShowInfo(QStringLiteral("Kirjoitussuojauksen poistaminen ei jostain syystä onnistunut."));
    }
    try {
        db = Database::open(path);
        return 0;
    } catch (const DbException& e) {
        return e.number() == 0 ? DbErr::Generic : e.number();
    } catch (const std::exception&) {
        return DbErr::Generic;
    }
}

// The "not found" question; true when the user wants the sample database, which is then opened
// with its result in error.
bool Startup::takeNotFoundRoad(Database& db, int& error)
{
    const QString path = State().DatabasePath;
    const QFileInfo fi(path);
    if (!path.isEmpty() && !fi.absoluteDir().exists())
        // Typically a drive that is not plugged in: nothing is wrong with the database itself.
        ShowInfo(QStringLiteral("Tietokannan kansiota ei löydy: ") + QDir::toNativeSeparators(fi.absolutePath())
                 + QStringLiteral("\nJos tietokanta on irrotettavalla levyllä, liitä levy ja käynnistä Tikkeli "
                                  "uudelleen.\nNykyinen nimi: ")
                 + path);
    else
        ShowInfo(QStringLiteral("Tietokantaa ei löydy, korjaa asetuksista tietokannan nimi\nNykyinen nimi: ") + path);
    if (!AskYesNo(QStringLiteral("Yritetäänkö avata oletustietokanta?")))
        return false;
    // The user's own copy of the sample: the program folder may not be writable.
    EnsureSampleDatabaseCopy();
    State().DatabasePath = SampleDatabasePath();
    error = openDatabase(db, false);
    return true;
}

bool Startup::offerLeftoverCopy(Database& db, int& error)
{
    const QString path = State().DatabasePath;
    // Through a link, the copies lie beside the file it points to, and the copy taken becomes
    // that file: the link stays.
    const QString file = FileSafety::fileBehind(path);
    if (!QFileInfo(file).absoluteDir().exists())
        return false;
    // A backup stopped by an older version between its two renames left the database only under
    // these names: the compacted copy (".md2") or the previous file (".md3").
    for (const QString& copy : {FolderBackup::compactedPath(path), FolderBackup::previousPath(path)}) {
        if (copy.isEmpty() || !QFileInfo::exists(copy) || !ProbeDatabaseFile(copy).isSQLite())
            continue;
        if (!AskYesNo(QStringLiteral("Tietokantaa ei löydy nimellä %1, mutta sen kopio on tallessa nimellä %2.\n\n"
                                     "Otetaanko kopio käyttöön tietokannan nimellä?")
                          .arg(path, copy)))
            continue;
        if (const auto e = FileSafety::instance().copyFile(copy, file, FileSafety::Existing::Keep)) {
            ShowWarning(QStringLiteral("Kopion ottaminen käyttöön ei onnistunut: ") + e->text());
            return false;
        }
        error = openDatabase(db, false);
        return true;
    }
    return false;
}

void Startup::showInUseMessage()
{
    const QString text =
        QStringLiteral("Tietokantatiedosto: ") + State().DatabasePath + QStringLiteral(" on jo käytössä,\n")
        + QStringLiteral("tai\n")
        + QStringLiteral("Tietokantahakemistoon tai tietokantatiedostoon ei ole kirjoitusoikeuksia.\n\n")
        + QStringLiteral("Jos käytät Tikkeliä tässä tietokoneessa ensimmäistä kertaa, kyse on todennäköisesti \n")
        + QStringLiteral("kirjoitusoikeuksien puuttumisesta. Näytä tämä ilmoitus tietokoneen pääkäyttäjälle.\n")
        + QStringLiteral("Lisätietoja Tikkelin vaatimista käyttöoikeuksista saat ohjelman toimittajalta.\n\n")
        + QStringLiteral("Jos Tikkeli on toiminut tietokoneessa aiemmin, käynnistä tietokone uudestaan.\n")
        + QStringLiteral("Uudelleenkäynnistys saattaa korjata ongelman.");
    Prompter::instance().message(text, MsgIcon::Critical, MsgButtons::Ok);
    plainMessage(QStringLiteral("Tikkeli suljetaan."));
}

bool Startup::repairDatabase()
{
    return RunGuidedRepair(State().DatabasePath);
}

// Each step of the start-up below that fails skips the rest of that step only: a failure never
// decides which road the open takes.
void Startup::successRoad(Database& db, bool sampleOpened)
{
    SharedState& s = State();
    IgnoringErrors("start-up: upgrade", [&] { updateDatabase(db); });
    // Marker rows a backup of an older version left behind would show as blank rows everywhere;
    // a file no program has written since this one closed it cannot hold them.
    try {
        if (m_untouchedPath.isEmpty() || m_untouchedPath != s.DatabasePath)
            DeleteBackupRows(db);
    } catch (const DbException& e) {
        ShowWarning(QStringLiteral("Tietokannan ylimääräisten merkintärivien poisto ei onnistunut:\n") + e.description());
    }
    if (sampleOpened)
        IgnoringErrors("start-up: save the sample path", [&] { SaveDatabasePath(s.DatabasePath); });
    IgnoringErrors("start-up: load settings", [&] { LoadSettings(db, true); });
    FollowReplacedSettings();
    db.close();
    remindBackup();
}

void Startup::remindBackup()
{
    const SharedState& s = State();
    if (!s.RemindBackup || !s.LastBackupDate.isValid())
        return;
    const qint64 days = qAbs(Today().daysTo(s.LastBackupDate.date()));
    if (days > s.BackupReminderDays)
        ShowInfo(QStringLiteral("Varmuuskopion tekemisestä on yli %1 päivää.\n\nMuista tehdä varmuuskopio!")
                     .arg(s.BackupReminderDays));
}

StartupOutcome Startup::run()
{
    StartupOutcome out;
    SharedState& s = State();
    s.IniFileName = QStringLiteral("Tikkeli.ini");
    s.ProgramTitle = QStringLiteral("Tikkeli");
    if (setWindowSize)
        IgnoringErrors("start-up: window size", setWindowSize);
    // An ini that is there but cannot be read would make the program start on the sample database
    // as if it had none, and write over the ini: it is reported instead, and nothing is touched.
    if (const auto why = ProgramIniStore().unreadable()) {
        ShowWarning(*why + QStringLiteral("\n\nKorjaa asetustiedosto ja käynnistä Tikkeli uudelleen. Tikkeli suljetaan."));
        out.endProgram = true;
        return out;
    }
    // An ini larger than any the program writes is not read (it would take seconds and gigabytes)
    // nor written over: the program starts on the defaults and says so.
    if (const auto why = ProgramIniStore().tooLarge())
        ShowWarning(*why + QStringLiteral("\n\nTikkeli käynnistyy oletusasetuksin eikä muuta asetustiedostoa."));
    IgnoringErrors("start-up: read database paths", [] { ReadDatabasePaths(); });
    // Looked at before anything of the start-up writes to the file.
    m_untouchedPath.clear();
    IgnoringErrors("start-up: compare the file with its last close", [&] {
        if (UntouchedSinceCleanClose(s.DatabasePath))
            m_untouchedPath = s.DatabasePath;
    });
    IgnoringErrors("start-up: remove what stopped runs left", [&s] {
        ProgramIniStore().removeLeftovers();
        FolderBackup::removeLeftovers(s.DatabasePath, s.BackupFolder);
    });
    // One connection for the whole start-up: the settings check and the open below share it, so
    // the file is checked once. It opens only a healthy, writable file; every road of step 8 still
    // starts from its own open, except a file in use: each open of it waits for another program's
    // whole-file step, and one wait is enough to tell.
    Database startupConnection;
    int inUse = 0;
    IgnoringErrors("start-up: shared connection", [&] {
        if (s.DatabasePath.isEmpty() || IsReadOnlyFile(s.DatabasePath))
            return;
        try {
            startupConnection = Database::open(s.DatabasePath);
        } catch (const DbException& e) {
            if (e.number() == DbErr::InUseOrReadOnly || e.number() == DbErr::Locked)
                inUse = e.number();
            throw;
        }
    });

    bool migrated = false;
    if (!inUse)
        IgnoringErrors("start-up: settings into the database", [&] { migrated = EnsureSettingsInDatabase(); });
    if (migrated) {
        out.endProgram = true;
        return out;
    }
    if (ProgramHooks::ResetReportControl)
        IgnoringErrors("start-up: reset the report control", ProgramHooks::ResetReportControl);
    s.PrintCopies = 1;
    if (restorePlacement)
        IgnoringErrors("start-up: restore the window placement", restorePlacement);

    Database db;
    int error = inUse ? inUse : openDatabase(db, true);
    bool sampleOpened = false;
    bool repairTried = false;
    bool leftoverOffered = false;
    for (;;) {
        if (error == 0) {
            successRoad(db, sampleOpened);
            out.databaseLoaded = true;
            break;
        }
        if (error == DbErr::FileNotFound || error == DbErr::PathNotFound) {
            if (!sampleOpened && !leftoverOffered) {
                leftoverOffered = true;
                if (offerLeftoverCopy(db, error))
                    continue;
            }
            if (!takeNotFoundRoad(db, error))
                break;
            sampleOpened = true;
            continue;
        }
        // A file another program holds locked is in use, never damaged. The sample is the user's
        // own writable copy, holding what the user typed into it: a program left running on it
        // without its settings would store defaults over them.
        if (error == DbErr::InUseOrReadOnly || error == DbErr::Locked) {
            showInUseMessage();
            out.endProgram = true;
            return out;
        }
        if (error == DbErr::AccessDatabase) {
            ShowWarning(QStringLiteral("Tiedosto %1 on vanhan Tikkelin Access-tietokanta, jota tämä versio ei "
                                       "osaa avata. Tiedostoon ei ole koskettu.\n\nValitse asetuksista Tikkelin "
                                       "tietokanta.")
                            .arg(s.DatabasePath));
            break;
        }
        if (error == DbErr::NotADatabase) {
            ShowWarning(QStringLiteral("Tiedosto %1 ei ole Tikkelin tietokanta. Tiedostoon ei ole koskettu.\n\n"
                                       "Valitse asetuksista Tikkelin tietokanta.")
                            .arg(s.DatabasePath));
            break;
        }
        // Only a database found damaged goes to the repair; any other failure is reported as it is.
        if (error != DbErr::Damaged) {
            ShowWarning(QStringLiteral("Tietokantaa %1 ei voitu avata (virhe %2). Tiedostoon ei ole koskettu.")
                            .arg(s.DatabasePath)
                            .arg(error));
            break;
        }
        // A damaged database: one repair, then the open again, so a repaired file takes the
        // success road and its settings are loaded before anything can save over them.
        if (repairTried || !repairDatabase())
            break;
        repairTried = true;
        error = openDatabase(db, false);
    }

    out.caption = s.ProgramTitle + QStringLiteral(" - ") + s.ClubName;
    if (ProgramHooks::ResetReportFormulas)
        IgnoringErrors("start-up: reset the report formulas", ProgramHooks::ResetReportFormulas);
    db.close();
    startupConnection.close();
    out.sampleDatabase = IsDemoDatabase(s.DatabasePath);
    return out;
}

} // namespace tikkeli
