#pragma once

namespace tikkeli {

// Plugs the settings window into the program: the main window's "Asetukset" command, the one-time
// settings migration of the start-up, and the main window's caption after each settings save.
void RegisterSettingsWindows();

} // namespace tikkeli
