#include "contracts/ui/ContractWindows.h"

#include "ui/WindowHooks.h"
#include "ui/WindowOpeners.h"
#include "contracts/ui/frmElaimet.h"
#include "contracts/ui/frmMoniliitosMV.h"
#include "contracts/ui/frmVuokra.h"
#include "settings/ui/frmAsetukset.h"

namespace tikkeli {

void RegisterContractWindows()
{
    WindowOpeners::set(MainCommand::Contracts, [](QWidget*) { frmVuokra::Load(); });
    frmAsetukset::setAnimalCatalogueOpener([](QWidget* parent) { frmElaimet::showModal(parent); });
    WindowHooks::set(WindowHook::ContractFeatureAttach, [](QWidget*, const WindowHookRequest&) -> qint64 {
        frmMoniliitosMV::open();
        return 0;
    });
}

} // namespace tikkeli
