#pragma once

namespace tikkeli {

// Puts the member lists, labels, payment histories, the address export, report templates and member e-mail into the main window's tables of openers and hooks.
void RegisterListWindows();

} // namespace tikkeli
