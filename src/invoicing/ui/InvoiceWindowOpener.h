#pragma once

namespace tikkeli {

// Plugs the invoicing window into the main window's "Laskutus" button and menu entry.
void InstallInvoiceWindow();

} // namespace tikkeli
