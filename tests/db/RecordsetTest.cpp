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

TEST_F(RecordsetTest, MovesStopAtBothEndsAndFailBeyondThem)
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

namespace {

TEST_F(RecordsetTest, EditUpdatesOnlyChangedFieldsByKey)
{
    Recordset rs = db.openRecordset(QStringLiteral("SELECT jsSukunimi, jsSaldo FROM js WHERE jsEtunimi = ? ORDER BY jsID"),
                                    RecordsetType::Dynaset, {QStringLiteral("Matti")});
    ASSERT_TRUE(rs.isUpdatable()); // the key is fetched invisibly
    EXPECT_EQ(rs.fieldCount(), 2);
    EXPECT_FALSE(rs.hasField(QStringLiteral("tikkeli__rowid")));
    rs.moveNext();
    // Another writer changes a field the set does not touch; the update must not undo it.
    db.execute(QStringLiteral("UPDATE js SET jsEtunimi = 'Pekka' WHERE jsID = 2"));
    rs.edit();
    EXPECT_EQ(rs.editMode(), EditMode::Edit);
    rs.setField("JSSALDO", QStringLiteral("10,5"));
    EXPECT_EQ(rs.field("jsSaldo"), Value(Currency::fromRaw(105000)));
    rs.update();
    EXPECT_EQ(rs.lastModified(), 2);
    EXPECT_EQ(rs.field("jsSaldo"), Value(Currency::fromRaw(105000)));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT jsEtunimi || ':' || jsSaldo FROM js WHERE jsID = 2")).toString(),
              QStringLiteral("Pekka:10.5"));
}

TEST_F(RecordsetTest, FailedUpdateKeepsBufferAndMode)
{
    Recordset rs = db.openRecordset(QStringLiteral("js"));
    rs.edit();
    rs.setField("jsSukunimi", QString()); // the CHECK refuses ""
    try {
        rs.update();
        ADD_FAILURE();
    } catch (const DbException& e) {
        EXPECT_EQ(e.number(), DbErr::ValidationFailed);
    }
    EXPECT_EQ(rs.editMode(), EditMode::Edit);
    EXPECT_EQ(rs.field("jsSukunimi"), Value(QString()));
    rs.setField("jsSukunimi", QStringLiteral("Korjattu"));
    rs.update();
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT jsSukunimi FROM js WHERE jsID = 1")).toString(), QStringLiteral("Korjattu"));

    rs.addNew();
    rs.setField("jsEtunimi", QStringLiteral("Ilman sukunimeä"));
    rs.setField("jsSukunimi", QString());
    EXPECT_THROW(rs.update(), DbException);
    EXPECT_EQ(rs.editMode(), EditMode::Add);
    EXPECT_EQ(rs.recordCount(), 5);
    EXPECT_EQ(rs.field("jsEtunimi").toString(), QStringLiteral("Ilman sukunimeä"));
    rs.cancelUpdate();
    EXPECT_EQ(rs.editMode(), EditMode::None);
    EXPECT_EQ(rs.field("jsSukunimi").toString(), QStringLiteral("Korjattu"));
    EXPECT_THROW(rs.cancelUpdate(), DbException);
    EXPECT_THROW(rs.update(), DbException);
}

TEST_F(RecordsetTest, SetFieldChecksModeNamesAndTypes)
{
    Recordset rs = db.openRecordset(QStringLiteral("SELECT jsID, jsLuku, jsSukunimi || '!' AS huuto FROM js"));
    const struct {
        bool editFirst;
        const char* field;
        Value value;
        int number;
    } cases[] = {
        {false, "jsLuku", Value(1), DbErr::UpdateWithoutEdit},
        {true, "eiole", Value(1), DbErr::ItemNotFound},
        {true, "huuto", Value("x"), DbErr::FieldNotUpdatable},
        {true, "jsLuku", Value("kolme"), DbErr::ConversionError},
    };
    for (const auto& c : cases) {
        if (c.editFirst)
            rs.edit();
        try {
            rs.setField(QString::fromUtf8(c.field), c.value);
            ADD_FAILURE() << c.field;
        } catch (const DbException& e) {
            EXPECT_EQ(e.number(), c.number) << c.field;
        }
        if (c.editFirst)
            rs.cancelUpdate();
    }
    rs.edit();
    rs.setField("jsLuku", 2.5); // rounds half to even
    rs.update();
    EXPECT_EQ(rs.field("jsLuku"), Value(2));
    EXPECT_THROW(rs.field("eiole"), DbException);
}

TEST_F(RecordsetTest, DeleteLeavesNoCurrentRecordUntilAMove)
{
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM js ORDER BY jsID"));
    rs.moveNext();
    rs.deleteRecord();
    EXPECT_EQ(rs.recordCount(), 4);
    EXPECT_FALSE(rs.eof());
    EXPECT_EQ(rs.absolutePosition(), -1);
    try {
        rs.field("jsID");
        ADD_FAILURE();
    } catch (const DbException& e) {
        EXPECT_EQ(e.number(), DbErr::RecordDeleted);
    }
    rs.moveNext();
    EXPECT_EQ(rs.field("jsID"), Value(3));
    rs.movePrevious();
    EXPECT_EQ(rs.field("jsID"), Value(1));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM js WHERE jsID = 2")).toInt64(), 0);
    rs.moveLast();
    rs.deleteRecord();
    rs.moveNext();
    EXPECT_TRUE(rs.eof());
    EXPECT_THROW(rs.setBookmark(2), DbException);
}

TEST_F(RecordsetTest, SecondDeleteRemovesTheRowAskedFor)
{
    // Each way of reaching the second row to delete, in sets with a visible key, a hidden one, and
    // an order other than the key's.
    const struct {
        const char* sql;
        const char* how;
    } cases[] = {
        {"SELECT * FROM js ORDER BY jsID", "moves"},
        {"SELECT * FROM js ORDER BY jsID", "position"},
        {"SELECT * FROM js ORDER BY jsID", "find"},
        {"SELECT * FROM js ORDER BY jsID", "bookmark"},
        {"SELECT * FROM js ORDER BY jsID", "move"},
        {"SELECT * FROM js ORDER BY jsID", "early bookmark"},
        {"SELECT jsSukunimi FROM js ORDER BY jsSukunimi", "early bookmark"},
        {"SELECT jsSukunimi, jsID FROM js ORDER BY jsSukunimi", "moves"},
        {"SELECT jsSukunimi, jsID FROM js ORDER BY jsSukunimi", "move"},
        {"SELECT jsSukunimi FROM js ORDER BY jsID", "moves"},
        {"SELECT jsSukunimi FROM js ORDER BY jsID", "position"},
        {"SELECT jsSukunimi FROM js ORDER BY jsID", "find"},
        {"SELECT jsSukunimi FROM js ORDER BY jsSukunimi DESC", "moves"},
        {"js", "moves"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.sql) + " / " + c.how);
        db.execute(QStringLiteral("DELETE FROM js"));
        for (const char* n : {"Virtanen", "Äijälä", "Aho", "Öhman", "Zetterberg"})
            db.execute(QStringLiteral("INSERT INTO js (jsSukunimi) VALUES (?)"), {QString::fromUtf8(n)});
        Recordset rs = db.openRecordset(QString::fromLatin1(c.sql));
        ASSERT_EQ(rs.recordCount(), 5);
        std::vector<QString> names;
        for (rs.moveFirst(); !rs.eof(); rs.moveNext())
            names.push_back(rs.field("jsSukunimi").toString());
        rs.moveFirst();
        rs.move(3);
        const Bookmark markOfFourth = rs.bookmark(); // taken before anything is deleted
        rs.moveFirst();
        rs.moveNext();
        rs.deleteRecord(); // the second row of the set
        const QString fourth = names[3];
        const std::string how = c.how;
        if (how == "moves") {
            rs.moveNext();
            rs.moveNext();
        } else if (how == "early bookmark") {
            rs.setBookmark(markOfFourth);
        } else if (how == "move") {
            rs.move(2); // from the deleted row's place: the next row is one, the row after it two
        } else if (how == "position") {
            rs.setAbsolutePosition(2);
        } else if (how == "find") {
            rs.moveFirst();
            ASSERT_TRUE(rs.findFirst("jsSukunimi", fourth));
        } else {
            rs.moveFirst();
            while (!rs.eof() && rs.field("jsSukunimi").toString() != fourth)
                rs.moveNext();
            ASSERT_FALSE(rs.eof());
            const Bookmark mark = rs.bookmark();
            rs.moveFirst();
            rs.setBookmark(mark);
        }
        ASSERT_EQ(rs.field("jsSukunimi").toString(), fourth);
        rs.deleteRecord(); // the fourth row of the set as it was opened

        const std::vector<QString> expected{names[0], names[2], names[4]};
        std::vector<QString> inSet;
        for (rs.moveFirst(); !rs.eof(); rs.moveNext())
            inSet.push_back(rs.field("jsSukunimi").toString());
        EXPECT_EQ(inSet, expected);
        Recordset stored = db.openRecordset(QStringLiteral("SELECT jsSukunimi FROM js"));
        std::vector<QString> inTable;
        for (; !stored.eof(); stored.moveNext())
            inTable.push_back(stored.field("jsSukunimi").toString());
        std::sort(inTable.begin(), inTable.end());
        std::vector<QString> sortedExpected = expected;
        std::sort(sortedExpected.begin(), sortedExpected.end());
        EXPECT_EQ(inTable, sortedExpected);
    }
}

TEST_F(RecordsetTest, FindAndBookmarks)
{
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM js ORDER BY jsSukunimi"));
    EXPECT_TRUE(rs.findFirst("jssukunimi", QString::fromUtf8("äijälä")));
    EXPECT_FALSE(rs.noMatch());
    const Bookmark mark = rs.bookmark();
    EXPECT_EQ(mark, 2);
    auto startsWithZOrLater = [](const Recordset& r) { return r.field("jsSukunimi").toString() >= QStringLiteral("Z"); };
    rs.moveFirst();
    EXPECT_TRUE(rs.findNext(startsWithZOrLater));
    EXPECT_EQ(rs.field("jsSukunimi").toString(), QStringLiteral("Zetterberg"));
    EXPECT_TRUE(rs.findLast(startsWithZOrLater));
    EXPECT_EQ(rs.field("jsSukunimi").toString(), QString::fromUtf8("Öhman"));
    EXPECT_TRUE(rs.findPrevious(startsWithZOrLater));
    EXPECT_EQ(rs.field("jsSukunimi").toString(), QString::fromUtf8("Äijälä"));
    const int before = rs.absolutePosition();
    EXPECT_FALSE(rs.findNext([](const Recordset& r) { return r.field("jsID").toInt64() == 99; }));
    EXPECT_TRUE(rs.noMatch());
    EXPECT_EQ(rs.absolutePosition(), before);
    EXPECT_FALSE(rs.findFirst("jsLuku", 5));
    EXPECT_TRUE(rs.findFirst("jsLuku", Value())); // Null finds Null
    rs.moveLast();
    rs.setBookmark(mark);
    EXPECT_EQ(rs.field("jsID"), Value(2));
    EXPECT_THROW(rs.setBookmark(77), DbException);
}

TEST_F(RecordsetTest, SnapshotsJoinsAndAggregatesAreReadOnly)
{
    db.execute(QStringLiteral("CREATE TABLE ml (mlID INTEGER PRIMARY KEY, jsID INTEGER, mlSumma DECIMAL(19,4))"));
    db.execute(QStringLiteral("INSERT INTO ml (jsID, mlSumma) VALUES (1, 5), (1, 7.25)"));
    const char* readOnly[] = {
        "SELECT js.jsSukunimi, ml.mlSumma FROM js JOIN ml ON ml.jsID = js.jsID",
        "SELECT jsEtunimi, count(*) AS n FROM js GROUP BY jsEtunimi",
        "SELECT DISTINCT jsEtunimi FROM js",
        "SELECT sum(mlSumma) AS s FROM ml",
    };
    for (const char* sql : readOnly) {
        Recordset rs = db.openRecordset(QString::fromUtf8(sql));
        EXPECT_FALSE(rs.isUpdatable()) << sql;
        EXPECT_THROW(rs.addNew(), DbException) << sql;
    }
    Recordset snap = db.openRecordset(QStringLiteral("js"), RecordsetType::Snapshot);
    EXPECT_FALSE(snap.isUpdatable());
    EXPECT_THROW(snap.edit(), DbException);
    EXPECT_EQ(db.openRecordset(QStringLiteral("SELECT sum(mlSumma) AS s FROM ml")).field("s"), Value(12.25));
    EXPECT_EQ(db.openRecordset(QStringLiteral("SELECT mlSumma FROM ml WHERE mlID = 2")).field("MLSUMMA"),
              Value(Currency::fromRaw(72500)));
    try {
        db.openRecordset(QStringLiteral("eiole"));
        ADD_FAILURE();
    } catch (const DbException& e) {
        EXPECT_EQ(e.number(), DbErr::TableNotFound);
    }
}

TEST_F(RecordsetTest, AddNewOnEmptySetStaysAtEndAndRequeryReads)
{
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM js WHERE jsEtunimi = 'Liisa'"));
    ASSERT_TRUE(rs.eof());
    rs.addNew();
    rs.setField("jsSukunimi", QStringLiteral("Uusi"));
    rs.setField("jsEtunimi", QStringLiteral("Liisa"));
    rs.setField("jsSyntynyt", QDate(1980, 2, 29));
    rs.setField("jsMaksettu", true);
    rs.update();
    EXPECT_EQ(rs.recordCount(), 1);
    EXPECT_TRUE(rs.eof());
    rs.moveFirst();
    EXPECT_EQ(rs.field("jsSyntynyt").toDate(), QDate(1980, 2, 29));
    EXPECT_EQ(rs.field("jsMaksettu"), Value(true));
    EXPECT_EQ(rs.field("jsMaa").toString(), QStringLiteral("Suomi"));
    EXPECT_TRUE(rs.field("jsLuotu").toDateTime().isValid());
    db.execute(QStringLiteral("INSERT INTO js (jsSukunimi, jsEtunimi) VALUES ('Toinen', 'Liisa')"));
    rs.requery();
    EXPECT_EQ(rs.recordCount(), 2);
    EXPECT_EQ(rs.absolutePosition(), 0);
    rs.close();
    EXPECT_FALSE(rs.isOpen());
    EXPECT_THROW(rs.eof(), DbException);
}

} // namespace

namespace {

TEST_F(RecordsetTest, TheNewKeyCanBeReadBetweenAddNewAndUpdate)
{
    // Delete the highest key first: AutoNumber keys are never handed out again.
    db.execute(QStringLiteral("DELETE FROM js WHERE jsID = 5"));
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM js WHERE jsID = 0"));
    rs.addNew();
    const Value shown = rs.field("JSID");
    EXPECT_EQ(shown, Value(6));
    rs.setField("jsSukunimi", QStringLiteral("Uusi"));
    rs.update();
    EXPECT_EQ(rs.lastModified(), 6);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT jsSukunimi FROM js WHERE jsID = ?"), {shown}).toString(),
              QStringLiteral("Uusi"));

    // Other code adding a row in between takes the shown key; the row then gets the next one.
    rs.addNew();
    EXPECT_EQ(rs.field("jsID"), Value(7));
    db.execute(QStringLiteral("INSERT INTO js (jsSukunimi) VALUES ('Väliin')"));
    rs.setField("jsSukunimi", QStringLiteral("Toinen"));
    rs.update();
    EXPECT_EQ(rs.lastModified(), 8);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT jsSukunimi FROM js WHERE jsID = 7")).toString(), QString::fromUtf8("Väliin"));

    // A cancelled AddNew writes nothing; a key given by the caller is kept.
    rs.addNew();
    EXPECT_EQ(rs.field("jsID"), Value(9));
    rs.cancelUpdate();
    rs.addNew();
    rs.setField("jsID", 42);
    rs.setField("jsSukunimi", QStringLiteral("Oma avain"));
    rs.update();
    EXPECT_EQ(rs.lastModified(), 42);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM js")).toInt64(), 8);

    // A key already in use is the duplicate-key error, and the new row stays pending.
    rs.addNew();
    rs.setField("jsID", 42);
    rs.setField("jsSukunimi", QStringLiteral("Kaksoiskappale"));
    try {
        rs.update();
        ADD_FAILURE() << "a duplicate key was stored";
    } catch (const DbException& e) {
        EXPECT_EQ(e.number(), DbErr::DuplicateKey);
    }
    EXPECT_EQ(rs.editMode(), EditMode::Add);
    EXPECT_EQ(rs.field("jsSukunimi").toString(), QStringLiteral("Kaksoiskappale"));
}

TEST_F(RecordsetTest, EditOfARowDeletedByOthersFailsAndKeepsTheEdit)
{
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM js ORDER BY jsID"));
    Recordset other = db.openRecordset(QStringLiteral("SELECT * FROM js ORDER BY jsID"));
    other.deleteRecord();
    rs.edit();
    rs.setField("jsEtunimi", QStringLiteral("Pekka"));
    try {
        rs.update();
        ADD_FAILURE() << "a deleted row was updated";
    } catch (const DbException& e) {
        EXPECT_EQ(e.number(), DbErr::RecordDeleted);
    }
    EXPECT_EQ(rs.editMode(), EditMode::Edit);
    EXPECT_EQ(rs.field("jsEtunimi").toString(), QStringLiteral("Pekka"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM js")).toInt64(), 4);
}

// Rows changed, deleted and added behind the set's back, read again by key: a set on the table by
// name takes exactly those rows (the rest stay as read), keeps its current record while it exists
// and otherwise makes the first one current; a set from a statement is read again whole.
TEST_F(RecordsetTest, RowsReadAgainByKeyTakeWhatIsStoredAndTheRestStayAsRead)
{
    Recordset rs = db.openRecordset(QStringLiteral("js"), RecordsetType::Dynaset);
    const auto rows = [&] {
        QStringList all;
        const Bookmark at = rs.bookmark();
        for (rs.moveFirst(); !rs.eof(); rs.moveNext())
            all << rs.field("jsID").toString() + u' ' + rs.field("jsEtunimi").toString();
        rs.setBookmark(at);
        return all.join(u',');
    };
    rs.setBookmark(3);
    db.execute(QStringLiteral("UPDATE js SET jsEtunimi = 'Liisa', jsSyntynyt = '1970-05-04 00:00:00' WHERE jsID = 3"));
    db.execute(QStringLiteral("UPDATE js SET jsEtunimi = 'Kalle' WHERE jsID = 1"));
    db.execute(QStringLiteral("DELETE FROM js WHERE jsID = 2"));
    db.execute(QStringLiteral("INSERT INTO js (jsSukunimi, jsEtunimi) VALUES ('Uusi', 'Urho')"));
    rs.requeryRows({6, 3, 2, 42});
    EXPECT_EQ(rs.recordCount(), 5);
    EXPECT_EQ(rows(), QStringLiteral("1 Matti,3 Liisa,4 Matti,5 Matti,6 Urho"));
    EXPECT_EQ(rs.field("jsSukunimi").toString(), QStringLiteral("Aho"));
    EXPECT_EQ(rs.field("jsSyntynyt").toDate(), QDate(1970, 5, 4));
    EXPECT_EQ(rs.field("jsMaksettu"), Value(false));
    // Another row's field, read where the current record stays.
    EXPECT_EQ(rs.fieldOfRow(6, QStringLiteral("jsEtunimi")), std::optional<Value>(Value(QStringLiteral("Urho"))));
    EXPECT_EQ(rs.fieldOfRow(2, QStringLiteral("jsEtunimi")), std::nullopt);
    EXPECT_EQ(rs.field("jsSukunimi").toString(), QStringLiteral("Aho"));
    rs.edit();
    rs.setField("jsLuku", 7);
    rs.update();
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT jsEtunimi || jsLuku FROM js WHERE jsID = 3")), Value("Liisa7"));

    db.execute(QStringLiteral("DELETE FROM js WHERE jsID = 3"));
    rs.requeryRows({3});
    EXPECT_EQ(rs.recordCount(), 4);
    EXPECT_EQ(rs.field("jsID").toInt64(), 1);

    Recordset some = db.openRecordset(QStringLiteral("SELECT * FROM js WHERE jsID > 1"), RecordsetType::Dynaset);
    db.execute(QStringLiteral("UPDATE js SET jsEtunimi = 'Ville' WHERE jsID = 5"));
    some.requeryRows({4});
    ASSERT_TRUE(some.findFirst(QStringLiteral("jsID"), Value(5)));
    EXPECT_EQ(some.field("jsEtunimi").toString(), QStringLiteral("Ville"));
}

TEST_F(RecordsetTest, BookmarksSurviveRequeryAndCountIsExactAtOnce)
{
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM js ORDER BY jsSukunimi"));
    EXPECT_EQ(rs.recordCount(), 5); // no MoveLast needed
    rs.moveLast();
    EXPECT_EQ(rs.recordCount(), 5);
    ASSERT_TRUE(rs.findFirst("jsSukunimi", QStringLiteral("Virtanen")));
    const Bookmark mark = rs.bookmark();
    db.execute(QStringLiteral("INSERT INTO js (jsSukunimi) VALUES ('Aalto')"));
    rs.requery();
    EXPECT_EQ(rs.recordCount(), 6);
    rs.setBookmark(mark);
    EXPECT_EQ(rs.field("jsSukunimi").toString(), QStringLiteral("Virtanen"));
}

TEST_F(RecordsetTest, AFailedRequeryLeavesTheSetClosedNotHalfRead)
{
    db.execute(QStringLiteral("CREATE TABLE luvut (id INTEGER PRIMARY KEY, n INTEGER)"));
    db.execute(QStringLiteral("INSERT INTO luvut (n) VALUES (1), (2), (3)"));
    Recordset rs = db.openRecordset(QStringLiteral("SELECT id, abs(n) AS a FROM luvut ORDER BY id"));
    ASSERT_EQ(rs.recordCount(), 3);
    // abs() of the smallest integer overflows: the new read fails at the second row.
    db.execute(QStringLiteral("UPDATE luvut SET n = -9223372036854775808 WHERE id = 2"));
    EXPECT_THROW(rs.requery(), DbException);
    EXPECT_FALSE(rs.isOpen());
    try {
        rs.field("a");
        ADD_FAILURE();
    } catch (const DbException& e) {
        EXPECT_EQ(e.number(), DbErr::ObjectClosed);
    }
}

TEST_F(RecordsetTest, RecordsetsOutliveCloseAllAndWriteThroughTheReopenedFile)
{
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM js ORDER BY jsID"));
    Recordset snap = db.openRecordset(QStringLiteral("js"), RecordsetType::Snapshot);
    ASSERT_TRUE(ConnectionRegistry::closeAll(db.path()));
    EXPECT_FALSE(ConnectionRegistry::isOpen(db.path()));
    // The rows were read in full, so the sets still move and read ...
    snap.moveLast();
    EXPECT_EQ(snap.field("jsID"), Value(5));
    // ... and a write reopens the file.
    rs.edit();
    rs.setField("jsEtunimi", QStringLiteral("Ville"));
    rs.update();
    EXPECT_TRUE(ConnectionRegistry::isOpen(db.path()));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT jsEtunimi FROM js WHERE jsID = 1")).toString(), QStringLiteral("Ville"));
    rs.requery();
    EXPECT_EQ(rs.field("jsEtunimi").toString(), QStringLiteral("Ville"));
}

} // namespace
