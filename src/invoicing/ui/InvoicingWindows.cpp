#include "invoicing/ui/InvoicingWindows.h"

#include "base/ui/FormRegistry.h"
#include "base/ui/WindowOpeners.h"
#include "invoicing/ui/InvoicePrinting.h"
#include "invoicing/ui/ReminderCommands.h"
#include "invoicing/ui/frmMaksujenLuonti.h"
#include "invoicing/ui/frmMaksut.h"
#include "invoicing/ui/frmViitemaksut.h"

namespace tikkeli {

void RegisterInvoicingWindows()
{
    WindowOpeners::set(MainCommand::InvoiceRun,
                       [](QWidget*) { FormRegistry::open<frmMaksujenLuonti>(QStringLiteral("frmMaksujenLuonti")); });
    WindowOpeners::set(MainCommand::PaymentBook,
                       [](QWidget*) { FormRegistry::open<frmMaksut>(QStringLiteral("frmMaksut")); });
    frmMaksut::ReadReferencePayments = [](frmMaksut&) {
        FormRegistry::open<frmViitemaksut>(QStringLiteral("frmViitemaksut"));
    };
    frmMaksujenLuonti::PrintInvoices = [](frmMaksujenLuonti& window) { PrintRunInvoices(window); };
    frmMaksut::PrintReminders = [](frmMaksut& window) { PrintPaymentReminders(window); };
    frmMaksut::EmailReminders = [](frmMaksut& window) { EmailPaymentReminders(window); };
    frmMaksut::PreviewReminderEmail = [](frmMaksut& window) { PreviewPaymentReminderEmails(window); };
}

} // namespace tikkeli
