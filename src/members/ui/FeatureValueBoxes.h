#pragma once

class QEvent;
class QLineEdit;
class QObject;

namespace tikkeli {

// The checks the feature windows run when the user leaves a value box. A text that fails is
// emptied with a beep; emptyFails says whether an empty box fails too.
void CheckNumberOnLeave(QLineEdit* box, bool emptyFails);
// A valid date is rewritten in the short date form.
void CheckDateOnLeave(QLineEdit* box, bool emptyFails);
// Selects a text box's whole text when it gets the focus (for an event filter).
void SelectAllOnFocus(QObject* watched, const QEvent* event);

} // namespace tikkeli
