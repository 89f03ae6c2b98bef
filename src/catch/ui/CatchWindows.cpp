#include "catch/ui/CatchWindows.h"

namespace tikkeli {

void RegisterCatchWindows() {}

} // namespace tikkeli
