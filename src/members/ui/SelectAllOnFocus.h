#pragma once

#include <Qt>

class QLineEdit;

namespace tikkeli {

// Makes the box select its whole text whenever it gets the focus (SelectAllText), as every text
// box of the member windows does.
void SelectAllOnFocus(QLineEdit* textBox);

// Whether a focus change of this reason selects a box's whole text: only the user's own moves
// (Tab, Backtab, a click) do. Focus the program moves, or that comes back after a message, leaves
// the text and the caret as they were, so that the next key typed does not replace the text.
bool SelectsAllOnFocus(Qt::FocusReason reason);

} // namespace tikkeli
