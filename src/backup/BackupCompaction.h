#pragma once

#include "backup/BackupError.h"

#include <optional>

namespace tikkeli {

// The optional compaction after a stick backup. Marker rows keep the tables' key counters across
// it; the database layer compacts into a new, verified file, which replaces the database by rename
// only after every handle to it was closed. The database is never left half-written, the compacted
// copy is never deleted after a failed replace, and the marker rows are removed in every case.
class BackupCompaction {
public:
    enum class Outcome { Done, TempFailed, CompactFailed, ReplaceFailed };
    struct Result {
        Outcome outcome = Outcome::Done;
        BackupError error;
        QString keptCopy;                       // the compacted file, when the replace failed
        std::optional<BackupError> markerError; // removing the marker rows failed
        // The text of step 5 in the backup window.
        QString stepText() const;
    };

    static Result run(const QString& databasePath);
};

} // namespace tikkeli
