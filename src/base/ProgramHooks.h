#pragma once

#include <functional>

namespace tikkeli {

enum class ReportMargin { Top, Bottom, Left, Right };

// Call points of the start-up and the settings load into parts of the program that live in other
// modules (the report engine, the settings window). Each module installs its function at program
// start; an empty function is skipped, so the core runs (and is tested) without them.
struct ProgramHooks {
    // The main window's report control: a page margin in twips, pushed by the settings load after
    // each page margin is read (the stored value times 48).
    static inline std::function<void(ReportMargin, int twips)> SetReportMargin;
    // Start-up: put the report control's two numeric properties back to 0 before anything prints.
    static inline std::function<void()> ResetReportControl;
    // Start-up, after the caption: frmMain.ResetReportFormulas.
    static inline std::function<void()> ResetReportFormulas;
    // The one-time settings migration: shows the settings window modally, filled from the shared
    // state; its save writes every key and AsKannassa = "1". When nothing is installed the
    // migration copies the old ini values into the database itself.
    static inline std::function<void()> ShowMigrationSettingsDialog;
    // Resets every hook (tests).
    static void clear()
    {
        SetReportMargin = {};
        ResetReportControl = {};
        ResetReportFormulas = {};
        ShowMigrationSettingsDialog = {};
    }
};

} // namespace tikkeli
