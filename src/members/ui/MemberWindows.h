#pragma once

namespace tikkeli {

// Puts the member register's windows (member window, feature catalogue, member import) and the
// member window's searches into the main window's table of openers.
void RegisterMemberWindows();

} // namespace tikkeli
