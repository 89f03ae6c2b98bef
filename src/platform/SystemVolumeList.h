#pragma once

#include "platform/VolumeList.h"

namespace tikkeli {

// The volumes of this computer: block devices mounted anywhere, ordered by mount folder. A device
// counts as removable when the kernel marks it so or when it hangs on a USB bus.
// The environment variable TIKKELI_KOPIOTIKKU names a folder that stands in for a removable stick
// labelled "KOPIOTIKKU" (for trying the backup windows without a stick).
class SystemVolumeList : public VolumeList {
public:
    VolumeInfos volumes() const override;

    // device: "/dev/sdb1" or a link to it; sysRoot: where sysfs is mounted.
    static bool isRemovableDevice(const QString& device, const QString& sysRoot = QStringLiteral("/sys"));
};

} // namespace tikkeli
