#include "catch/ui/CatchWindows.h"

#include "base/ui/FormRegistry.h"
#include "base/ui/WindowOpeners.h"
#include "catch/ui/frmSaalisilmoitus.h"

namespace tikkeli {

void RegisterCatchWindows()
{
    WindowOpeners::set(MainCommand::CatchReport,
                       [](QWidget*) { FormRegistry::open<frmSaalisilmoitus>(QStringLiteral("frmSaalisilmoitus")); });
}

} // namespace tikkeli
