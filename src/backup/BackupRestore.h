#pragma once

#include "backup/BackupError.h"

#include <optional>

namespace tikkeli {

// Putting a copy from the stick back into use: it goes into the user's documents folder under the
// program title and becomes the configured database; the database in use is never overwritten.
class BackupRestore {
public:
    // <documents>/<ProgramTitle>
    static QString targetFolder();
    static QString targetFor(const QString& source);
    static std::optional<BackupError> makeTargetFolder();

    // Whether path is the database the program works on, or a file some window holds open.
    static bool isInUse(const QString& path);

    // Copies source over target (temporary file, flush, rename) after removing journal files left
    // beside target, which SQLite would otherwise roll into the fresh copy. Refuses a target in use.
    static std::optional<BackupError> copyIntoPlace(const QString& source, const QString& target);

    // The error part of the restore's messages.
    static QString errorPart(const BackupError& error);

    // Deletes one copy on the stick, unless the program works on that very file.
    static std::optional<BackupError> deleteCopy(const QString& path);
};

} // namespace tikkeli
