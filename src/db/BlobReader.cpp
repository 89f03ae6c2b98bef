#include "db/BlobReader.h"

#include "db/SqliteError.h"

#include <sqlite3.h>
#include <sys/mman.h>
#include <unistd.h>

namespace tikkeli {

BlobReader::BlobReader(Database& db, const QString& table, const QString& column, qint64 rowId) : m_db(db)
{
    sqlite3* handle = m_db.handle();
    const int rc = sqlite3_blob_open(handle, "main", table.toUtf8().constData(), column.toUtf8().constData(), rowId, 0,
                                     &m_blob);
    if (rc != SQLITE_OK) {
        const DbException e = SqliteError::from(handle, rc);
        sqlite3_blob_close(m_blob);
        m_blob = nullptr;
        throw e;
    }
    m_size = sqlite3_blob_bytes(m_blob);
}

BlobReader::~BlobReader()
{
    sqlite3_blob_close(m_blob);
}

QByteArray BlobReader::buffer() const
{
    QByteArray bytes(qsizetype(m_size), Qt::Uninitialized);
#ifdef MADV_POPULATE_WRITE
    // Only whole pages inside the buffer; a kernel without this advice just leaves the work to the
    // copying.
    const auto page = quintptr(sysconf(_SC_PAGESIZE));
    const quintptr first = (quintptr(bytes.data()) + page - 1) & ~(page - 1);
    const quintptr end = (quintptr(bytes.data()) + quintptr(bytes.size())) & ~(page - 1);
    if (end > first)
        madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE);
#endif
    return bytes;
}

void BlobReader::read(char* dest, qint64 offset, qint64 length)
{
    if (offset < 0 || length < 0 || offset + length > m_size)
        throw DbException(DbErr::Generic, QStringLiteral("Tallennettua tietoa luettiin sen lopun yli."));
    const int rc = sqlite3_blob_read(m_blob, dest, int(length), int(offset));
    if (rc != SQLITE_OK)
        throw SqliteError::from(m_db.handle(), rc);
}

} // namespace tikkeli
