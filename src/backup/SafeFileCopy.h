#pragma once

#include "backup/BackupError.h"

#include <functional>
#include <optional>

namespace tikkeli {

// Files written under a hidden temporary name beside their target and given the target's name
// only once they are complete and on disk, so the target is either the old file or the whole
// new one.
class SafeFileCopy {
public:
    // Copies a closed file that way. beforeRename runs once the copy is complete, just before it
    // takes the target's name; an error from it abandons the copy.
    static std::optional<BackupError> copy(const QString& source, const QString& target,
                                           const std::function<std::optional<BackupError>()>& beforeRename = {});

    // Creates an empty file with a unique hidden name beside target; "" and error when that fails.
    static QString reserveTemp(const QString& target, std::optional<BackupError>& error);
    // Flushes temp to disk and renames it to target; on failure temp is removed and target left
    // as it was.
    static std::optional<BackupError> publish(const QString& temp, const QString& target);
    // Creates folder (and missing parents) unless it is there.
    static std::optional<BackupError> makeFolder(const QString& folder);
    // Flushes a folder's entries (after a rename into it).
    static void syncFolder(const QString& folder);
};

} // namespace tikkeli
