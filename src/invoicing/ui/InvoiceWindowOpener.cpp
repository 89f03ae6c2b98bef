#include "invoicing/ui/InvoiceWindowOpener.h"

#include "app/ui/FormRegistry.h"
#include "app/ui/WindowOpeners.h"
#include "invoicing/ui/frmMaksujenLuonti.h"

namespace tikkeli {

void InstallInvoiceWindow()
{
    WindowOpeners::set(MainCommand::InvoiceRun, [](QWidget*) {
        FormRegistry::open<frmMaksujenLuonti>(QStringLiteral("frmMaksujenLuonti"));
    });
}

} // namespace tikkeli
