#pragma once

#include <QString>

#include <functional>

namespace tikkeli {

class Database;

// The maintenance commands of the main window's menus. Each works on the whole file named by
// State().DatabasePath, asks and reports through the prompter, and keeps nothing open afterwards.
class MaintenanceCommands {
public:
    static void euroConversion();        // mEuroMuunnos "Tee Euro muunnos"
    static void reverseEuroConversion(); // mPalautaEuroMuunnos "Palauta Euro muunnos"
    static void serviceCommandBox();     // mMuokkaaTietokantaa "Muokkaa tietokantaa"
    static void sqlStatement();          // mSuoritaSQLLause "Suorita SQL-lause"
    static void databaseRepair();        // mKorjaaTietokanta "Tietokannan korjaus"

    // Runs a service command (the user's text, upper-cased) in one transaction. Returns the
    // message of a finished command, or an empty text when the command is not known. Throws the
    // DbException of a failing statement, with every table as it was.
    static QString runServiceCommand(Database& db, const QString& command);

    // Installed by the windows layer: closes every window but the main window through its own
    // close path (false when one refuses). Empty: there is nothing to close.
    static inline std::function<bool()> CloseWindows;
};

} // namespace tikkeli
