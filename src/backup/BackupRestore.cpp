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

namespace {

QString canonicalOrAbsolute(const QString& path)
{
    const QFileInfo fi(path);
    const QString c = fi.canonicalFilePath();
    return c.isEmpty() ? fi.absoluteFilePath() : c;
}

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
    if (!State().DatabasePath.isEmpty() && canonicalOrAbsolute(State().DatabasePath) == canonicalOrAbsolute(path))
        return true;
    return QFileInfo::exists(path) && ConnectionRegistry::isOpen(path) && !ConnectionRegistry::closeAll(path);
}

QString BackupRestore::safetyCopyPath(const QString& target, const QDate& day)
{
    const QFileInfo fi(target);
    const QString suffix = fi.suffix().isEmpty() ? QString() : u'.' + fi.suffix();
    const QString stem = fi.completeBaseName() + QStringLiteral("_ennen_palautusta_")
                         + day.toString(QStringLiteral("yyyy-MM-dd"));
    for (int n = 1;; ++n) {
        const QString candidate = fi.absoluteDir().filePath(stem + (n > 1 ? QStringLiteral("_%1").arg(n) : QString())
                                                            + suffix);
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
}

std::optional<BackupError> BackupRestore::keepSafetyCopy(const QString& target, const QDate& day, QString& kept)
{
    FileSafety& files = FileSafety::instance();
    const QString path = safetyCopyPath(target, day);
    auto error = files.link(target, path);
    if (error && error->number != DbErr::FileExists)
        error = files.copyFile(target, path, FileSafety::Existing::Keep);
    if (!error)
        kept = path;
    return error;
}

std::optional<BackupError> BackupRestore::copyIntoPlace(const QString& source, const QString& target)
{
    // Every handle of the program's own goes first; one in the middle of a save keeps the file.
    if (QFileInfo::exists(target) && !ConnectionRegistry::closeAll(target))
        return inUse();
    FileSafety& files = FileSafety::instance();
    // Only a whole database of ours is restored: a file with a journal waiting beside it is not.
    if (const DbFileProbe probe = ProbeDatabaseFile(source); !probe.isSQLite())
        return BackupError{probe.error.number, probe.error.description};
    if (HasHotJournal(source))
        return BackupError{DbErr::InUseOrReadOnly, QStringLiteral("Varmuuskopion rinnalla on keskeneräisen muutoksen "
                                                                  "lokitiedosto")};
    // The copy is complete and on the disk before it goes anywhere near the target, and it is the
    // backup byte for byte.
    std::optional<BackupError> error;
    const QString temp = files.reserveTemp(target, error);
    if (temp.isEmpty())
        return error;
    if ((error = files.copyFile(source, temp, FileSafety::Existing::Replace))) {
        files.remove(temp);
        return error;
    }
    // A journal left beside the target belongs to the old file; SQLite would roll it into the copy.
    // It goes only now, so a failed copy leaves the old file with its journal.
    for (const char* suffix : {"-journal", "-wal", "-shm"}) {
        if ((error = removeFile(target + QLatin1String(suffix)))) {
            files.remove(temp);
            return error;
        }
    }
    return files.publish(temp, target, FileSafety::Existing::Replace);
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
    return removeFile(path);
}

} // namespace tikkeli
