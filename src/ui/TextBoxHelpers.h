#pragma once

#include <QString>

class QLineEdit;

namespace tikkeli {

// Text-box helpers the windows call from their focus and change handlers.

// Selects the whole text.
void SelectAllText(QLineEdit* textBox);
// Removes characters from the end until the text is empty or a number; the caret goes to the end.
void KeepNumericText(QLineEdit* textBox);
// As KeepNumericText, then until the text is empty or a whole number that fits 32 bits (a trailing
// decimal separator may stay: "12," reads as 12).
void KeepIntegerText(QLineEdit* textBox);

// The texts those two leave.
QString NumericPrefix(QString text);
QString IntegerPrefix(QString text);

} // namespace tikkeli
