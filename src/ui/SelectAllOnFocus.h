#pragma once

#include <Qt>

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

// Whether a focus change of this reason selects a box's whole text: only the user's own moves
// (Tab, Backtab, a click) do. Focus the program moves, or that comes back after a message, leaves
// the text and the caret as they were, so that the next key typed does not replace the text.
bool SelectsAllOnFocus(Qt::FocusReason reason);

} // namespace tikkeli
