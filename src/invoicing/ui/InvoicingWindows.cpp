#include "invoicing/ui/InvoicingWindows.h"

#include "base/ui/FormRegistry.h"
#include "base/ui/WindowOpeners.h"
#include "invoicing/ui/frmMaksujenLuonti.h"

namespace tikkeli {

void RegisterInvoicingWindows()
{
    WindowOpeners::set(MainCommand::InvoiceRun, [](QWidget*) {
        FormRegistry::open<frmMaksujenLuonti>(QStringLiteral("frmMaksujenLuonti"));
    });
}

} // namespace tikkeli
