#include "contracts/ui/ContractWindows.h"

#include "base/ui/WindowHooks.h"
#include "base/ui/WindowOpeners.h"
#include "contracts/ui/frmMoniliitosMV.h"
#include "contracts/ui/frmVuokra.h"

namespace tikkeli {

void RegisterContractWindows()
{
    WindowOpeners::set(MainCommand::Contracts, [](QWidget*) { frmVuokra::Load(); });
    WindowHooks::set(WindowHook::ContractFeatureAttach, [](QWidget*, const WindowHookRequest&) -> qint64 {
        frmMoniliitosMV::open();
        return 0;
    });
}

} // namespace tikkeli
