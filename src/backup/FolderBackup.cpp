#include "backup/FolderBackup.h"

#include "backup/BackupRows.h"
#include "base/ErrorHandling.h"
#include "base/FileFilters.h"
#include "base/Folders.h"
#include "backup/DatabaseRelease.h"
#include "db/MaintenanceFileOps.h"
#include "base/Prompter.h"
#include "db/Database.h"
#include "db/DatabaseProbe.h"
#include "db/DbError.h"
#include "settings/SettingsError.h"
#include "settings/SettingsLoader.h"
#include "base/SharedState.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <optional>
#include <sys/stat.h>

namespace tikkeli {

namespace {

const QString RestoreDialogTitle = QStringLiteral("Tikkeli - palautettava tietokanta");

void critical(const QString& text)
{
    Prompter::instance().message(text, MsgIcon::Critical, MsgButtons::Ok, State().ProgramTitle);
}

// Lets waiting window events (painting, timers) run between the long steps; user input waits, so
// no window can start work on the database while its file is being replaced.
void letEventsRun()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// Removes the marker rows; a failure here must not hide the error being reported.
std::optional<DbError> removeMarkers(const QString& databasePath)
{
    try {
        DeleteBackupRows(databasePath);
        return std::nullopt;
    } catch (const DbException& e) {
        return e.error();
    }
}

void removeIfPresent(const QString& path)
{
    if (!QFileInfo(path).exists())
        return;
    // The next run tries again before it compacts.
    IgnoringErrors("folder backup: remove a leftover copy", [&] { MaintenanceFileOps::instance().removeFile(path); });
}

QString copyFailedText(const QString& databasePath, const QString& copyPath, const QString& cause)
{
    return QStringLiteral("Tietokantaa ei voida kopioida \nhakemistosta: ") + databasePath
         + QStringLiteral("\nhakemistoon: ") + copyPath + QStringLiteral("\n\nSyy: ") + cause
         + QStringLiteral("\n\nTarkista asetuksista tietokanta ja varmistushakemistot!\nYritä tämän jälkeen uudestaan.");
}

QString compactionFailedText(const QString& description)
{
    return QStringLiteral("Tietokannan uudelleenjärjestely ei onnistunut. Palauta tietokanta varmuuskopiolta "
                          "ennen kuin jatkat Tikkelin käyttöä.\n")
         + description;
}

} // namespace

QString FolderBackup::backupCopyPath(const QString& backupFolder, const QString& databasePath)
{
    return JoinPath(backupFolder, QFileInfo(databasePath).fileName());
}

QString FolderBackup::compactedPath(const QString& databasePath)
{
    return databasePath.isEmpty() ? QString() : databasePath.chopped(1) + QLatin1Char('2');
}

QString FolderBackup::previousPath(const QString& databasePath)
{
    return databasePath.isEmpty() ? QString() : databasePath.chopped(1) + QLatin1Char('3');
}

QString FolderBackup::restoreFolder()
{
    return UserDataFolder();
}

bool FolderBackup::isSameFile(const QString& a, const QString& b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    struct stat sa {};
    struct stat sb {};
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0 || ::stat(QFile::encodeName(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

void FolderBackup::backup()
{
    const SharedState& s = State();
    const QString database = s.DatabasePath;
    const QString copy = backupCopyPath(s.BackupFolder, database);
    const QString compacted = compactedPath(database);
    const QString previous = previousPath(database);
    MaintenanceFileOps& ops = MaintenanceFileOps::instance();

    ShowInfo(QStringLiteral("Aloitetaan tietokannan varmuuskopiointi ja uudelleenjärjestely.\nVarmista että kohde ")
             + s.BackupFolder + QStringLiteral(" on valmiina.\nKopiointi kestää hetken..."));

    // A name ending in "2" or "3" would make the database its own compacted or previous copy,
    // and the steps below would delete it.
    if (database.isEmpty() || compacted == database || previous == database) {
        critical(QStringLiteral("Tietokannan nimi ei sovi varmuuskopiointiin: ") + database
                 + QStringLiteral("\nTietokannan nimen viimeinen merkki ei saa olla \"2\" tai \"3\"."));
        return;
    }
    if (!ReleaseDatabase(database))
        return;

    bool copied = false;
    QString cause;
    if (s.BackupFolder.trimmed().isEmpty()) {
        cause = QStringLiteral("varmistushakemistoa ei ole asetettu.");
    } else if (!QFileInfo(s.BackupFolder).isDir()) {
        cause = QStringLiteral("varmistushakemistoa %1 ei ole olemassa.").arg(s.BackupFolder);
    } else if (isSameFile(copy, database)) {
        cause = QStringLiteral("varmistushakemisto %1 on tietokannan oma hakemisto.").arg(s.BackupFolder);
    } else {
        try {
            ops.backupDatabase(database, copy);
            copied = true;
        } catch (const DbException& e) {
            cause = e.description();
        }
    }
    letEventsRun();
    if (!copied) {
        critical(copyFailedText(database, copy, cause));
        return;
    }

    std::optional<DbError> error;
    try {
        // The original is in place (it was just copied), so a compacted copy beside it is what an
        // interrupted run left behind.
        if (QFileInfo(compacted).exists())
            ops.removeFile(compacted);
        DeleteBackupRows(database);
        AddBackupRows(database);
        ops.compactDatabase(database, compacted);
    } catch (const DbException& e) {
        error = e.error();
    }
    letEventsRun();
    if (error) {
        removeMarkers(database);
        removeIfPresent(compacted);
        critical(compactionFailedText(error->description));
        return;
    }

    // The compacted copy holds the markers it needs; the original, which is about to become the
    // previous file, should not keep them.
    removeMarkers(database);
    if (!ReleaseDatabase(database)) {
        removeIfPresent(compacted);
        return;
    }

    bool renamed = false;
    try {
        ops.renameFile(database, previous);
        renamed = true;
    } catch (const DbException& e) {
        if (e.number() == DbErr::FileExists) {
            IgnoringErrors("folder backup: keep the previous copy", [&] {
                ops.removeFile(previous);
                ops.renameFile(database, previous);
                renamed = true;
            });
        }
    }
    if (!renamed) {
        removeIfPresent(compacted);
        critical(QStringLiteral("Tietokannan uudelleen nimeäminen ei onnistu."));
        return;
    }

    try {
        ops.renameFile(compacted, database);
    } catch (const DbException&) {
        // Nothing may stay missing at the database's own name: the original goes back.
        try {
            ops.renameFile(previous, database);
        } catch (const DbException&) {
            critical(QStringLiteral("Korjatun tietokannan uudelleen nimeäminen ei onnistu.\n\nTietokanta on nyt nimellä ")
                     + previous + QStringLiteral(". Nimeä se takaisin nimelle ") + database
                     + QStringLiteral(" ennen kuin jatkat Tikkelin käyttöä."));
            return;
        }
        removeIfPresent(compacted);
        critical(QStringLiteral("Korjatun tietokannan uudelleen nimeäminen ei onnistu."));
        return;
    }
    letEventsRun();
    if (const std::optional<DbError> markerError = removeMarkers(database)) {
        critical(compactionFailedText(markerError->description));
        return;
    }

    ShowInfo(QStringLiteral("Tietokannan varmuuskopiointi ja uudelleenjärjestely valmis."));
    SaveBackupDate();
}

void FolderBackup::restore()
{
    const SharedState& s = State();
    MaintenanceFileOps& ops = MaintenanceFileOps::instance();
    Prompter& prompter = Prompter::instance();

    FileDialogRequest request;
    request.title = RestoreDialogTitle;
    request.folder = s.BackupFolder.isEmpty() ? QDir::homePath() : s.BackupFolder;
    request.filter = DatabaseFileFilter();
    const std::optional<QString> source = prompter.openFile(request);
    if (!source || source->isEmpty())
        return;
    // Only one of the program's own databases is worth restoring: anything else would be taken
    // for a damaged database at the next start.
    if (!ProbeDatabaseFile(*source).isSQLite()) {
        ShowWarning(QStringLiteral("Valittu tiedosto ei ole Tikkelin tietokanta:\n") + *source);
        return;
    }

    const QString folder = restoreFolder();
    QDir().mkpath(folder);
    request.folder = folder;
    request.fileName = QFileInfo(*source).fileName();
    // An existing target gets the command's own question after the copy has refused it.
    request.confirmOverwrite = false;

    QString target;
    for (;;) {
        const std::optional<QString> chosen = prompter.saveFile(request);
        if (!chosen || chosen->isEmpty())
            return;
        target = *chosen;
        request.folder = QFileInfo(target).absolutePath();
        request.fileName = QFileInfo(target).fileName();

        if (isSameFile(target, s.DatabasePath) || ConnectionRegistry::isOpen(target)) {
            ShowWarning(QStringLiteral("Tiedosto ") + target
                        + QStringLiteral(" on käytössä oleva tietokanta, eikä sitä voi korvata varmuuskopiolla.\n"
                                         "Valitse toinen tiedoston nimi."));
            continue;
        }
        bool overwrite = false;
        try {
            ops.copyFile(*source, target, false);
            break;
        } catch (const DbException& e) {
            if (e.number() != DbErr::FileExists) {
                ShowWarning(QStringLiteral("Varmuuskopion kopiointi ei onnistunut:\n") + e.description());
                continue;
            }
            overwrite = AskYesNo(QStringLiteral("Tiedosto on jo olemassa, korvataanko varmuuskopiolla?"),
                                 MsgIcon::Question, s.ProgramTitle);
        }
        if (!overwrite)
            continue;
        try {
            ops.copyFile(*source, target, true);
            break;
        } catch (const DbException& e) {
            ShowWarning(QStringLiteral("Varmuuskopion kopiointi ei onnistunut:\n") + e.description());
        }
    }

    if (!AskYesNo(QStringLiteral("Otetaanko palautettu tietokanta käyttöön?"), MsgIcon::Question, s.ProgramTitle))
        return;
    try {
        SaveDatabasePath(target);
    } catch (const SettingsError& e) {
        ShowWarning(QStringLiteral("Tietokannan nimen tallentaminen asetuksiin ei onnistunut:\n") + e.message());
    }
}

} // namespace tikkeli
