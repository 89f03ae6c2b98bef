#include "maps/MapStorage.h"

#include "base/FileSafety.h"
#include "base/NullConversions.h"
#include "db/BlobReader.h"
#include "db/MemoryMappedReads.h"
#include "db/Recordset.h"
#include "db/Transaction.h"

#include <QFile>
#include <algorithm>
#include <cerrno>

namespace tikkeli {

namespace {

// Sets one number of the map row, adding the row when there is none.
void saveNumber(Database& db, const char* column, const Value& value)
{
    Transaction t(db);
    const QString name = QLatin1String(column);
    db.execute(QStringLiteral("UPDATE map SET %1 = ? WHERE mapID = (SELECT MIN(mapID) FROM map)").arg(name), {value});
    if (db.rowsAffected() == 0)
        db.execute(QStringLiteral("INSERT INTO map (%1) VALUES (?)").arg(name), {value});
    t.commit();
}

QByteArray readWholeFile(const QString& path)
{
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        const FileError e = FileError::fromErrno(errno ? errno : ENOENT);
        throw NumberedError(e.number, e.description);
    }
    QByteArray bytes;
    const qint64 size = file.size();
    bytes.reserve(qsizetype(size));
    while (!file.atEnd()) {
        errno = 0;
        const QByteArray chunk = file.read(MapStorage::ChunkSize);
        if (chunk.isEmpty() && file.error() != QFileDevice::NoError) {
            const FileError e = FileError::fromErrno(errno ? errno : EIO);
            throw NumberedError(e.number, e.description);
        }
        if (chunk.isEmpty())
            break;
        bytes.append(chunk);
    }
    return bytes;
}

// The first map row's numbers; with rowId, also its key and the picture's size (Null for none).
MapStorage::StoredMap readNumbers(Database& db, qint64* rowId, Value* size)
{
    MapStorage::StoredMap m;
    Recordset rs = db.openRecordset(QStringLiteral("SELECT mapScale, mapPixelRatio, mapID, length(mapPicture) "
                                                   "FROM map ORDER BY mapID COLLATE BINARY LIMIT 1"),
                                    RecordsetType::Snapshot);
    if (rs.eof())
        return m;
    m.exists = true;
    m.scale = NullToLong(rs.field(0));
    m.pixelRatio = NullToDouble(rs.field(1));
    if (rowId)
        *rowId = rs.field(2).toInt64();
    if (size)
        *size = rs.field(3);
    return m;
}

} // namespace

void MapStorage::SaveMapScale(Database& db, qint32 scale)
{
    saveNumber(db, "mapScale", Value(scale));
}

void MapStorage::SaveMapPixelRatio(Database& db, double ratio)
{
    saveNumber(db, "mapPixelRatio", Value(ratio));
}

void MapStorage::SavePicture(Database& db, const QString& filePath)
{
    // The whole file first: a file that cannot be read leaves the stored map untouched.
    SavePictureBytes(db, readWholeFile(filePath));
}

void MapStorage::SavePictureBytes(Database& db, const QByteArray& picture)
{
    Transaction t(db);
    db.execute(QStringLiteral("DELETE FROM map"));
    // An empty file is kept as an empty picture, not as Null.
    if (picture.isEmpty())
        db.execute(QStringLiteral("INSERT INTO map (mapPicture) VALUES (zeroblob(0))"));
    else
        db.execute(QStringLiteral("INSERT INTO map (mapPicture) VALUES (?)"), {Value(picture)});
    t.commit();
}

void MapStorage::RemovePicture(Database& db)
{
    db.execute(QStringLiteral("UPDATE map SET mapPicture = zeroblob(0) WHERE mapID = (SELECT MIN(mapID) FROM map)"));
}

void MapStorage::DeletePicture(Database& db)
{
    db.execute(QStringLiteral("DELETE FROM map"));
}

MapStorage::StoredMap MapStorage::ReadScale(Database& db)
{
    return readNumbers(db, nullptr, nullptr);
}

MapStorage::StoredMap MapStorage::Read(Database& db, const std::function<void(int done, int total)>& progress)
{
    // One read transaction: every chunk comes from the same picture.
    MemoryMappedReads mapped(db);
    Transaction t(db);
    qint64 rowId = 0;
    Value sizeValue;
    StoredMap m = readNumbers(db, &rowId, &sizeValue);
    const qint64 size = sizeValue.isNull() ? 0 : sizeValue.toInt64();
    if (!m.exists || size < 1)
        return m;
    // Incremental blob reading: a chunk costs its own length, not the whole picture's.
    BlobReader blob(db, QStringLiteral("map"), QStringLiteral("mapPicture"), rowId);
    const int total = int(blob.size() / ChunkSize + 1);
    int done = 0;
    m.picture = blob.buffer();
    for (qint64 offset = 0; offset < blob.size(); offset += ChunkSize) {
        blob.read(m.picture.data() + offset, offset, std::min(ChunkSize, blob.size() - offset));
        if (progress && done < total)
            progress(++done, total);
    }
    t.commit();
    return m;
}

} // namespace tikkeli
