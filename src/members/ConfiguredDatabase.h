#pragma once

#include "db/Database.h"

#include <optional>

namespace tikkeli {

// Opens the club database named by the settings (DatabasePath) for a window with a data control of
// its own. On failure the message for the user is in *message ("Tarkista tietokanta asetukset
// asetusikkunasta!", with the error's description on a new line when opening failed).
std::optional<Database> OpenConfiguredDatabase(QString* message);

// "Tarkista tietokanta asetukset asetusikkunasta!": what the user is told when the club database
// cannot be opened or read.
const QString& CheckDatabaseSettingsText();

} // namespace tikkeli
