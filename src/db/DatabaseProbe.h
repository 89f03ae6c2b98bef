#pragma once

#include "db/DbError.h"

#include <QString>

namespace tikkeli {

enum class DbFileKind {
    SQLite,          // a SQLite database (not yet checked for damage)
    Missing,         // 3024
    FolderMissing,   // 3044
    Unreadable,      // 3051: exists but cannot be read
    Empty,           // 3343: an empty file is not a database
    Access,          // 3344: an Access/Jet database
    NotADatabase,    // 3343: anything else
};

struct DbFileProbe {
    DbFileKind kind = DbFileKind::Missing;
    DbError error;            // number 0 for a SQLite file
    bool isSQLite() const { return kind == DbFileKind::SQLite; }
};

// What the file at path is, judged from its header without opening a connection. Repair and other
// file operations use it to refuse anything that is not one of our SQLite files.
DbFileProbe ProbeDatabaseFile(const QString& path);

} // namespace tikkeli
