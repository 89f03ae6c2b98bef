#pragma once

#include "db/Database.h"

#include <cstdint>

namespace tikkeli {

// Tells whether a database may have changed since an earlier look: every write through the
// program's connection to the file, every commit of another program and a file put in its place
// (a restored backup) move it. Lists read from the database can be kept while it stays the same.
struct DatabaseStamp {
    const void* connection = nullptr;
    std::int64_t changes = -1;
    std::int64_t version = -1;
    std::int64_t fileTime = -1; // the file's last modification, µs
    std::int64_t fileSize = -1;

    static DatabaseStamp of(Database& db);
    // False for a stamp that could not be read: such a stamp matches nothing, not even itself.
    bool valid() const { return version >= 0; }
    bool operator==(const DatabaseStamp& other) const;
    // Whether this program wrote nothing through its connection to the file since the stamp was
    // taken: no query and no look at the file, so a walk may ask it at every step. Another
    // program's commit is not seen by it.
    bool noWritesSince(Database& db) const;
};

} // namespace tikkeli
