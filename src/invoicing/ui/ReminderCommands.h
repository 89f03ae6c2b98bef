#pragma once

namespace tikkeli {

class frmMaksut;

// The payment book's reminder commands: each records reminders on the unpaid invoices of a range
// and then prints them, e-mails them or opens the e-mail preview on them.
void PrintPaymentReminders(frmMaksut& window);
void EmailPaymentReminders(frmMaksut& window);
void PreviewPaymentReminderEmails(frmMaksut& window);

} // namespace tikkeli
