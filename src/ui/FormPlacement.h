#pragma once

#include <QString>

class QWidget;

namespace tikkeli {

// The ini key of a window's placement: its objectName and the program's major and minor version
// ("frmJasen70" for frmJasen of version 7.0), so a new version starts from the designed placement.
QString FormPlacementKey(const QWidget* window);
QString FormPlacementKey(const QString& windowName);

// Every window calls RestoreFormPlacement when it is built (before it is shown) and
// SaveFormPlacement when it closes. The position kept is the corner of the window's frame (title
// bar included), the size the window's own. Both ignore every failure. A fixed-size window keeps its size;
// a placement that lies off every screen is moved back onto the primary screen. Restoring also
// keeps the window inside its screen's available area whenever it is shown (KeepOnScreen).
void RestoreFormPlacement(QWidget* window);
void SaveFormPlacement(QWidget* window);

} // namespace tikkeli
