#pragma once

namespace tikkeli {

// `tikkeli --start-check`: the start of an installed program, checked without anyone at the screen.
// Runs the start-up as a first start does (the first-run chooser answered with the sample
// database), shows the main window until the window system exposes it, prints the program folder
// and the window's title on stdout and closes again. 0 when the main window was shown and no
// message box came up on the way; the messages that came up are printed on stderr.
int RunStartCheck();

} // namespace tikkeli
