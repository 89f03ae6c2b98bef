#pragma once

namespace tikkeli {

// Enter (or Return) on the focused push or tool button presses it, in every window, as Space
// does. Qt's buttons take Enter in a dialog only (where a push button is its own default while it
// has the focus), so in a record window Enter on "Tallenna" did nothing and the user could not
// tell. Installed once on the application, so every window has it without asking.
void InstallEnterPressesButton();

} // namespace tikkeli
