#pragma once

namespace tikkeli {

// Puts the map window and its dialogs into the main window's tables of openers and hooks.
void RegisterMapWindows();

} // namespace tikkeli
