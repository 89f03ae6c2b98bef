#pragma once

namespace tikkeli {

// Puts the catch entry window and its dialogs into the main window's tables of openers and hooks.
void RegisterCatchWindows();

} // namespace tikkeli
