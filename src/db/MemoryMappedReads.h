#pragma once

#include "db/Database.h"

namespace tikkeli {

// While it lives, the connection reads its file through a memory map. Reading a value of many
// megabytes (BlobReader) otherwise makes a system call for each page of it, which costs as much
// as copying the bytes; from the map each page is only copied. Make it before the transaction
// whose reads it serves: the map is set up as that transaction begins to read. The map is given
// up again at the end, so that the rest of the program reads as before.
class MemoryMappedReads {
public:
    explicit MemoryMappedReads(Database& db);
    ~MemoryMappedReads();
    MemoryMappedReads(const MemoryMappedReads&) = delete;
    MemoryMappedReads& operator=(const MemoryMappedReads&) = delete;

private:
    Database m_db;
    qint64 m_before = 0;
};

} // namespace tikkeli
