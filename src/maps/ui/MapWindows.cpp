#include "maps/ui/MapWindows.h"

#include "ui/WindowOpeners.h"
#include "maps/ui/frmKartta.h"

namespace tikkeli {

void RegisterMapWindows()
{
    WindowOpeners::set(MainCommand::Map, [](QWidget*) { frmKartta::Load(); });
}

} // namespace tikkeli
