#include "platform/VolumeList.h"

#include "platform/SystemVolumeList.h"

namespace tikkeli {

namespace {
const VolumeList* g_current = nullptr;
}

const VolumeList& VolumeList::instance()
{
    static const SystemVolumeList system;
    return g_current ? *g_current : system;
}

void VolumeList::setInstance(const VolumeList* list)
{
    g_current = list;
}

} // namespace tikkeli
