#pragma once

class QWidget;

namespace tikkeli {

// A dialog that its owner keeps between uses opens again on its first field with that field's
// text selected, as it did the first time. Qt would give the focus back to the control that had it
// when the dialog closed, so what the user typed first went into the wrong box. Installed once on
// the application, so every kept dialog has it without asking.
void InstallReopenedDialogFocus();

// Gives the focus to the first control of window that Tab reaches (an option group's chosen
// option) and selects its text.
void FocusFirstField(QWidget* window);

} // namespace tikkeli
