#include "platform/SystemVolumeList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>

namespace tikkeli {

namespace {

bool flagSet(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && f.readAll().trimmed() == "1";
}

} // namespace

bool SystemVolumeList::isRemovableDevice(const QString& device, const QString& sysRoot)
{
    const QString real = QFileInfo(device).canonicalFilePath();
    const QString name = QFileInfo(real.isEmpty() ? device : real).fileName();
    if (name.isEmpty())
        return false;
    const QString classEntry = sysRoot + QStringLiteral("/class/block/") + name;
    const QString sysPath = QFileInfo(classEntry).canonicalFilePath();
    if (sysPath.isEmpty())
        return false;
    if (sysPath.contains(QLatin1String("/usb")))
        return true;
    // A partition carries no flag of its own; its disk is the folder above it.
    return flagSet(sysPath + QStringLiteral("/removable"))
           || (QFileInfo::exists(sysPath + QStringLiteral("/partition"))
               && flagSet(QFileInfo(sysPath).dir().absolutePath() + QStringLiteral("/removable")));
}

VolumeInfos SystemVolumeList::volumes() const
{
    VolumeInfos result;
    for (const QStorageInfo& s : QStorageInfo::mountedVolumes()) {
        if (!s.device().startsWith("/dev/"))
            continue;
        VolumeInfo v;
        v.mountFolder = s.rootPath();
        v.label = s.name();
        v.fileSystem = QString::fromLatin1(s.fileSystemType());
        v.ready = s.isValid() && s.isReady();
        v.removable = isRemovableDevice(QString::fromLocal8Bit(s.device()));
        v.freeBytes = s.bytesAvailable();
        result.append(v);
    }
    const QString standIn = qEnvironmentVariable("TIKKELI_KOPIOTIKKU");
    if (!standIn.isEmpty()) {
        const QStorageInfo s(standIn);
        VolumeInfo v;
        v.mountFolder = QDir(standIn).absolutePath();
        v.label = QStringLiteral("KOPIOTIKKU");
        v.fileSystem = QString::fromLatin1(s.fileSystemType());
        v.ready = QFileInfo(standIn).isDir() && s.isValid();
        v.removable = true;
        v.freeBytes = s.bytesAvailable();
        result.append(v);
    }
    std::stable_sort(result.begin(), result.end(),
                     [](const VolumeInfo& a, const VolumeInfo& b) { return a.mountFolder < b.mountFolder; });
    return result;
}

} // namespace tikkeli
