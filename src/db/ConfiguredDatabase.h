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
// What a window tells when it cannot read the club database: that text, and the failure's own
// description on the next line when there is one.
QString CheckDatabaseSettingsMessage(const QString& failure = {});

} // namespace tikkeli
