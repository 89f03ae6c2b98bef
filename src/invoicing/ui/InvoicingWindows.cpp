#include "invoicing/ui/InvoicingWindows.h"

#include "ui/WindowHooks.h"

#include "ui/FormRegistry.h"
#include "ui/WindowOpeners.h"
#include "invoicing/ui/InvoicePrinting.h"
#include "invoicing/ui/ReminderCommands.h"
#include "invoicing/ui/frmMaksujenLuonti.h"
#include "invoicing/ui/frmMaksut.h"
#include "invoicing/ui/frmViitemaksut.h"

namespace tikkeli {

void SetInvoicingHooks()
{
    // Each hook gets the window whose command runs it as its owner.
    WindowHooks::set(WindowHook::ReferencePayments, [](QWidget*, const WindowHookRequest&) -> qint64 {
        FormRegistry::open<frmViitemaksut>(QStringLiteral("frmViitemaksut"));
        return 0;
    });
    WindowHooks::set(WindowHook::InvoiceRunPrint, [](QWidget* owner, const WindowHookRequest&) -> qint64 {
        PrintRunInvoices(*static_cast<frmMaksujenLuonti*>(owner));
        return 0;
    });
    WindowHooks::set(WindowHook::ReminderPrint, [](QWidget* owner, const WindowHookRequest&) -> qint64 {
        PrintPaymentReminders(*static_cast<frmMaksut*>(owner));
        return 0;
    });
    WindowHooks::set(WindowHook::ReminderEmail, [](QWidget* owner, const WindowHookRequest&) -> qint64 {
        EmailPaymentReminders(*static_cast<frmMaksut*>(owner));
        return 0;
    });
    WindowHooks::set(WindowHook::ReminderEmailPreview, [](QWidget* owner, const WindowHookRequest&) -> qint64 {
        PreviewPaymentReminderEmails(*static_cast<frmMaksut*>(owner));
        return 0;
    });
}

void RegisterInvoicingWindows()
{
    WindowOpeners::set(MainCommand::InvoiceRun,
                       [](QWidget*) { FormRegistry::open<frmMaksujenLuonti>(QStringLiteral("frmMaksujenLuonti")); });
    WindowOpeners::set(MainCommand::PaymentBook,
                       [](QWidget*) { FormRegistry::open<frmMaksut>(QStringLiteral("frmMaksut")); });
    SetInvoicingHooks();
}

} // namespace tikkeli
