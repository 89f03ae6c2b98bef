#pragma once

#include "app/Startup.h"
#include "ui/WindowOpeners.h"

#include <QMainWindow>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace Ui {
class frmMain;
}

namespace tikkeli {

// The program's start window: its load is the whole start-up; afterwards a fixed-size bar of big
// buttons with two menus, each opening a window of another subsystem. Keeps no database open.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // The start-up, before the window is shown. False when the program ends without showing it
    // (migration done, database in use, or a new database founded from the first-run chooser).
    bool Load();
    const StartupOutcome& startupOutcome() const { return m_outcome; }

    // Runs a command's opener inside its trap: a failure shows the command's message prefix with
    // the error number and description (silently cleared for the payment book and the settings).
    void RunCommand(MainCommand command);
    void ShowAbout();
    // mPerustaTietokanta: founds the club's own database and ends the program when that succeeds.
    void PerustaTietokanta();
    // Closes every other window through its own close handler, saves this window's placement and
    // quits; false (nothing ends) when a window refuses to close.
    bool EndProgram();
    // Enables each button and menu entry whose command has an opener (Load does this too, so
    // openers installed after the window was built count).
    void RefreshCommands();

    // The first-run chooser; true when the user chose the club's own database. Tests replace it.
    std::function<bool(QWidget* owner)> askOwnDatabase;

protected:
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void wireCommands();
    void fitCaptions();
    void applyFixedSize();

    std::unique_ptr<Ui::frmMain> ui;

    std::vector<std::pair<QObject*, MainCommand>> m_commands;
    StartupOutcome m_outcome;
    bool m_ending = false;
};

} // namespace tikkeli
