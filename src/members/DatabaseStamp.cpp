#include "members/DatabaseStamp.h"

#include <QFileInfo>
#include <sqlite3.h>

namespace tikkeli {

DatabaseStamp DatabaseStamp::of(Database& db)
{
    DatabaseStamp s;
    sqlite3* handle = db.handle();
    s.connection = handle;
    s.changes = sqlite3_total_changes64(handle);
    // data_version moves when another connection (another program) commits to the file.
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(handle, "PRAGMA data_version", -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        s.version = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    const QFileInfo file(db.path());
    s.fileTime = file.lastModified().toMSecsSinceEpoch();
    s.fileSize = file.size();
    return s;
}

} // namespace tikkeli
