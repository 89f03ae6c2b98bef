#pragma once

namespace tikkeli {

// The program's keyboard in every window and dialog, installed once on the application by the
// program and by the tests alike: option groups (OptionGroupKeys), dialogs shown again
// (ReopenedDialogFocus), Alt letters (AltLetters), boxes in scrolled pages (FocusInView) and
// Enter on a focused button (EnterPressesButton).
void InstallKeyboardRules();

} // namespace tikkeli
