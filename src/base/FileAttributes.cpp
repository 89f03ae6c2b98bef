#include "base/FileAttributes.h"

#include <QFile>
#include <QFileInfo>

namespace tikkeli {

bool ClearFileAttributes(const QString& path)
{
    QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return false;
    return QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner | QFileDevice::WriteUser);
}

bool IsReadOnlyFile(const QString& path)
{
    // The owner's permission bit, not access(): root may write anything, yet the file is marked
    // read-only for everybody else who opens the same database.
    if (path.isEmpty() || !QFileInfo::exists(path))
        return false;
    return !(QFile::permissions(path) & QFileDevice::WriteOwner);
}

} // namespace tikkeli
