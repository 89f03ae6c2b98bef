#include "backup/StickBackup.h"

#include "app/Folders.h"
#include "backup/BackupStick.h"
#include "backup/DatabaseCopy.h"
#include "backup/FileFaults.h"
#include "backup/StickFolders.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

namespace tikkeli {

namespace {

std::optional<BackupError> makeFolder(const QString& folder)
{
    if (int e = FileFaults::at("mkdir", folder))
        return BackupError::fromErrno(e);
    if (QFileInfo(folder).isDir())
        return std::nullopt;
    if (!QDir().mkdir(folder))
        return BackupError::fromErrno(QFileInfo::exists(folder) ? EEXIST : EACCES);
    return std::nullopt;
}

} // namespace

StickBackup::Result StickBackup::copyToStick(const QString& databasePath, const VolumeInfo& stick, const QDate& day)
{
    Result r;
    const QString root = StickFolders::rootFolder(stick.mountFolder);
    if ((r.error = makeFolder(root)))
        return r;
    const QString folder = JoinPath(root, StickFolders::dayFolderName(day));
    if ((r.error = makeFolder(folder)))
        return r;
    r.target = JoinPath(folder, QFileInfo(databasePath).fileName());
    if (BackupStick::fileTooLargeFor(stick, QFileInfo(databasePath).size())) {
        r.error = BackupError::tooLargeForStick();
        return r;
    }
    r.error = DatabaseCopy::copy(databasePath, r.target);
    return r;
}

} // namespace tikkeli
