#pragma once

class QWidget;

namespace tikkeli {

// Call first in the destructor of a window whose controls signal its handlers. The QWidget part
// of a window closes it after the window's own members are gone, and a control that loses the
// focus then (an editable combo box ends its editing) would call a handler of the half-destroyed
// window.
void DetachControls(QWidget* window);

} // namespace tikkeli
