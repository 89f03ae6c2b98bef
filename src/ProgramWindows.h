#pragma once

namespace tikkeli {

// The composition root: installs every subsystem's windows and commands into the main window's table
// of openers, and the report control's hooks. Each subsystem offers one Register<Subsystem>Windows();
// this is the only place that knows them all. main() calls it before the main window is built.
void RegisterWindowOpeners();

} // namespace tikkeli
