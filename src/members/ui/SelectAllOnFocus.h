#pragma once

class QEvent;
class QLineEdit;
class QObject;

namespace tikkeli {

// Makes the box select its whole text whenever it gets the focus (SelectAllText), as every text
// box of the member windows does.
void SelectAllOnFocus(QLineEdit* textBox);
// The same from a window's own event filter: selects a text box's (or memo's) whole text when
// the event is its FocusIn.
void SelectAllOnFocus(QObject* watched, const QEvent* event);

} // namespace tikkeli
