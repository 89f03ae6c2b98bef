#include "backup/BackupRestore.h"

#include "base/Folders.h"
#include "db/DatabaseFiles.h"
#include "db/DatabaseProbe.h"
#include "db/DbError.h"
#include "base/FileSafety.h"
#include "db/Database.h"
#include "base/SharedState.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <unistd.h>

namespace tikkeli {

const QString BackupRestore::TempTag = QStringLiteral("palautus");

namespace {

std::optional<BackupError> removeFile(const QString& path)
{
    return FileSafety::instance().remove(path);
}

BackupError inUse()
{
    return {FileErr::PermissionDenied, QStringLiteral("Tiedosto on ohjelman käytössä")};
}

} // namespace

QString BackupRestore::targetFolder()
{
    return JoinPath(DocumentsFolder(), State().ProgramTitle);
}

QString BackupRestore::targetFor(const QString& source)
{
    return JoinPath(targetFolder(), QFileInfo(source).fileName());
}

std::optional<BackupError> BackupRestore::makeTargetFolder()
{
    return FileSafety::instance().makeFolder(targetFolder());
}

bool BackupRestore::isInUse(const QString& path)
{
    if (!State().DatabasePath.isEmpty() && FileSafety::fileBehind(State().DatabasePath) == FileSafety::fileBehind(path))
        return true;
    return QFileInfo::exists(path) && ConnectionRegistry::isOpen(path) && !ConnectionRegistry::closeAll(path);
}

QString BackupRestore::safetyCopyPath(const QString& target, const QDate& day)
{
    const QFileInfo fi(FileSafety::fileBehind(target));
    const QString suffix = fi.suffix().isEmpty() ? QString() : u'.' + fi.suffix();
    const QString stem = fi.completeBaseName() + QStringLiteral("_ennen_palautusta_")
                         + day.toString(QStringLiteral("yyyy-MM-dd"));
    for (int n = 1;; ++n) {
        const QString candidate = fi.absoluteDir().filePath(stem + (n > 1 ? QStringLiteral("_%1").arg(n) : QString())
                                                            + suffix);
        if (!QFileInfo::exists(candidate) && !QFileInfo(candidate).isSymLink())
            return candidate;
    }
}

QString BackupRestore::safetyCopyNote(const QString& target, const QDate& day)
{
    const QFileInfo kept(safetyCopyPath(target, day));
    if (kept.absolutePath() == QFileInfo(FileSafety::realLocation(target)).absolutePath())
        return QStringLiteral("Nykyinen tietokanta säilytetään samassa kansiossa nimellä ") + kept.fileName();
    return QStringLiteral("Nykyinen tietokanta säilytetään nimellä ") + QDir::toNativeSeparators(kept.absoluteFilePath());
}

std::optional<BackupError> BackupRestore::keepSafetyCopy(const QString& target, const QDate& day, QString& kept,
                                                         const DatabaseWriteLock* lock)
{
    FileSafety& files = FileSafety::instance();
    const QString file = FileSafety::fileBehind(target);
    const QString path = safetyCopyPath(file, day);
    // A link of the file itself: a hard link to a symbolic link would keep only the link.
    auto error = QFileInfo(file).isSymLink() ? FileError::fromErrno(ELOOP) : files.link(file, path);
    if (error && error->number != DbErr::FileExists) {
        // Without hard links, a copy: made under a name beside the target, where the next restore
        // to it finds what a stopped one left, and then given the kept name.
        const QString temp = FileSafety::temporaryName(file, TempTag);
        error = lock && lock->held() ? lock->copyTo(temp, TempTag)
                                     : files.copyFile(file, temp, FileSafety::Existing::Keep, TempTag);
        if (!error && (error = files.rename(temp, path, FileSafety::Existing::Keep)))
            files.remove(temp);
    }
    if (!error)
        kept = path;
    return error;
}

std::optional<BackupError> BackupRestore::lockTarget(const QString& link, DatabaseWriteLock& lock)
{
    lock.release();
    const QString target = FileSafety::fileBehind(link);
    if (!QFileInfo::exists(target))
        return std::nullopt;
    // Every handle of the program's own goes first; one in the middle of a save keeps the file.
    if (!ConnectionRegistry::closeAll(target))
        return inUse();
    if (ProbeDatabaseFile(target).isSQLite()) {
        try {
            lock = DatabaseWriteLock::take(target, WriterWaitMs);
            return std::nullopt;
        } catch (const DbException& e) {
            if (e.number() == DbErr::Locked)
                return BackupError{DbErr::Locked,
                                   QStringLiteral("Toinen ohjelma tallentaa parhaillaan tähän tietokantaan, joten sitä "
                                                  "ei voi nyt korvata. Odota, että tallennus päättyy, ja yritä "
                                                  "uudestaan. Tiedostoon ei tehty muutoksia.")};
            if (e.number() == FileErr::PermissionDenied)
                return BackupError{e.number(), e.description() + QStringLiteral(" Tiedostoon ei tehty muutoksia.")};
        }
    }
    // A file SQLite cannot open keeps its journal too: the two together are what is left of it.
    if (HasHotJournal(target))
        return BackupError{DbErr::InUseOrReadOnly,
                           QStringLiteral("Tiedoston rinnalla on keskeneräisen muutoksen lokitiedosto, jota ei voitu "
                                          "palauttaa tiedostoon. Tiedostoon ei tehty muutoksia.")};
    return std::nullopt;
}

std::optional<BackupError> BackupRestore::copyIntoPlace(const QString& source, const QString& link,
                                                        const DatabaseWriteLock* lock)
{
    // The new file takes the place of the file behind a link; the link itself stays, and a loop
    // of links has no file to take the place of.
    const QString target = FileSafety::fileBehind(link);
    if (QFileInfo(target).isSymLink())
        return BackupError::fromErrno(ELOOP);
    DatabaseWriteLock own;
    if (!lock) {
        if (auto error = lockTarget(target, own))
            return error;
    }
    FileSafety& files = FileSafety::instance();
    // Only a whole database of ours is restored: a file with a journal waiting beside it is not.
    if (const DbFileProbe probe = ProbeDatabaseFile(source); !probe.isSQLite())
        return BackupError{probe.error.number, probe.error.description};
    if (HasHotJournal(source))
        return BackupError{DbErr::InUseOrReadOnly, QStringLiteral("Varmuuskopion rinnalla on keskeneräisen muutoksen "
                                                                  "lokitiedosto")};
    files.removeLeftovers(target, {TempTag});
    // Journal files without their database belong to no file that is kept; SQLite would roll them
    // into the copy. Those of an existing target were rolled back into it under the lock.
    if (!QFileInfo::exists(target)) {
        for (const char* suffix : {"-journal", "-wal", "-shm"}) {
            if (auto error = removeFile(target + QLatin1String(suffix)))
                return error;
        }
    }
    // The copy is complete and on the disk before it takes the target's name, and it is the
    // backup byte for byte.
    return files.copyFile(source, target, FileSafety::Existing::Replace, TempTag);
}

QString BackupRestore::errorPart(const BackupError& error)
{
    if (error.number == FileErr::PermissionDenied)
        return QStringLiteral("Virhe: Käyttöoikeudet puuttuvat tai tiedosto on jonkin muun ohjelman käytössä.\n")
               + error.text();
    return QStringLiteral("Virhe: ") + error.text();
}

std::optional<BackupError> BackupRestore::deleteCopy(const QString& path)
{
    if (!QFileInfo::exists(path))
        return BackupError::fromErrno(ENOENT);
    if (isInUse(path))
        return inUse();
    SoleUse sole;
    if (auto error = claim(path, sole))
        return error;
    return removeFile(path);
}

std::optional<BackupError> BackupRestore::claim(const QString& path, SoleUse& sole)
{
    try {
        sole = SoleUse::take(path);
        return std::nullopt;
    } catch (const DbException& e) {
        return BackupError{e.number(), e.description()};
    }
}

} // namespace tikkeli
