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
    QByteArray bytes(70000, Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 31 + i / 97);
    db.execute(QStringLiteral("INSERT INTO kuva (id, data) VALUES (1, ?), (2, NULL)"), {Value(bytes)});
    {
        MemoryMappedReads mapped(db);
        BlobReader blob(db, QStringLiteral("kuva"), QStringLiteral("data"), 1);
        ASSERT_EQ(blob.size(), bytes.size());
        QByteArray read = blob.buffer();
        ASSERT_EQ(read.size(), bytes.size());
        for (qint64 offset = 0; offset < blob.size(); offset += 30000)
            blob.read(read.data() + offset, offset, std::min<qint64>(30000, blob.size() - offset));
        EXPECT_EQ(read, bytes);
        char past[2];
        EXPECT_THROW(blob.read(past, blob.size() - 1, 2), DbException);
    }
    // The map ends with the reader: the connection reads as before.
    EXPECT_EQ(db.scalar(QStringLiteral("PRAGMA mmap_size")).toInt64(), 0);
    EXPECT_THROW(BlobReader(db, QStringLiteral("kuva"), QStringLiteral("data"), 2), DbException);
    EXPECT_THROW(BlobReader(db, QStringLiteral("kuva"), QStringLiteral("data"), 3), DbException);
}
