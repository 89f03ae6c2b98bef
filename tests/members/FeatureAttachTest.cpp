#include "FeatureTestDb.h"

#include "db/DbError.h"
#include "db/Recordset.h"
#include "members/FeatureAttach.h"

using namespace tikkeli;

namespace {

class FeatureAttachTest : public test::FeatureTestDb {};

} // namespace

TEST_F(FeatureAttachTest, ListsLeaveOutRowsWithoutNameAndFollowFinnishOrder)
{
    member(Value(), QStringLiteral("Nimetön"));
    member("Öhman");
    member("Aho", Value());
    member("Virtanen");
    definition(Value());
    definition("Kokous");
    definition("Pelto", 2);
    definition("ampuja");
    QStringList members;
    for (const auto& e : FeatureAttach::members(db))
        members << e.text;
    EXPECT_EQ(members, (QStringList{"Aho ", "Virtanen Matti", "Öhman Matti"}));
    QStringList features;
    for (const auto& e : FeatureAttach::features(db, FeatureTable::members()))
        features << e.text;
    EXPECT_EQ(features, (QStringList{"ampuja", "Kokous"}));
}

TEST_F(FeatureAttachTest, OnlyNewSkipsRecordsWhoHaveTheFeature)
{
    const qint64 piID = definition("Kokous");
    const qint64 other = definition("Pelto");
    // The same three numbers serve as members and as contracts.
    const qint64 a = member("Aho");
    const qint64 b = member("Berg");
    const qint64 c = member("Cajander");
    for (const qint64 id : {a, b, c})
        db.execute(QStringLiteral("INSERT INTO vs (vsID) VALUES (?)"), {id});
    struct Case {
        const char* what;
        std::vector<qint64> chosen;
        bool onlyNew;
        int added;
        // Owners in the order their new rows must have been written.
        std::vector<qint64> newRows;
    };
    const Case cases[] = {
        {"only new skips the one who has it", {a, b, c}, true, 2, {b, c}},
        {"all adds a second row", {a, b, c}, false, 3, {a, b, c}},
        {"the chosen order is kept", {c, a, b}, true, 2, {c, b}},
        {"one chosen twice gets it once", {b, b, a, c, b}, true, 2, {b, c}},
        {"chosen twice without only new: twice", {b, b}, false, 2, {b, b}},
        {"nobody new", {a}, true, 0, {}},
        {"nobody chosen", {}, false, 0, {}},
    };
    for (const FeatureTable* table : {&FeatureTable::members(), &FeatureTable::contracts()}) {
        const QString& tab = table->table;
        const QString& owner = table->ownerField;
        const QString def = table->field("piID");
        for (const Case& t : cases) {
            SCOPED_TRACE(tab.toStdString() + ": " + t.what);
            db.execute(QStringLiteral("DELETE FROM ") + tab);
            // a has this feature with values, b only another one: neither row may change.
            db.execute(QStringLiteral("INSERT INTO %1 (%2, %3, %1ValMemo, %1ValLong) VALUES (?, ?, 'vanha', 7)")
                           .arg(tab, owner, def),
                       {a, piID});
            const qint64 kept = db.lastInsertId();
            db.execute(QStringLiteral("INSERT INTO %1 (%2, %3) VALUES (?, ?)").arg(tab, owner, def), {b, other});
            const AttachResult r = FeatureAttach::attach(
                db, *table, piID, t.chosen, {std::nullopt, QStringLiteral("3"), std::nullopt, QStringLiteral("uusi")},
                t.onlyNew);
            EXPECT_EQ(r.added, t.added);
            EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %1ID = ? AND %2 = ? AND %3 = ?"
                                           " AND %1ValMemo = 'vanha' AND %1ValLong = 7")
                                .arg(tab, owner, def),
                            {kept, a, piID}),
                      1);
            EXPECT_EQ(
                count(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 = ? AND %3 = ?").arg(tab, owner, def), {b, other}),
                1);
            Recordset rs = db.openRecordset(
                QStringLiteral("SELECT %2 AS who, %3 AS def, %1ValLong AS whole, %1ValMemo AS memo FROM %1"
                               " WHERE %1ID > ? + 1 ORDER BY %1ID")
                    .arg(tab, owner, def),
                RecordsetType::Snapshot, {kept});
            std::vector<qint64> written;
            for (; !rs.eof(); rs.moveNext()) {
                written.push_back(rs.field("who").toInt64());
                EXPECT_EQ(rs.field("def").toInt64(), piID);
                EXPECT_EQ(rs.field("whole"), Value(3));
                EXPECT_EQ(rs.field("memo"), Value(QStringLiteral("uusi")));
            }
            EXPECT_EQ(written, t.newRows);
        }
    }
}

TEST_F(FeatureAttachTest, ValuesFollowTheOfferedKinds)
{
    const qint64 piID = definition("Kokous");
    const qint64 a = member("Aho");
    struct Case {
        const char* what;
        AttachValues values;
        Value date, whole, memo, amount;
    };
    const Case cases[] = {
        {"memo only",
         {std::nullopt, std::nullopt, std::nullopt, QStringLiteral("Muistio")},
         Value(),
         Value(),
         QStringLiteral("Muistio"),
         Value()},
        {"all valid",
         {QStringLiteral("5.3.2024"), QStringLiteral("2"), QStringLiteral("12,50"), QString()},
         Value(QDate(2024, 3, 5)),
         Value(2),
         Value(),
         Value(Currency::fromRaw(125000))},
        {"empty boxes are Null", {QString(), QString(), QString(), std::nullopt}, Value(), Value(), Value(), Value()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        db.execute(QStringLiteral("DELETE FROM pt"));
        const AttachResult r = FeatureAttach::attach(db, FeatureTable::members(), piID, {a}, c.values, false);
        EXPECT_EQ(r.added, 1);
        EXPECT_FALSE(r.refusal);
        Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM pt"));
        EXPECT_EQ(rs.field("ptpiID").toInt64(), piID);
        EXPECT_EQ(rs.field("ptjrID").toInt64(), a);
        EXPECT_EQ(rs.field("ptValDate").toDate(), c.date.toDate());
        EXPECT_EQ(rs.field("ptValDate").isNull(), c.date.isNull());
        EXPECT_EQ(rs.field("ptValLong"), c.whole);
        EXPECT_EQ(rs.field("ptValMemo"), c.memo);
        EXPECT_EQ(rs.field("ptValCurrency"), c.amount);
    }
}

TEST_F(FeatureAttachTest, ARefusedValueWritesNothingAndNamesItsField)
{
    const qint64 piID = definition("Kokous");
    const qint64 a = member("Aho");
    const qint64 b = member("Berg");
    struct Case {
        const char* what;
        AttachValues values;
        const char* message;
        bool dateRejected, longRejected, currencyRejected;
    };
    const Case cases[] = {
        {"a fraction in a whole number",
         {std::nullopt, QStringLiteral("4,5"), std::nullopt, std::nullopt},
         "Luku ei kelpaa: \"4,5\"",
         false,
         true,
         false},
        {"number out of range",
         {std::nullopt, QStringLiteral("3000000000"), std::nullopt, std::nullopt},
         "Luku ei kelpaa",
         false,
         true,
         false},
        {"no date",
         {QStringLiteral("32.1.2024"), QStringLiteral("1"), std::nullopt, std::nullopt},
         "Päivämäärä ei kelpaa: \"32.1.2024\"",
         true,
         false,
         false},
        {"no amount",
         {std::nullopt, std::nullopt, QStringLiteral("12.50"), std::nullopt},
         "Arvo ei kelpaa: \"12.50\"",
         false,
         false,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const AttachResult r = FeatureAttach::attach(db, FeatureTable::members(), piID, {a, b}, c.values, false);
        EXPECT_EQ(r.added, 0);
        ASSERT_TRUE(r.refusal.has_value());
        EXPECT_TRUE(r.refusal->startsWith(QString::fromUtf8(c.message))) << r.refusal->toStdString();
        EXPECT_EQ(r.dateRejected, c.dateRejected);
        EXPECT_EQ(r.longRejected, c.longRejected);
        EXPECT_EQ(r.currencyRejected, c.currencyRejected);
        EXPECT_EQ(count("SELECT COUNT(*) FROM pt"), 0);
    }
}

TEST_F(FeatureAttachTest, AFailingRowLeavesNothingWritten)
{
    const qint64 piID = definition("Kokous");
    const qint64 a = member("Aho");
    const qint64 b = member("Berg");
    db.execute(QStringLiteral("CREATE TRIGGER pt_refuse BEFORE INSERT ON pt WHEN NEW.ptjrID = ") + QString::number(b)
               + QStringLiteral(" BEGIN SELECT RAISE(ABORT, 'ei'); END"));
    EXPECT_THROW(FeatureAttach::attach(db, FeatureTable::members(), piID, {a, b}, {}, false), DbException);
    EXPECT_EQ(count("SELECT COUNT(*) FROM pt"), 0);
}

TEST_F(FeatureAttachTest, RecordsAndDefinitionsDeletedSinceTheListWasReadGetNothing)
{
    const qint64 piID = definition("Kokous");
    const qint64 kept = member("Aho");
    const qint64 gone = member("Berg");
    db.execute(QStringLiteral("DELETE FROM jr WHERE jrID = ?"), {gone});
    EXPECT_EQ(FeatureAttach::attach(db, FeatureTable::members(), piID, {kept, gone}, {}, false).added, 1);
    EXPECT_EQ(count("SELECT COUNT(*) FROM pt WHERE ptjrID NOT IN (SELECT jrID FROM jr)"), 0);

    const qint64 dropped = definition("Pelto");
    db.execute(QStringLiteral("DELETE FROM pi WHERE piID = ?"), {dropped});
    EXPECT_EQ(FeatureAttach::attach(db, FeatureTable::members(), dropped, {kept}, {}, true).added, 0);
    EXPECT_EQ(count("SELECT COUNT(*) FROM pt WHERE ptpiID NOT IN (SELECT piID FROM pi)"), 0);
}
