#include "catch/ui/CatchWindows.h"

#include "ui/FormRegistry.h"
#include "ui/WindowOpeners.h"
#include "catch/ui/frmSaalisilmoitus.h"

namespace tikkeli {

void RegisterCatchWindows()
{
    WindowOpeners::set(MainCommand::CatchReport,
                       [](QWidget*) { FormRegistry::open<frmSaalisilmoitus>(QStringLiteral("frmSaalisilmoitus")); });
}

} // namespace tikkeli
