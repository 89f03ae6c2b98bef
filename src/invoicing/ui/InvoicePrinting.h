#pragma once

namespace tikkeli {

class frmMaksujenLuonti;

// The invoicing window's print command: the layout, the print order, the print dialog, then the
// run's invoices (all, or only those not e-mailed when the user so answers, or one member's).
void PrintRunInvoices(frmMaksujenLuonti& window);

} // namespace tikkeli
