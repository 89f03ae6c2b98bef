#pragma once

#include "backup/BackupError.h"
#include "db/DatabaseFiles.h"

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

    // The tag of the restore's temporary files: a stopped restore's are removed by the next
    // restore to the same target and at start-up beside the database.
    static const QString TempTag;

    // Takes the file at path for a whole-file step of this program (SoleUse): refused, with the
    // error to show, while another program of ours has it open. Nothing to take at a path
    // without a file.
    static std::optional<BackupError> claim(const QString& path, SoleUse& sole);

    // Makes target ready to be kept aside and replaced: the program's own connections to it are
    // closed (a save in progress refuses), and an existing database file's write lock is taken, a
    // journal of a stopped write rolled back into it. Refused while another program writes to it,
    // and when a journal lies beside a file SQLite cannot open: that journal belongs to the file
    // and is never deleted; refused (70) too while another program of ours has the file open.
    // The lock is held until dropped.
    static std::optional<BackupError> lockTarget(const QString& target, DatabaseWriteLock& lock);
    // How long lockTarget waits for another program's save to end: a short save ends within it,
    // an invoice run does not. Tests shorten it.
    static inline int WriterWaitMs = 3000;

    // Copies source over target through a temporary file (flushed, then renamed). A target that
    // is a symbolic link stays one: the file it points to (FileSafety::fileBehind, also one not
    // there yet) is written, and the copies kept and the temporary files lie beside that file; a
    // loop of links has no file, and nothing is copied over it. Journal files
    // beside a target that does not exist are nobody's and go first; SQLite would otherwise roll
    // them into the fresh copy. Without a lock from lockTarget, the method takes its own. Asking
    // before the database in use is replaced is the caller's part.
    static std::optional<BackupError> copyIntoPlace(const QString& source, const QString& target,
                                                    const DatabaseWriteLock* lock = nullptr);

    // The dated safety copy a restore keeps of the file it replaces, beside it (beside the file
    // behind a link): "<name>_ennen_palautusta_<yyyy-MM-dd>.<ext>" ("_2", "_3"... when taken).
    static QString safetyCopyPath(const QString& target, const QDate& day);
    // Where the question before a restore over a file says that file is kept: "Nykyinen
    // tietokanta säilytetään samassa kansiossa nimellä <name>", or with the whole path when a
    // link puts the file in another folder.
    static QString safetyCopyNote(const QString& target, const QDate& day);
    // Keeps the file behind target under safetyCopyPath (a hard link, or a copy without hard
    // links); kept is set.
    // Under lockTarget's lock, the copy is read through the lock's handle.
    static std::optional<BackupError> keepSafetyCopy(const QString& target, const QDate& day, QString& kept,
                                                     const DatabaseWriteLock* lock = nullptr);

    // The error part of the restore's messages.
    static QString errorPart(const BackupError& error);

    // Deletes one copy on the stick, unless the program works on that very file.
    static std::optional<BackupError> deleteCopy(const QString& path);
};

} // namespace tikkeli
