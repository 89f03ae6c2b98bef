#pragma once

#include "backup/BackupError.h"

#include <optional>

namespace tikkeli {

// Files written under a hidden temporary name beside their target and given the target's name
// only once they are complete and on disk, so the target is either the old file or the whole
// new one.
class SafeFileCopy {
public:
    // Creates an empty file with a unique hidden name beside target; "" and error when that fails.
    static QString reserveTemp(const QString& target, std::optional<BackupError>& error);
    // Flushes temp to disk and renames it to target; on failure temp is removed and target left
    // as it was.
    static std::optional<BackupError> publish(const QString& temp, const QString& target);
    // Creates folder (and missing parents) unless it is there.
    static std::optional<BackupError> makeFolder(const QString& folder);
};

} // namespace tikkeli
