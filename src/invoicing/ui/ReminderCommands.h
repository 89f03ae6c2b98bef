#pragma once

namespace tikkeli {

class frmMaksut;

// The payment book's reminder commands over the unpaid invoices of a range: the print records the
// reminders it prints, the e-mail run records each reminder its message delivered, and the e-mail
// preview shows them without recording anything.
void PrintPaymentReminders(frmMaksut& window);
void EmailPaymentReminders(frmMaksut& window);
void PreviewPaymentReminderEmails(frmMaksut& window);

} // namespace tikkeli
