#pragma once

#include <QPixmap>

namespace tikkeli {

// The program's emblem of the main window's button bar and the about window.
QPixmap AboutPicture(int size);

} // namespace tikkeli
