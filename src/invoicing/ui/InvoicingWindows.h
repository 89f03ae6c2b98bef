#pragma once

namespace tikkeli {

// Puts the invoicing window into the main window's table of openers ("Laskutus").
void RegisterInvoicingWindows();

} // namespace tikkeli
