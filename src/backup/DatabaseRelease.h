#pragma once

#include <QString>

namespace tikkeli {

// Closes the program's connections to a database before work on the file itself. When a window is
// in the middle of saving (a transaction is open) nothing is closed, the user is told so and the
// result is false.
bool ReleaseDatabase(const QString& databasePath);

} // namespace tikkeli
