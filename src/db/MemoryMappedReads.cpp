#include "db/MemoryMappedReads.h"

#include "base/ErrorHandling.h"

#include <algorithm>

namespace tikkeli {

namespace {
// SQLite's own ceiling for a map on 64-bit Linux is just under 2 GiB.
constexpr qint64 MapBytes = qint64(1) << 31;
} // namespace

MemoryMappedReads::MemoryMappedReads(Database& db) : m_db(db)
{
    m_before = m_db.scalar(QStringLiteral("PRAGMA mmap_size")).toInt64();
    m_db.execute(QStringLiteral("PRAGMA mmap_size = %1").arg(std::max(m_before, MapBytes)));
}

MemoryMappedReads::~MemoryMappedReads()
{
    IgnoringErrors("memory-mapped reads: end", [&] { m_db.execute(QStringLiteral("PRAGMA mmap_size = %1").arg(m_before)); });
}

} // namespace tikkeli
