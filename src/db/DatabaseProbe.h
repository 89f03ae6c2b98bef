#pragma once

#include "db/DbError.h"

#include <QString>

namespace tikkeli {

// The mark in the header of every database file of ours (PRAGMA application_id, "TIKK").
constexpr int DatabaseApplicationId = 0x54494B4B;

enum class DbFileKind {
    SQLite,        // a SQLite database (not yet checked for damage)
    Missing,       // 3024
    FolderMissing, // 3044
    Unreadable,    // 3051: exists but cannot be read
    Empty,         // 3343: an empty file is not a database
    Access,        // 3344: an Access/Jet database
    NotADatabase,  // 3343: anything else
    Foreign,       // 3343: a SQLite database, but not one of ours
};

struct DbFileProbe {
    DbFileKind kind = DbFileKind::Missing;
    DbError error; // number 0 for a SQLite file
    bool isSQLite() const { return kind == DbFileKind::SQLite; }
};

// What the file at path is, judged from its header and never changing a byte of it. Our files
// carry our application id; older files of ours, without it, are known by our tables (read through
// an immutable read-only handle). Repair and other file operations use it to refuse anything that
// is not one of our SQLite files. A file whose tables cannot be read is taken as ours (it may be a
// damaged one), so the repair can look at it.
DbFileProbe ProbeDatabaseFile(const QString& path);

} // namespace tikkeli
