#pragma once

#include <QMargins>
#include <QRect>

class QScrollArea;
class QWidget;

namespace tikkeli {

// A window's outer rectangle (frame included) moved, and shrunk where it must be, to lie inside
// the available area of its screen (the screen less the desktop's panels). Never smaller than
// minimum (the window's own smallest size plus its frame).
QRect FitInside(const QRect& frame, const QRect& area, const QSize& minimum = QSize());

// Keeps a top-level window inside its screen's available area: now, and each time it is shown,
// when its layout has settled on a size. The window system's frame (title bar) is counted.
// RestoreFormPlacement calls it, so every window that restores its placement is kept on screen.
void KeepOnScreen(QWidget* window);
// KeepOnScreen for every dialog the program opens, Qt's own too (the file dialogs, the printer
// dialog and the message boxes they show), as it is first shown. Installed once on the application.
void KeepDialogsOnScreen();
// The same once, against a given available area.
void FitOnScreen(QWidget* window, const QRect& area);

// The window, when it is first shown, is widened by what the page of area lacks in width, so no
// part of the page hides behind a horizontal scroll bar, as far as the screen allows.
void OpenWideEnoughFor(QWidget* window, QScrollArea* area);

} // namespace tikkeli
