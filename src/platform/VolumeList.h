#pragma once

#include "platform/VolumeInfo.h"

namespace tikkeli {

// The mounted volumes, in a stable order. The program reads the system's (SystemVolumeList);
// tests install their own list.
class VolumeList {
public:
    virtual ~VolumeList() = default;
    virtual VolumeInfos volumes() const = 0;

    static const VolumeList& instance();
    // Installs list (not owned) as the current one; nullptr restores the system's.
    static void setInstance(const VolumeList* list);
};

} // namespace tikkeli
