#pragma once

#include "backup/BackupError.h"

#include <QDate>

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
    // beside target, which SQLite would otherwise roll into the fresh copy. The program's own
    // connections to target are closed first; a target with a save in progress is refused. Asking
    // before the database in use is replaced is the caller's part.
    static std::optional<BackupError> copyIntoPlace(const QString& source, const QString& target);

    // The dated safety copy a restore keeps of the file it replaces, beside it:
    // "<name>_ennen_palautusta_<yyyy-MM-dd>.<ext>" ("_2", "_3"... when taken).
    static QString safetyCopyPath(const QString& target, const QDate& day);
    // Keeps target under safetyCopyPath (a hard link, or a copy without hard links); kept is set.
    static std::optional<BackupError> keepSafetyCopy(const QString& target, const QDate& day, QString& kept);

    // The error part of the restore's messages.
    static QString errorPart(const BackupError& error);

    // Deletes one copy on the stick, unless the program works on that very file.
    static std::optional<BackupError> deleteCopy(const QString& path);
};

} // namespace tikkeli
