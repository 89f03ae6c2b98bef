#pragma once

#include "platform/VolumeInfo.h"

#include <optional>

namespace tikkeli {

// The memory stick the backups go to: the first volume that is ready, removable and labelled
// "KOPIOTIKKU" in any letter case.
class BackupStick {
public:
    static inline const QString Label = QStringLiteral("KOPIOTIKKU");

    static std::optional<VolumeInfo> find(const VolumeInfos& volumes);
    // From the current VolumeList.
    static std::optional<VolumeInfo> find();

    // A copy of size bytes fits only when strictly more room is left.
    static bool hasRoomFor(const VolumeInfo& stick, qint64 size) { return stick.freeBytes > size; }
    // FAT file systems cannot hold a file of 4 GiB or more.
    static bool fileTooLargeFor(const VolumeInfo& stick, qint64 size);

    // What the windows say when no stick is found: what a suitable stick is and how to make one.
    static QString notFoundText();
};

} // namespace tikkeli
