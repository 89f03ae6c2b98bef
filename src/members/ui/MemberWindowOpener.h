#pragma once

namespace tikkeli {

// Plugs the member window into the main window's member-register button and menu entry.
void InstallMemberWindow();

} // namespace tikkeli
