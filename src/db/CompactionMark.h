#pragma once

#include <QString>

#include <optional>
#include <vector>

struct sqlite3;

namespace tikkeli {

// What a compaction that replaces the database under its write lock writes into its copy: which
// file it copied, at which commit, and which file the copy itself is. A connection another program
// keeps to the replaced file finds there that the file now at the path holds exactly the rows (under
// the same keys) of the file it has open, and goes on with it as if nothing had happened. A
// restored backup, a repaired file or any other file put in the place carries no mark that fits:
// that stays a replaced file, which the windows are told of.
struct CompactionMark {
    // One file on the disk, whatever names it goes by.
    struct FileId {
        quint64 device = 0;
        quint64 inode = 0;
        bool valid() const { return inode != 0; }
        bool operator==(const FileId&) const = default;
        // The file at path now, links followed; invalid when there is none.
        static FileId at(const QString& path);
        // The file SQLite's connection db has open as its database, opened at path; invalid when
        // another file has taken the path since, so a file put in place is never taken for it.
        static FileId openBy(sqlite3* db, const QString& path);
    };

    FileId source;             // the file copied
    quint32 sourceCommits = 0; // its change counter: every commit to it moves the counter
    FileId copy;               // the copy that takes the source's place
    // The compactions that made source, oldest first: a connection to a file compacted twice or
    // more over (the stick's compaction and the folder backup, one after the other) while it
    // wrote nothing goes on as well as one compacted once.
    std::vector<CompactionMark> earlier;

    // The change counter in the header of the file db has open, read through db's own handle of
    // it (a second handle would be a second look at whatever file has the name now).
    static std::optional<quint32> changeCounter(sqlite3* db);
    // Writes the mark into the copy open by db; a file without AutoNumber counters has no place
    // for it and stays unmarked. The marks of the compactions that made source, which the copy
    // has from it, go on in earlier (the last few of them). DbException.
    void writeInto(sqlite3* db) const;
    // The mark of the file at path; none when it has none or it cannot be read.
    static std::optional<CompactionMark> of(const QString& path);
    // Whether the file now at path is a compaction of the file db has open (opened: its identity
    // from the open), made of that file as it stands, or a compaction of such a compaction.
    static bool replacedByCompaction(sqlite3* db, const FileId& opened, const QString& path);
    // The same for a file no longer open: opened as it was, with its change counter when let go.
    static bool replacedByCompaction(const FileId& opened, std::optional<quint32> commits, const QString& path);
};

} // namespace tikkeli
