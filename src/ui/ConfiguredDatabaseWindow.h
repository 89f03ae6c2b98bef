#pragma once

#include "db/Database.h"

#include <functional>

class QWidget;

namespace tikkeli {

// Opens the club database named by the settings into db for a window that works on it for its
// whole life, then runs fill, the window's first reading of it. When either fails the user is
// told why ("Tarkista tietokanta asetukset asetusikkunasta!", the error's description on the next
// line), db is left closed and the window is disabled and closes as soon as events run, so no
// command of it can reach a half-loaded database. Returns whether the window is loaded.
bool OpenWindowDatabase(QWidget& window, Database& db, const std::function<void()>& fill = {});

} // namespace tikkeli
