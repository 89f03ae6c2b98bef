#pragma once

#include "db/DbError.h"

struct sqlite3;

namespace tikkeli {

// Maps SQLite result codes onto the error numbers the program branches on, with a Finnish text.
class SqliteError {
public:
    static DbException from(sqlite3* db, int rc);
    static DbException from(int rc, const QString& message);
    [[noreturn]] static void raise(sqlite3* db, int rc) { throw from(db, rc); }
};

} // namespace tikkeli
