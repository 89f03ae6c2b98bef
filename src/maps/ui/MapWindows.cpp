#include "maps/ui/MapWindows.h"

namespace tikkeli {

void RegisterMapWindows() {}

} // namespace tikkeli
