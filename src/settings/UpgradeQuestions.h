#pragma once

#include "db/UpdateDatabase.h"

namespace tikkeli {

// The upgrade hooks the program runs the upgrade with: each decision a step needs is put to the
// user through the prompter.
UpgradeHooks AskingUpgradeHooks();

// Runs the upgrade with `AskingUpgradeHooks()`.
std::vector<int> UpdateDatabaseAsking(Database& db);

} // namespace tikkeli
