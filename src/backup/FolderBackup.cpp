#include "backup/FolderBackup.h"

#include "backup/BackupRestore.h"
#include "backup/BackupRows.h"
#include "base/Clock.h"
#include "base/FileFilters.h"
#include "base/Folders.h"
#include "backup/DatabaseRelease.h"
#include "base/FileSafety.h"
#include "db/DatabaseFiles.h"
#include "base/Prompter.h"
#include "db/Database.h"
#include "db/DatabaseProbe.h"
#include "db/DbError.h"
#include "platform/SettingsError.h"
#include "settings/SettingsLoader.h"
#include "base/SharedState.h"

#include <QCoreApplication>
#include <QDate>
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

QString copyFailedText(const QString& databasePath, const QString& copyPath, const QString& cause)
{
    return QStringLiteral("Tietokantaa ei voida kopioida \nhakemistosta: ") + databasePath
           + QStringLiteral("\nhakemistoon: ") + copyPath + QStringLiteral("\n\nSyy: ") + cause
           + QStringLiteral("\n\nTarkista asetuksista tietokanta ja varmistushakemistot!\nYritä tämän jälkeen uudestaan.");
}

QString compactionFailedText(const QString& description)
{
    return QStringLiteral("Tietokannan uudelleenjärjestely ei onnistunut. Tietokanta on ennallaan.\n") + description;
}

// Only a name ending in ".mdb" gives copy names (".md2", ".md3") that are neither the file itself
// nor some unrelated file of the user's ("club2023" would give last year's "club2022").
bool hasCopyNames(const QString& file)
{
    return file.endsWith(QStringLiteral(".mdb"), Qt::CaseInsensitive) && !QFileInfo(file).completeBaseName().isEmpty();
}

// Why the copies beside the database (the name of the file behind it with ".md2" and ".md3")
// cannot be named.
QString unsuitableNameText(const QString& database, const QString& file)
{
    QString text = QStringLiteral("Tietokannan nimi ei sovi varmuuskopiointiin: ") + database;
    if (file != FileSafety::realLocation(database))
        text += QStringLiteral(" on linkki tiedostoon ") + file + u'.';
    if (hasCopyNames(file))
        text += QStringLiteral("\nTiedoston rinnalla on linkki nimellä, jota varmuuskopiointi käyttää (\".md2\" tai "
                               "\".md3\").");
    else
        text += QStringLiteral("\nVarmuuskopioitavan tietokannan nimen tulee päättyä \".mdb\".");
    return text + QStringLiteral(" Tietokantaan ei tehty muutoksia.");
}

// A file beside the database that a step is about to delete: only a leftover copy of ours may go.
bool removeLeftoverCopy(const QString& path)
{
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return true;
    if (!ProbeDatabaseFile(path).isSQLite()) {
        critical(QStringLiteral("Tiedosto ") + path
                 + QStringLiteral(" ei ole Tikkelin tietokanta, eikä varmuuskopiointi poista sitä. Siirrä tai nimeä "
                                  "tiedosto toiseksi ja yritä uudestaan."));
        return false;
    }
    if (const auto e = FileSafety::instance().remove(path)) {
        critical(compactionFailedText(path + QStringLiteral(": ") + e->text()));
        return false;
    }
    return true;
}

// Step: the copy into the backup folder.
bool copyToBackupFolder(const QString& database, const QString& backupFolder, const QString& copy)
{
    bool copied = false;
    QString cause;
    if (backupFolder.trimmed().isEmpty()) {
        cause = QStringLiteral("varmistushakemistoa ei ole asetettu.");
    } else if (!QFileInfo(backupFolder).isDir()) {
        cause = QStringLiteral("varmistushakemistoa %1 ei ole olemassa.").arg(backupFolder);
    } else if (FolderBackup::isSameFile(copy, database)) {
        cause = QStringLiteral("varmistushakemisto %1 on tietokannan oma hakemisto.").arg(backupFolder);
    } else {
        try {
            BackupDatabase(database, copy);
            copied = true;
        } catch (const DbException& e) {
            cause = e.description();
        }
    }
    letEventsRun();
    if (!copied)
        critical(copyFailedText(database, copy, cause));
    return copied;
}

// Step: marker rows an older version left behind would show as blank rows in every list.
bool removeLeftoverMarkers(const QString& database)
{
    try {
        DeleteBackupRows(database);
        return true;
    } catch (const DbException& e) {
        critical(QStringLiteral("Tietokannan merkintärivien poisto ei onnistunut, joten varmuuskopiointi "
                                "keskeytettiin. Tietokanta on ennallaan.\n")
                 + e.description());
        return false;
    }
}

// Step: the compacted copy beside the database, flushed and verified. The key counters travel with
// it by themselves (AUTOINCREMENT), so no key of a deleted row is handed out again.
bool compactBeside(const QString& database, const QString& compacted, const DatabaseWriteLock& lock)
{
    if (!removeLeftoverCopy(compacted))
        return false;
    std::optional<DbError> error;
    try {
        CompactDatabase(database, compacted, &lock);
    } catch (const DbException& e) {
        error = e.error();
    }
    letEventsRun();
    if (error) {
        FileSafety::instance().remove(compacted);
        critical(compactionFailedText(error->description));
    }
    return !error;
}

// Step: the compacted copy takes the database's name. The previous file first gets its second
// name (.md3) as a hard link, or a copy where the file system has none; then one atomic rename
// puts the compacted file at the database's name, which holds a whole database at every moment.
bool replaceWithCompacted(const QString& database, const QString& compacted, const QString& previous,
                          const DatabaseWriteLock& lock)
{
    FileSafety& files = FileSafety::instance();
    auto giveUp = [&](const QString& text) {
        files.remove(compacted);
        critical(text);
        return false;
    };
    if (!ReleaseDatabase(database)) {
        files.remove(compacted);
        return false;
    }
    // The file alone is not the whole database while a journal waits to be rolled back into it.
    if (HasHotJournal(database))
        return giveUp(QStringLiteral("Tietokannan rinnalla on keskeneräisen muutoksen lokitiedosto, joten tietokantaa ei "
                                     "vaihdettu. Käynnistä Tikkeli uudelleen ja yritä sitten uudestaan."));
    if (!removeLeftoverCopy(previous)) {
        files.remove(compacted);
        return false;
    }
    // A copy is read through the lock's own handle, which another handle's close would unlock.
    // What a stopped copy left beside the previous file goes first.
    if (auto e = files.link(database, previous)) {
        files.removeLeftovers(previous, {QStringLiteral("tiivistys")});
        if (e->number == DbErr::FileExists || (e = lock.copyTo(previous, QStringLiteral("tiivistys"))))
            return giveUp(QStringLiteral("Tietokannan uudelleen nimeäminen ei onnistu.\n") + e->text());
    }
    if (const auto e = files.rename(compacted, database, FileSafety::Existing::Replace))
        return giveUp(QStringLiteral("Korjatun tietokannan uudelleen nimeäminen ei onnistu. Tietokanta on ennallaan.\n")
                      + e->text());
    return true;
}

} // namespace

void FolderBackup::removeLeftovers(const QString& databasePath, const QString& backupFolder)
{
    if (databasePath.isEmpty())
        return;
    FileSafety& files = FileSafety::instance();
    // Each also beside the file behind a link, where the runs over it write.
    files.removeLeftovers(databasePath, {QStringLiteral("tiivistys"), QStringLiteral("korjaus"), BackupRestore::TempTag});
    // The compacted copy's, and the previous file's where a copy stands in for a hard link.
    for (const QString& copy : {compactedPath(databasePath), previousPath(databasePath)}) {
        if (!copy.isEmpty())
            files.removeLeftovers(copy, {QStringLiteral("tiivistys")});
    }
    // A restore goes into the program's own folder unless the user chose another.
    files.removeLeftoversIn(restoreFolder(), {BackupRestore::TempTag});
    if (BackupRestore::targetFolder() != restoreFolder())
        files.removeLeftoversIn(BackupRestore::targetFolder(), {BackupRestore::TempTag});
    if (!backupFolder.isEmpty())
        files.removeLeftovers(backupCopyPath(backupFolder, databasePath), {QStringLiteral("kopio")});
}

QString FolderBackup::backupCopyPath(const QString& backupFolder, const QString& databasePath)
{
    return JoinPath(backupFolder, QFileInfo(databasePath).fileName());
}

namespace {

// The file behind the database's path with its last character replaced, when that file has copy
// names and none of the links on the way has the name; "" when it cannot be made safely.
QString besideName(const QString& databasePath, QChar last)
{
    if (databasePath.isEmpty())
        return {};
    const QStringList chain = FileSafety::linkChain(databasePath);
    if (!hasCopyNames(chain.last()))
        return {};
    const QString name = chain.last().chopped(1) + last;
    return chain.contains(name, Qt::CaseInsensitive) ? QString() : name;
}

} // namespace

QString FolderBackup::compactedPath(const QString& databasePath)
{
    return besideName(databasePath, QLatin1Char('2'));
}

QString FolderBackup::previousPath(const QString& databasePath)
{
    return besideName(databasePath, QLatin1Char('3'));
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
    // A database reached through a link is compacted in place of the file the link points to: a
    // rename over the link would leave the club's own file behind, out of date, and the link
    // turned into a file.
    const QString file = FileSafety::fileBehind(database);
    const QString compacted = compactedPath(database);
    const QString previous = previousPath(database);

    ShowInfo(QStringLiteral("Aloitetaan tietokannan varmuuskopiointi ja uudelleenjärjestely.\nVarmista että kohde ")
             + s.BackupFolder + QStringLiteral(" on valmiina.\nKopiointi kestää hetken..."));

    if (compacted.isEmpty() || previous.isEmpty()) {
        critical(unsuitableNameText(database, file));
        return;
    }
    if (!ReleaseDatabase(database))
        return;
    // The copy is read through the database engine, so another program's saves wait for it or go
    // on before it, and it is whole either way: the club gets its backup even where the
    // reorganisation below cannot be done.
    if (!copyToBackupFolder(database, s.BackupFolder, copy))
        return;
    // The compacted copy takes the file's name: no other program of ours may be left on the file.
    SoleUse sole;
    if (const auto e = BackupRestore::claim(database, sole)) {
        critical(QStringLiteral("Tietokannan uudelleen nimeäminen ei onnistu.\n") + e->description
                 + QStringLiteral("\nVarmuuskopio tehtiin tiedostoon ") + copy
                 + QStringLiteral(", mutta tietokantaa ei järjestetty uudelleen. Tietokantaan ei tehty muutoksia."));
        return;
    }
    if (!removeLeftoverMarkers(database))
        return;
    // From the compaction's read to the rename no other program commits to the file: a commit
    // would go into the file left behind as the previous one, and the club's file would never
    // have it. A save that comes meanwhile waits, or is refused as busy.
    DatabaseWriteLock lock;
    if (const auto e = BackupRestore::lockTarget(database, lock)) {
        critical(compactionFailedText(e->text()));
        return;
    }
    if (!compactBeside(database, compacted, lock))
        return;
    if (!replaceWithCompacted(file, compacted, previous, lock))
        return;
    sole.keepsItsRows();
    lock.release();
    sole.release();
    letEventsRun();
    ShowInfo(QStringLiteral("Tietokannan varmuuskopiointi ja uudelleenjärjestely valmis."));
    SaveBackupDate();
}

namespace {

bool closeWindows()
{
    return !FolderBackup::CloseWindows || FolderBackup::CloseWindows();
}

// The restored file becomes the database: the program ends, saying so, and starts on it next.
void endOnRestored(const QString& target, const QString& kept)
{
    try {
        SaveDatabasePath(target);
    } catch (const SettingsError& e) {
        ShowWarning(QStringLiteral("Tietokannan nimen tallentaminen asetuksiin ei onnistunut:\n") + e.message());
        return;
    }
    ShowInfo(QStringLiteral("Tietokantaa on vaihdettu. ") + State().ProgramTitle
             + QStringLiteral(" sammutetaan ja se tulee käynnistää uudestaan.")
             + (kept.isEmpty() ? QString() : QStringLiteral("\n\nKorvattu tiedosto on tallessa nimellä ") + kept));
    if (FolderBackup::EndProgram)
        FolderBackup::EndProgram();
    else if (QCoreApplication::instance())
        QCoreApplication::quit();
}

} // namespace

void FolderBackup::restore()
{
    const SharedState& s = State();
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
    FileSafety::instance().makeFolder(folder);
    request.folder = folder;
    request.fileName = QFileInfo(*source).fileName();
    // An existing target gets the command's own question, about the name with its extension.
    request.confirmOverwrite = false;
    request.defaultSuffix = QStringLiteral("mdb");

    QString target;
    QString kept;
    bool overDatabaseInUse = false;
    for (;;) {
        const std::optional<QString> chosen = prompter.saveFile(request);
        if (!chosen || chosen->isEmpty())
            return;
        target = *chosen;
        request.folder = QFileInfo(target).absolutePath();
        request.fileName = QFileInfo(target).fileName();

        // Enter keeps the file: the default is "Ei".
        if (QFileInfo::exists(target)
            && prompter.message(QStringLiteral("Tiedosto on jo olemassa, korvataanko varmuuskopiolla?"), MsgIcon::Question,
                                MsgButtons::YesNoDefaultNo, s.ProgramTitle)
                   != MsgResult::Yes)
            continue;
        // Before any window closes: a file another program of ours has open is not replaced.
        SoleUse sole;
        if (const auto e = BackupRestore::claim(target, sole)) {
            ShowWarning(QStringLiteral("Tiedostoa ei voitu korvata:\n") + e->text()
                        + QStringLiteral(" Tiedostoon ei tehty muutoksia."));
            continue;
        }
        overDatabaseInUse = isSameFile(target, s.DatabasePath) || ConnectionRegistry::isOpen(target);
        if (overDatabaseInUse) {
            if (!AskYesNo(QStringLiteral("Varmuuskopio palautetaan käytössä olevan tietokannan päälle:\n\n") + target
                              + QStringLiteral("\n\n") + BackupRestore::safetyCopyNote(target, Today())
                              + QStringLiteral(". Kaikki ikkunat suljetaan ja Tikkeli sammutetaan. Jatketaanko?"),
                          MsgIcon::Question, s.ProgramTitle))
                continue;
            if (!closeWindows())
                return;
        }
        // No other program writes to the file from here until the backup has replaced it, and a
        // journal of a stopped write is in it: the file kept aside is whole.
        DatabaseWriteLock lock;
        if (const auto e = BackupRestore::lockTarget(target, lock)) {
            ShowWarning(QStringLiteral("Tiedostoa ei voitu korvata:\n") + e->text());
            continue;
        }
        // The file being replaced stays beside it, dated, so a wrong choice can be undone.
        kept.clear();
        if (QFileInfo::exists(target)) {
            if (const auto e = BackupRestore::keepSafetyCopy(target, Today(), kept, &lock)) {
                ShowWarning(QStringLiteral("Korvattavan tiedoston varmistus ei onnistunut:\n") + e->text());
                continue;
            }
        }
        // The same road as the stick's restore: through a temporary file.
        if (const auto e = BackupRestore::copyIntoPlace(*source, target, &lock)) {
            if (!kept.isEmpty())
                FileSafety::instance().remove(kept);
            ShowWarning(QStringLiteral("Varmuuskopion kopiointi ei onnistunut:\n") + e->text());
            continue;
        }
        break;
    }

    if (!overDatabaseInUse
        && !AskYesNo(QStringLiteral("Otetaanko palautettu tietokanta käyttöön?"), MsgIcon::Question, s.ProgramTitle))
        return;
    if (!overDatabaseInUse && !closeWindows())
        return;
    endOnRestored(target, kept);
}

} // namespace tikkeli
