#pragma once

#include "base/FileSafety.h"
#include "db/FileHold.h"
#include "db/Database.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QList>
#include <QPair>
#include <functional>
#include <optional>
#include <vector>

struct sqlite3;

namespace tikkeli {

// File-level maintenance of database files. Each writes a temporary file beside its target,
// flushes it to disk, verifies it and only then renames it into place: a failure at any point
// leaves every existing file as it was and removes the temporary file. Errors: DbException.

class DatabaseWriteLock;

// Copies src into the new file dest without free space (VACUUM INTO). dest must not exist (58).
// Keys are not reused afterwards: the AutoNumber counters travel with the copy, and every row
// keeps its key. A compaction that is to replace src reads it under src's write lock, held until
// the copy has taken src's name, so no commit can go into the file being left behind.
void CompactDatabase(const QString& srcPath, const QString& destPath, const DatabaseWriteLock* lock = nullptr);

// What the repair saved of one table: the rows copied, and the rowid ranges it could not read.
struct TableSalvage {
    QString table;
    long long saved = 0; // rows in the repaired file
    long long found = 0; // of those, rows read from pages the table's tree no longer reaches
    // Rows lost: each row whose key was found but whose contents could not be read, once, and at
    // most the keys of the ranges that could not be reached, less the rows found on loose pages.
    long long lostRows = 0;
    bool lostExact = true;      // false: lostRows is the most that can have been lost
    bool lostCountKnown = true; // false: rows were lost past the last key the file tells of
    QList<QPair<long long, long long>> lost;
    bool unreadable = false; // not one row could be read
    bool complete() const { return lost.isEmpty() && !unreadable; }
    // "Taulu jr: 1950 riviä talteen, enintään 40 riviä menetettiin (rivinumerot 1201–1240)."
    QString text() const;
};

struct RepairResult {
    bool wasDamaged = false; // false: the file passed its check and was left alone
    // Not every row could be saved, and the caller asked to hear that first: the damaged file is
    // still at its name, as it was (see PartialRepair::HoldBack).
    bool heldBack = false;
    QString keptOriginalAs; // where the damaged original now lives ("<name>_vioittunut.<ext>")
    QStringList problems;   // what could not be salvaged, in Finnish: tables with lost rows, objects
    long long rowsSalvaged = 0;
    std::vector<TableSalvage> tables; // every table of the fresh file, in order
    bool complete() const;            // every row of every table and every object was saved
    // The closing note of a repair: where the original is kept, each table with the rows it saved
    // and lost, and what else could not be made again. Empty when the file was not damaged.
    QString summary() const;
};

// What a repair that cannot save every row does: puts the fresh file in place all the same (no
// window holds anything of the file, as at start-up), or leaves the damaged file at its name and
// says so (RepairResult::heldBack), so that the windows can first store what they hold typed.
enum class PartialRepair { PutInPlace, HoldBack };

// Checks the file and, when it is damaged, salvages table by table, row by row (schema, rows, indexes, views,
// triggers, counters) into a fresh file that replaces it once verified. The damaged original is
// kept beside it under the name in keptOriginalAs; it is never deleted. Through a link, the file
// behind it is repaired and kept beside itself, and the link stays a link. Files that are not
// SQLite databases (Access files, junk) are refused without any change. The connection to the
// file is closed first; 3003 when a transaction is open on it. From the check to the rename the
// file's write lock is held (DatabaseWriteLock): refused (70) while another program of ours has
// the file open, and Locked while another program's save lasts past RepairWriterWaitMs. A fresh
// file with every row of the damaged one, under the same keys, is told to this program's windows
// as a compaction is: they go on with what they hold typed.
RepairResult RepairDatabase(const QString& databasePath, PartialRepair partial = PartialRepair::PutInPlace);

// How long the repair waits for another program's save to end; tests shorten it.
inline int RepairWriterWaitMs = 3000;

// A consistent copy of the committed database with SQLite's online backup, also while another
// connection is writing. An existing dest is replaced only when it is a SQLite file; never the
// source itself.
// True when a rollback journal with content lies beside the database (beside the file behind a
// link, where SQLite keeps it): the file alone is then not a whole database, and it must not be
// renamed, replaced or copied as one.
bool HasHotJournal(const QString& databasePath);

// A database file's write lock, held while the file itself is kept aside or replaced: no other
// program of ours has the file open (SoleUse), no other writer's transaction can begin, and a
// journal left by a write that was stopped has been rolled back into the file first, so the file
// alone is the whole database. Released when dropped.
class DatabaseWriteLock {
public:
    DatabaseWriteLock() = default;
    ~DatabaseWriteLock();
    DatabaseWriteLock(DatabaseWriteLock&& other) noexcept;
    DatabaseWriteLock& operator=(DatabaseWriteLock&& other) noexcept;
    DatabaseWriteLock(const DatabaseWriteLock&) = delete;
    DatabaseWriteLock& operator=(const DatabaseWriteLock&) = delete;

    // How the lock's first read takes a file shorter than the page count its header names: as
    // damaged, or as far as it goes (the repair, which reads what is left of such a file).
    enum class ShortFile { Damaged, ReadWhatIsThere };
    // Takes the lock of an existing SQLite file, waiting at most waitMs for another writer (a
    // tool outside the program) to end. DbException: 70 while another program of ours has the
    // file open (SoleUse), Locked while another writer still writes, or the open's error.
    static DatabaseWriteLock take(const QString& path, int waitMs, ShortFile shortFile = ShortFile::Damaged);
    bool held() const { return m_db != nullptr; }
    // Whether the lock is held on the file now at path.
    bool holds(const QString& path) const;
    void release();
    // Copies the locked file byte for byte to the new file dest (58 when dest exists). It reads
    // through the lock's own handle: opening the file a second time and closing it would drop the
    // lock without a word. The temporary file carries tag (see FileSafety::temporaryName).
    std::optional<FileError> copyTo(const QString& dest, const QString& tag) const;
    // The locked file's bytes, read through the lock's own handle as copyTo reads them; nothing
    // when they cannot be read.
    std::optional<QByteArray> contents() const;
    // The step put a file with the same rows under the same keys at the path (see SoleUse).
    void keepsItsRows() { m_sole.keepsItsRows(); }

private:
    // Hands the locked file to sink piece by piece; 0, or the errno of the first failure (sink's own).
    int readThrough(const std::function<int(const char* data, int size)>& sink) const;

    SoleUse m_sole; // taken first, let go last
    sqlite3* m_db = nullptr;
    QString m_path;
};

void BackupDatabase(const Database& db, const QString& destPath);
void BackupDatabase(const QString& srcPath, const QString& destPath);

} // namespace tikkeli
