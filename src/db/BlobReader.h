#pragma once

#include "db/Database.h"

#include <QByteArray>
#include <QString>

struct sqlite3_blob;

namespace tikkeli {

// One stored binary value read piece by piece with SQLite's incremental blob I/O: each piece
// costs its own length, so a value of a hundred megabytes (a map picture) is read in time linear
// in its size, where a statement per piece would load the whole value every time. Open it inside
// a transaction when every piece must come from the same version of the row.
class BlobReader {
public:
    // table and column are the program's own names, never a user's; rowId is the row's key (an
    // INTEGER PRIMARY KEY). Throws DbException when the row is not there or the value is Null.
    BlobReader(Database& db, const QString& table, const QString& column, qint64 rowId);
    ~BlobReader();
    BlobReader(const BlobReader&) = delete;
    BlobReader& operator=(const BlobReader&) = delete;

    qint64 size() const { return m_size; }
    // A buffer of size() bytes to read the value into, its memory made ready in one step: copying
    // into fresh memory otherwise stops at each 4 KiB page of it to map the page, which for a value
    // of many megabytes costs nearly as much as the copying.
    QByteArray buffer() const;
    // Copies length bytes from offset into dest; the range must lie within size().
    void read(char* dest, qint64 offset, qint64 length);

private:
    Database m_db;
    sqlite3_blob* m_blob = nullptr;
    qint64 m_size = 0;
};

} // namespace tikkeli
