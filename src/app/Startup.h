#pragma once

#include "db/Database.h"

#include <QString>
#include <functional>

namespace tikkeli {

// True when the path names the sample database: longer than 9 characters and ending, in any case,
// in "demo1.mdb" (a bare "demo1.mdb" does not count).
bool IsDemoDatabase(const QString& path);

// What the start-up decided, for the main window to act on.
struct StartupOutcome {
    bool endProgram = false;     // the migration ran, or the database is in use: end without showing
    QString caption;             // "Tikkeli - <club>"
    bool databaseLoaded = false; // the success road ran (upgrade, settings, club name)
    bool sampleDatabase = false; // the sample database is configured: offer the first-run chooser
};

// The whole start-up of the program without any window: where the database is, the settings
// migration, the open of the database with its roads (not found, read-only, in use, damaged),
// the schema upgrade, the settings load, the backup reminder and the caption. Messages go through
// the prompter. The main window supplies its own steps (size, placement) as callbacks so they run
// at their place in the order.
class Startup {
public:
    std::function<void()> setWindowSize;
    std::function<void()> restorePlacement;
    // The schema upgrade of the success road; the program's own unless a test puts another here.
    std::function<void(Database&)> updateDatabase;

    Startup();
    StartupOutcome run();
    // Step 8: the open of DatabasePath, with the offer to clear a read-only mark; the error
    // number of the open (0 on success, 3024 for an empty path).
    int openDatabase(Database& db, bool offerWritable);

private:
    bool takeNotFoundRoad(Database& db, int& error);
    // Offers a leftover ".md2"/".md3" copy of a missing database; true when one was taken into use
    // and opened, with its result in error.
    bool offerLeftoverCopy(Database& db, int& error);
    void showInUseMessage();
    bool repairDatabase();
    void successRoad(Database& db, bool sampleOpened);

    // The database path of the ini, when its file is as this program left it at its last close.
    QString m_untouchedPath;
    void remindBackup();
};

} // namespace tikkeli
