#pragma once

class QKeyEvent;

namespace tikkeli {

// The record commands of the catalogue windows: F2 to F5 and Ctrl+A, S, D, F and Z. A text box
// would keep Ctrl+A and Ctrl+Z for itself; a window's filter leaves their ShortcutOverride
// unaccepted, so the window's command runs instead.
bool IsRecordCommandKey(const QKeyEvent* key);

} // namespace tikkeli
