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

TEST_F(FeatureAttachTest, OnlyNewSkipsMembersWhoHaveTheFeature)
{
    const qint64 piID = definition("Kokous");
    const qint64 a = member("Aho");
    const qint64 b = member("Berg");
    memberValue(a, piID);
    for (const bool onlyNew : {true, false}) {
        SCOPED_TRACE(onlyNew);
        db.execute(QStringLiteral("DELETE FROM pt"));
        memberValue(a, piID);
        const AttachResult r = FeatureAttach::attach(db, FeatureTable::members(), piID, {a, b}, {}, onlyNew);
        EXPECT_EQ(r.added, onlyNew ? 1 : 2);
        EXPECT_EQ(count("SELECT COUNT(*) FROM pt WHERE ptjrID = ?", {a}), onlyNew ? 1 : 2);
        EXPECT_EQ(count("SELECT COUNT(*) FROM pt WHERE ptjrID = ?", {b}), 1);
    }
    EXPECT_EQ(FeatureAttach::attach(db, FeatureTable::members(), piID, {}, {}, false).added, 0);
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
