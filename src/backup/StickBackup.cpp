#include "backup/StickBackup.h"

#include "base/Folders.h"
#include "backup/BackupStick.h"
#include "backup/DatabaseCopy.h"
#include "base/FileSafety.h"
#include "backup/StickFolders.h"

#include <QFileInfo>

namespace tikkeli {

StickBackup::Result StickBackup::copyToStick(const QString& databasePath, const VolumeInfo& stick, const QDate& day)
{
    Result r;
    const QString root = StickFolders::rootFolder(stick.mountFolder);
    if ((r.error = FileSafety::instance().makeFolder(root)))
        return r;
    const QString folder = JoinPath(root, StickFolders::dayFolderName(day));
    if ((r.error = FileSafety::instance().makeFolder(folder)))
        return r;
    r.target = JoinPath(folder, QFileInfo(databasePath).fileName());
    if (BackupStick::fileTooLargeFor(stick, QFileInfo(databasePath).size())) {
        r.error = TooLargeForStick();
        return r;
    }
    r.error = DatabaseCopy::copy(databasePath, r.target);
    return r;
}

} // namespace tikkeli
