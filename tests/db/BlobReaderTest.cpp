#include "DbTestSupport.h"
#include "db/BlobReader.h"
#include "db/MemoryMappedReads.h"

#include <gtest/gtest.h>

using namespace tikkeli;

TEST(BlobReader, ReadsAValueInPiecesAndRefusesWhatIsNotThere)
{
    DbFolder folder;
    Database db = folder.create();
    db.execute(QStringLiteral("CREATE TABLE kuva (id INTEGER PRIMARY KEY, data BLOB)"));
    const QByteArray bytes(70000, 'k');
    db.execute(QStringLiteral("INSERT INTO kuva (id, data) VALUES (1, ?), (2, NULL)"), {Value(bytes)});
    {
        MemoryMappedReads mapped(db);
        BlobReader blob(db, QStringLiteral("kuva"), QStringLiteral("data"), 1);
        QByteArray read = blob.buffer();
        blob.read(read.data(), 0, 30000);
        blob.read(read.data() + 30000, 30000, 40000);
        EXPECT_EQ(read, bytes);
        char past[2];
        EXPECT_THROW(blob.read(past, blob.size() - 1, 2), DbException);
    }
    // The map ends with the reader: the connection reads as before.
    EXPECT_EQ(db.scalar(QStringLiteral("PRAGMA mmap_size")).toInt64(), 0);
    EXPECT_THROW(BlobReader(db, QStringLiteral("kuva"), QStringLiteral("data"), 2), DbException);
    EXPECT_THROW(BlobReader(db, QStringLiteral("kuva"), QStringLiteral("data"), 3), DbException);
}
