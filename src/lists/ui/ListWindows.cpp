#include "lists/ui/ListWindows.h"

namespace tikkeli {

void RegisterListWindows() {}

} // namespace tikkeli
