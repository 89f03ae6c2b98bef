#pragma once

namespace tikkeli {

// A key pressed with Alt is a command, never text. The letters a window uses (a menu title's, a
// button's or a label's underlined letter, a command's shortcut) are taken by their shortcuts
// before any box sees the key; any other Alt+key reaches the focused control as a key without
// text, so a text box types nothing and keeps its selected text, and a list or a closed combo box
// does not jump to that letter. A control that reads the key itself (Alt+D in a box that deletes
// an entry) still gets it, and an open menu still takes its items' letters. AltGr is no Alt: the
// characters it types (@, {, €) are typed. Installed once on the application, so every window has
// it without asking.
void InstallAltLetters();

} // namespace tikkeli
