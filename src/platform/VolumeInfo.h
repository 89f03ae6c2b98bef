#pragma once

#include <QList>
#include <QString>

namespace tikkeli {

// One mounted file system as the backup windows see it.
struct VolumeInfo {
    QString mountFolder;
    QString label;
    QString fileSystem; // "vfat", "exfat", "ext4"...
    bool ready = false;
    bool removable = false;
    qint64 freeBytes = 0;
};

using VolumeInfos = QList<VolumeInfo>;

} // namespace tikkeli
