#pragma once

class QLineEdit;

namespace tikkeli {

// Makes the box select its whole text whenever it gets the focus (SelectAllText), as every text
// box of the member windows does.
void SelectAllOnFocus(QLineEdit* textBox);

} // namespace tikkeli
