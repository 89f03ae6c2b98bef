#pragma once

#include "backup/BackupError.h"

#include <optional>

namespace tikkeli {

// A consistent, verified copy of a club database, open or not, taken with SQLite's backup API by
// the database layer; a half-written copy never carries the target's name.
class DatabaseCopy {
public:
    static std::optional<BackupError> copy(const QString& databasePath, const QString& target);
};

} // namespace tikkeli
