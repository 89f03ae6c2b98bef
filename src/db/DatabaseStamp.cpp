#include "db/DatabaseStamp.h"

#include "base/ErrorHandling.h"

#include <QFile>
#include <chrono>
#include <filesystem>
#include <sqlite3.h>

namespace tikkeli {

DatabaseStamp DatabaseStamp::of(Database& db)
{
    DatabaseStamp s;
    sqlite3* handle = db.handle();
    s.connection = handle;
    s.changes = sqlite3_total_changes64(handle);
    // data_version moves when another connection (another program) commits to the file. The
    // connection keeps the statement prepared between looks.
    // A read that fails leaves the stamp invalid, which compares as changed: the lists are read
    // again rather than trusted.
    IgnoringErrors("database stamp: read data_version", [&] {
        const Value version = db.scalar(QStringLiteral("PRAGMA data_version"));
        if (!version.isNull())
            s.version = version.toInt64();
    });
    // A plain stat: no local-time conversion on every move of a filtered card.
    std::error_code error;
    const std::filesystem::path file(QFile::encodeName(db.path()).toStdString());
    const std::filesystem::directory_entry entry(file, error); // one stat for both
    const auto time = entry.last_write_time(error);
    if (!error)
        s.fileTime = std::chrono::duration_cast<std::chrono::microseconds>(time.time_since_epoch()).count();
    const auto size = entry.file_size(error);
    if (!error)
        s.fileSize = std::int64_t(size);
    return s;
}

bool DatabaseStamp::operator==(const DatabaseStamp& other) const
{
    return valid() && other.valid() && connection == other.connection && changes == other.changes && version == other.version
           && fileTime == other.fileTime && fileSize == other.fileSize;
}

bool DatabaseStamp::noWritesSince(Database& db) const
{
    sqlite3* handle = db.handle();
    return valid() && connection == handle && changes == sqlite3_total_changes64(handle);
}

} // namespace tikkeli
