#pragma once

#include "backup/BackupError.h"

#include <functional>
#include <optional>

namespace tikkeli {

// Copies a closed file through a hidden temporary file beside the target, flushed to disk before it
// takes the target's name, so the target is either the old file or the whole new one.
class SafeFileCopy {
public:
    static std::optional<BackupError> copy(const QString& source, const QString& target);

    // Flushes a folder's entries (after a rename into it).
    static void syncFolder(const QString& folder);

    // Tests inject failures here: called before each step ("read", "write", "sync", "rename")
    // with the path it touches; a non-zero errno fails that step.
    static inline std::function<int(const QString& step, const QString& path)> faultHook;
};

} // namespace tikkeli
