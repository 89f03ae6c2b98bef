#pragma once

#include <QIcon>

namespace tikkeli {

// The program's icon in the sizes the desktop draws it (title bars, task switcher, menus); the
// same images as the installed desktop icon.
QIcon ProgramIcon();

} // namespace tikkeli
