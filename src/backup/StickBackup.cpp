#include "backup/StickBackup.h"

#include "base/Folders.h"
#include "backup/BackupStick.h"
#include "backup/DatabaseCopy.h"
#include "backup/SafeFileCopy.h"
#include "backup/StickFolders.h"

#include <QFileInfo>

namespace tikkeli {

StickBackup::Result StickBackup::copyToStick(const QString& databasePath, const VolumeInfo& stick, const QDate& day)
{
    Result r;
    const QString root = StickFolders::rootFolder(stick.mountFolder);
    if ((r.error = SafeFileCopy::makeFolder(root)))
        return r;
    const QString folder = JoinPath(root, StickFolders::dayFolderName(day));
    if ((r.error = SafeFileCopy::makeFolder(folder)))
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
