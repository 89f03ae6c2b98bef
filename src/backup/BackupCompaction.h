#pragma once

#include "backup/BackupError.h"

#include <optional>

namespace tikkeli {

// The optional compaction after a stick backup. The tables' key counters travel with the copy by
// themselves (AUTOINCREMENT); the database layer compacts into a new, flushed and verified file,
// which replaces the database by one atomic rename only after every handle to it was closed and no
// journal waits beside it. The database is never left half-written and the compacted copy is never
// deleted after a failed replace. Marker rows an older version left behind are removed first; a
// failed removal stops the compaction and is reported.
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
