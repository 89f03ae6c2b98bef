#include "maps/MapStorage.h"
#include "contracts/ContractTestDb.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace tikkeli;
using test::ContractTestDb;

namespace {

QByteArray pattern(qint64 size)
{
    QByteArray b(qsizetype(size), Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        b[qsizetype(i)] = char((i * 7 + i / 251) & 0xff);
    return b;
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
}

} // namespace

TEST(MapStorage, PicturesComeBackByteForByteChunkByChunk)
{
    struct Case {
        qint64 size;
        int chunks;      // progress steps
        int progressMax; // size / chunk + 1
    };
    const Case cases[] = {{1, 1, 1}, {524287, 1, 1}, {524288, 1, 2}, {524289, 2, 2}, {3 * 524288 + 5, 4, 4}};
    QTemporaryDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        ContractTestDb t;
        const QByteArray bytes = pattern(c.size);
        MapStorage::SavePicture(t.db, writeFile(dir, QStringLiteral("kartta.png"), bytes));
        int steps = 0;
        int total = 0;
        const MapStorage::StoredMap m = MapStorage::Read(t.db, [&](int done, int max) {
            steps = done;
            total = max;
        });
        EXPECT_TRUE(m.exists);
        EXPECT_EQ(m.picture, bytes);
        EXPECT_EQ(steps, c.chunks);
        EXPECT_EQ(total, c.progressMax);
        EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM map")), 1);
    }
}

// Reading the picture touches each of its pages about once, however many chunks it takes: a
// read that fetched the whole value for every chunk grew with the square of the picture's size.
TEST(MapStorage, ThePictureIsReadInTimeLinearInItsSize)
{
    ContractTestDb t;
    const qint64 size = 16 * MapStorage::ChunkSize;
    MapStorage::SavePictureBytes(t.db, pattern(size));
    const qint64 pageSize = t.db.scalar(QStringLiteral("PRAGMA page_size")).toInt64();
    const auto pagesTouched = [&] {
        int hits = 0, misses = 0, high = 0;
        sqlite3_db_status(t.db.handle(), SQLITE_DBSTATUS_CACHE_HIT, &hits, &high, 1);
        sqlite3_db_status(t.db.handle(), SQLITE_DBSTATUS_CACHE_MISS, &misses, &high, 1);
        return qint64(hits) + misses;
    };
    pagesTouched();
    EXPECT_EQ(MapStorage::Read(t.db).picture.size(), size);
    EXPECT_LT(pagesTouched(), 2 * size / pageSize);
}

TEST(MapStorage, AnEmptyFileLeavesARowWithAnEmptyPicture)
{
    ContractTestDb t;
    QTemporaryDir dir;
    MapStorage::SavePicture(t.db, writeFile(dir, QStringLiteral("tyhja.png"), {}));
    const MapStorage::StoredMap m = MapStorage::Read(t.db);
    EXPECT_TRUE(m.exists);
    EXPECT_TRUE(m.picture.isEmpty());
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM map WHERE mapPicture IS NOT NULL")), 1);
}

TEST(MapStorage, ScaleAndRatioLiveInTheOneRowAndANewPictureDropsThem)
{
    ContractTestDb t;
    EXPECT_FALSE(MapStorage::ReadScale(t.db).exists);
    MapStorage::SaveMapScale(t.db, 20000);
    MapStorage::SaveMapPixelRatio(t.db, 1.25);
    MapStorage::SaveMapScale(t.db, -2);
    MapStorage::StoredMap m = MapStorage::ReadScale(t.db);
    EXPECT_TRUE(m.exists);
    EXPECT_EQ(m.scale, -2);
    EXPECT_EQ(m.pixelRatio, 1.25);
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM map")), 1);

    MapStorage::SavePictureBytes(t.db, pattern(10));
    m = MapStorage::Read(t.db);
    EXPECT_EQ(m.scale, 0);
    EXPECT_EQ(m.pixelRatio, 0.0);

    MapStorage::SaveMapScale(t.db, 5000);
    MapStorage::RemovePicture(t.db);
    m = MapStorage::Read(t.db);
    EXPECT_TRUE(m.picture.isEmpty());
    EXPECT_EQ(m.scale, 5000);

    MapStorage::DeletePicture(t.db);
    EXPECT_FALSE(MapStorage::Read(t.db).exists);
}

TEST(MapStorage, AStoreThatFailsLeavesTheOldMapItsScaleAndRatio)
{
    const QByteArray old = pattern(1000);
    const auto prepare = [&](ContractTestDb& t) {
        MapStorage::SavePictureBytes(t.db, old);
        MapStorage::SaveMapScale(t.db, 20000);
        MapStorage::SaveMapPixelRatio(t.db, 0.75);
    };
    const auto unchanged = [&](ContractTestDb& t) {
        const MapStorage::StoredMap m = MapStorage::Read(t.db);
        EXPECT_EQ(m.picture, old);
        EXPECT_EQ(m.scale, 20000);
        EXPECT_EQ(m.pixelRatio, 0.75);
    };
    QTemporaryDir dir;
    const QString newFile = writeFile(dir, QStringLiteral("uusi.png"), pattern(600000));
    {
        SCOPED_TRACE("the new row is refused after the old one was deleted");
        ContractTestDb t;
        prepare(t);
        t.db.execute(
            QStringLiteral("CREATE TRIGGER map_full BEFORE INSERT ON map BEGIN SELECT RAISE(ABORT, 'levy täynnä'); END"));
        EXPECT_THROW(MapStorage::SavePicture(t.db, newFile), DbException);
        unchanged(t);
    }
    {
        SCOPED_TRACE("the file cannot be read");
        ContractTestDb t;
        prepare(t);
        try {
            MapStorage::SavePicture(t.db, dir.filePath(QStringLiteral("puuttuu.png")));
            ADD_FAILURE() << "a missing file was stored";
        } catch (const NumberedError& e) {
            EXPECT_EQ(e.number(), 53);
        }
        unchanged(t);
    }
}
