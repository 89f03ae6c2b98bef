#pragma once

#include "backup/BackupError.h"

#include <optional>

namespace tikkeli {

// A consistent copy of a club database, open or not, taken with SQLite's backup API. The copy is
// written under a temporary name beside target and takes target's name only when it is complete
// and on disk, so a half-written copy never carries the final name.
class DatabaseCopy {
public:
    static std::optional<BackupError> copy(const QString& databasePath, const QString& target);
};

} // namespace tikkeli
