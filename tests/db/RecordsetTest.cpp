#include "DbTestSupport.h"
#include "db/Recordset.h"
#include "db/Transaction.h"

#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

class RecordsetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        db = folder.create();
        db.executeScript(QStringLiteral(
            "CREATE TABLE js (jsID INTEGER PRIMARY KEY AUTOINCREMENT, jsSukunimi VARCHAR(50), jsEtunimi VARCHAR(50),"
            " jsMaksettu BOOLEAN NOT NULL DEFAULT 0, jsSaldo DECIMAL(19,4), jsSyntynyt DATETIME, jsLuku INTEGER,"
            " jsMaa VARCHAR(20) DEFAULT 'Suomi', jsLuotu DATETIME DEFAULT CURRENT_TIMESTAMP,"
            " CHECK (jsSukunimi <> ''));"));
        for (const char* n : {"Virtanen", "Äijälä", "Aho", "Öhman", "Zetterberg"})
            db.execute(QStringLiteral("INSERT INTO js (jsSukunimi, jsEtunimi) VALUES (?, ?)"),
                       {QString::fromUtf8(n), QStringLiteral("Matti")});
    }
    DbFolder folder;
    Database db;
};

TEST_F(RecordsetTest, EmptySetIsBothBofAndEofAndMovesFail)
{
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM js WHERE jsID < 0"));
    EXPECT_TRUE(rs.eof());
    EXPECT_TRUE(rs.bof());
    EXPECT_EQ(rs.recordCount(), 0);
    EXPECT_THROW(rs.moveFirst(), DbException);
    EXPECT_THROW(rs.moveNext(), DbException);
    EXPECT_THROW(rs.field("jsID"), DbException);
}

TEST_F(RecordsetTest, MovesFollowTheOriginalEngine)
{
    Recordset rs = db.openRecordset(QStringLiteral("SELECT jsSukunimi FROM js ORDER BY jsSukunimi"));
    ASSERT_EQ(rs.recordCount(), 5);
    EXPECT_FALSE(rs.bof());
    EXPECT_EQ(rs.field("JSSUKUNIMI").toString(), QStringLiteral("Aho"));
    rs.moveLast();
    EXPECT_EQ(rs.field("jssukunimi").toString(), QStringLiteral("Öhman"));
    rs.moveNext();
    EXPECT_TRUE(rs.eof());
    EXPECT_FALSE(rs.bof());
    EXPECT_EQ(rs.absolutePosition(), -1);
    EXPECT_THROW(rs.moveNext(), DbException);
    rs.movePrevious();
    EXPECT_EQ(rs.absolutePosition(), 4);
    rs.moveFirst();
    rs.movePrevious();
    EXPECT_TRUE(rs.bof());
    EXPECT_THROW(rs.movePrevious(), DbException);
    rs.move(2);
    EXPECT_EQ(rs.field(0).toString(), QStringLiteral("Virtanen"));
    rs.move(10);
    EXPECT_TRUE(rs.eof());
    rs.setAbsolutePosition(3);
    EXPECT_EQ(rs.field(0).toString(), QStringLiteral("Äijälä"));
}

TEST_F(RecordsetTest, AddNewInsertsSetFieldsAndKeepsPosition)
{
    Recordset rs = db.openRecordset(QStringLiteral("js"), RecordsetType::Table);
    ASSERT_TRUE(rs.isUpdatable());
    rs.moveNext();
    rs.addNew();
    EXPECT_EQ(rs.field("jsMaksettu"), Value(false));
    EXPECT_TRUE(rs.field("jsSukunimi").isNull());
    EXPECT_EQ(rs.field("jsMaa"), Value("Suomi"));
    rs.setField("jsSukunimi", QStringLiteral("Uusi"));
    rs.setField("jsSaldo", 12.345);
    rs.update();
    EXPECT_EQ(rs.editMode(), EditMode::None);
    EXPECT_EQ(rs.absolutePosition(), 1);
    EXPECT_EQ(rs.recordCount(), 6);
    const Bookmark key = rs.lastModified();
    EXPECT_EQ(key, 6);
    rs.setBookmark(key);
    EXPECT_EQ(rs.field("jsSukunimi").toString(), QStringLiteral("Uusi"));
    EXPECT_EQ(rs.field("jsSaldo"), Value(Currency::fromRaw(123450)));
    EXPECT_TRUE(rs.field("jsLuotu").toDateTime().isValid());
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT jsSaldo FROM js WHERE jsID = ?"), {key}), Value(Currency::fromRaw(123450)));
}

} // namespace
