#include "app/Misc.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

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

double MaxDouble(double a, double b)
{
    return a > b ? a : b;
}

qint32 MaxLong(qint32 a, qint32 b)
{
    return a > b ? a : b;
}

qint32 MinLong(qint32 a, qint32 b)
{
    return a < b ? a : b;
}

void OpenWithShell(const QString& target)
{
    if (target.isEmpty())
        return;
    const QUrl url = QFileInfo::exists(target) ? QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath())
                                               : QUrl::fromUserInput(target);
    if (url.isValid())
        QDesktopServices::openUrl(url);
}

} // namespace tikkeli
