#include "contracts/ui/ContractWindows.h"

#include "base/ui/WindowOpeners.h"
#include "contracts/ui/frmVuokra.h"

namespace tikkeli {

void RegisterContractWindows()
{
    WindowOpeners::set(MainCommand::Contracts, [](QWidget*) { frmVuokra::Load(); });
}

} // namespace tikkeli
