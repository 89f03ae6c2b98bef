#pragma once

namespace tikkeli {

// Puts the invoicing window into the main window's table of openers ("Laskutus").
void RegisterInvoicingWindows();

// The commands the invoicing windows run through WindowHooks: invoice and reminder printing, the
// reminder e-mail and its preview, and the reference-payment import. Part of the registration;
// window tests call it alone.
void SetInvoicingHooks();

} // namespace tikkeli
