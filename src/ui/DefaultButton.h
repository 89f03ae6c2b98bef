#pragma once

class QDialog;

namespace tikkeli {

// Enter (or Return) in the dialog clicks its default button whichever control has the focus.
// Some desktop themes (GNOME's) let an option button or a closed combo box take Enter as its own
// press, so the dialog would never see it. A focused push button still takes Enter itself, a
// multi-line text box gets its new line, and an open combo box list takes its choice.
void DefaultButtonTakesEnter(QDialog* dialog);

} // namespace tikkeli
