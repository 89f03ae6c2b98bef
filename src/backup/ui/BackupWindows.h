#pragma once

namespace tikkeli {

// Plugs the backup windows into the main window's commands: the stick backup, its restore and its
// management (modeless, one instance each) and the support file (modal).
void RegisterBackupWindows();

} // namespace tikkeli
