#pragma once

#include <QObject>
#include <QWidget>
#include <functional>

namespace tikkeli::test {

// A test never waits on a modal dialog it did not script. The watchdog (installed by the test
// program's main) looks at the active modal widget while a nested event loop runs, as it does
// while QDialog::exec, a message box, a file or print dialog waits for the user. A modal that no
// scripting helper claims and that is still open after a short grace (for scripts that answer
// from a zero-time timer) fails the running test with the dialog's name and is closed, so the
// test goes on to its own assertions instead of hanging until ctest's time limit.
//
// Helpers that answer dialogs claim the ones they will answer: `claim` is asked about the active
// modal for as long as `owner` lives.
void ClaimModals(QObject* owner, std::function<bool(QWidget* modal)> claim);

// Installs the watchdog on the application; called once from main after QApplication exists.
void InstallModalWatchdog();

// How long an unclaimed modal may stay open before it fails the test.
constexpr int UnscriptedModalGraceMs = 2000;

} // namespace tikkeli::test
