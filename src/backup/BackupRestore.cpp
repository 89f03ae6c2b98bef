#include "backup/BackupRestore.h"

#include "base/Folders.h"
#include "backup/DatabaseCopy.h"
#include "backup/FileFaults.h"
#include "backup/SafeFileCopy.h"
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
    if (int e = FileFaults::at("delete", path))
        return BackupError::fromErrno(e);
    if (::unlink(QFile::encodeName(path).constData()) != 0 && errno != ENOENT)
        return BackupError::fromErrno(errno);
    return std::nullopt;
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
    return SafeFileCopy::makeFolder(targetFolder());
}

bool BackupRestore::isInUse(const QString& path)
{
    if (!State().DatabasePath.isEmpty() && canonicalOrAbsolute(State().DatabasePath) == canonicalOrAbsolute(path))
        return true;
    return QFileInfo::exists(path) && ConnectionRegistry::isOpen(path) && !ConnectionRegistry::closeAll(path);
}

std::optional<BackupError> BackupRestore::copyIntoPlace(const QString& source, const QString& target)
{
    if (isInUse(target))
        return inUse();
    // The copy is read back and checked before it goes anywhere near the target.
    std::optional<BackupError> error;
    const QString temp = SafeFileCopy::reserveTemp(target, error);
    if (temp.isEmpty())
        return error;
    QFile::remove(temp);
    if ((error = DatabaseCopy::copy(source, temp))) {
        QFile::remove(temp);
        return error;
    }
    // A journal left beside the target belongs to the old file; SQLite would roll it into the copy.
    // It goes only now, so a failed copy leaves the old file with its journal.
    for (const char* suffix : {"-journal", "-wal", "-shm"}) {
        if ((error = removeFile(target + QLatin1String(suffix)))) {
            QFile::remove(temp);
            return error;
        }
    }
    return SafeFileCopy::publish(temp, target);
}

QString BackupRestore::errorPart(const BackupError& error)
{
    if (error.number == FileErr::PermissionDenied)
        return QStringLiteral("Virhe: Käyttöoikeudet puuttuvat tai tiedosto on jonkin muun ohjelman käytössä.\n") + error.text();
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
