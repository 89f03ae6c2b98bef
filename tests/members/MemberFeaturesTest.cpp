#include "CardTestDb.h"

#include "base/Currency.h"
#include "members/MemberFeatures.h"

#include <gtest/gtest.h>

namespace tikkeli {

using test::CardTestDb;

namespace {

QStringList Names(const std::vector<MemberFeatures::Entry>& entries)
{
    QStringList names;
    for (const auto& e : entries)
        names << e.name;
    return names;
}

} // namespace

TEST(MemberFeaturesTest, DefinitionsOfMembersOnlyWithNamesInFinnishOrder)
{
    CardTestDb t;
    t.addDefinition(QStringLiteral("Ämpäri"));
    t.addDefinition(QStringLiteral("ase"));
    t.addDefinition(QString());                       // a definition without a name
    t.addDefinition(QStringLiteral("Vuokra"), {}, 2); // a contract feature
    t.addDefinition(QStringLiteral("Zeta"));
    EXPECT_EQ(Names(MemberFeatures::definitions(t.db())),
              (QStringList{QStringLiteral("ase"), QStringLiteral("Zeta"), QStringLiteral("Ämpäri")}));
    // The nameless definition stays in the catalogue.
    EXPECT_EQ(t.field(QStringLiteral("SELECT COUNT(*) FROM pi WHERE piNimi IS NULL")).toInt64(), 1);
}

TEST(MemberFeaturesTest, AttachTakesDefaultsOfEnabledKindsOnly)
{
    CardTestDb t;
    const qint32 m = t.addMember(QStringLiteral("Virtanen"));
    const qint32 numberOnly = t.addDefinition(QStringLiteral("Luku"));
    t.db().execute(QStringLiteral("UPDATE pi SET piEnbldLong = 1, piLong = 5, piDate = ?, piMemo = 'x', "
                                  "piCurrency = 7 WHERE piID = ?"),
                   {QDate(2024, 3, 5), numberOnly});
    const qint32 dateNoDefault = t.addDefinition(QStringLiteral("Pvm"));
    t.db().execute(QStringLiteral("UPDATE pi SET piEnbldDate = 1 WHERE piID = ?"), {dateNoDefault});
    const qint32 all = t.addDefinition(QStringLiteral("Kaikki"));
    t.db().execute(QStringLiteral("UPDATE pi SET piEnbldDate = 1, piEnbldLong = 1, piEnbldCurrency = 1, "
                                  "piEnbldMemo = 1, piDate = ?, piLong = 2, piCurrency = 12.5, piMemo = 'muisti' "
                                  "WHERE piID = ?"),
                   {QDate(2024, 3, 5), all});

    const auto a = MemberFeatures::values(t.db(), MemberFeatures::attach(t.db(), m, numberOnly));
    ASSERT_TRUE(a);
    EXPECT_EQ(a->number, Value(5));
    EXPECT_TRUE(a->date.isNull() && a->amount.isNull() && a->memo.isNull());

    const auto b = MemberFeatures::values(t.db(), MemberFeatures::attach(t.db(), m, dateNoDefault));
    ASSERT_TRUE(b);
    EXPECT_TRUE(b->date.isNull());

    const auto c = MemberFeatures::values(t.db(), MemberFeatures::attach(t.db(), m, all));
    ASSERT_TRUE(c);
    EXPECT_EQ(c->date.toDate(), QDate(2024, 3, 5));
    EXPECT_EQ(c->number, Value(2));
    EXPECT_EQ(c->amount.toCurrency(), Currency::fromRaw(125000));
    EXPECT_EQ(c->memo, Value(QStringLiteral("muisti")));

    // A definition deleted meanwhile (in another window) gets no row pointing at nothing.
    const qint64 rows = t.db().scalar(QStringLiteral("SELECT COUNT(*) FROM pt")).toInt64();
    EXPECT_EQ(MemberFeatures::attach(t.db(), m, 999), 0);
    EXPECT_EQ(t.db().scalar(QStringLiteral("SELECT COUNT(*) FROM pt")).toInt64(), rows);
}

TEST(MemberFeaturesTest, SameDefinitionTwiceGivesTwoRowsAndMissingDefinitionsAreNotListed)
{
    CardTestDb t;
    const qint32 m = t.addMember(QStringLiteral("Virtanen"));
    const qint32 other = t.addMember(QStringLiteral("Aho"));
    const qint32 p = t.addDefinition(QStringLiteral("Ase"));
    MemberFeatures::attach(t.db(), m, p);
    MemberFeatures::attach(t.db(), m, p);
    t.addFeature(m, 4242);
    t.addFeature(other, p);
    EXPECT_EQ(Names(MemberFeatures::ofMember(t.db(), m)), (QStringList{QStringLiteral("Ase"), QStringLiteral("Ase")}));
}

TEST(MemberFeaturesTest, SaveReadsEachVisibleKindByLocaleRules)
{
    CardTestDb t;
    const qint32 m = t.addMember(QStringLiteral("Virtanen"));
    const qint32 p = t.addDefinition(QStringLiteral("Ase"));
    const qint32 f = t.addFeature(m, p);
    using K = MemberFeatures::Kind;
    const MemberFeatures::Kinds all = K::Date | K::Number | K::Amount | K::Memo;

    const struct {
        const char* number;
        Value stored;
        bool refused;
    } numbers[] =
        {
            {"12,5", Value(), true}, // a whole-number feature never rounds a fraction
            {"13,5", Value(), true},  {"-2,5", Value(), true},        {"14,0", Value(14), false},
            {"-2", Value(-2), false}, {"1 234", Value(1234), false},  {"", Value(), false},
            {"abc", Value(), true},                                   // refused: the stored Null stays
            {"7", Value(7), false},   {"3000000000", Value(7), true}, // beyond a whole number's range: the stored 7 stays
            {"12.5", Value(7), true},                                 // a decimal point is no Finnish number
        };
    for (const auto& c : numbers) {
        const auto out = MemberFeatures::save(t.db(), f, all, {{}, QString::fromUtf8(c.number), {}, {}});
        ASSERT_TRUE(out.found);
        EXPECT_EQ(out.refused.testFlag(K::Number), c.refused) << c.number;
        EXPECT_EQ(MemberFeatures::values(t.db(), f)->number, c.stored) << c.number;
    }

    auto out = MemberFeatures::save(
        t.db(), f, all,
        {QStringLiteral("5.3.2024"), QStringLiteral("7"), QStringLiteral("12,3456"), QStringLiteral("rivi\nrivi")});
    auto v = MemberFeatures::values(t.db(), f);
    EXPECT_EQ(v->date.toDate(), QDate(2024, 3, 5));
    EXPECT_EQ(v->amount.toCurrency(), Currency::fromRaw(123456));
    EXPECT_EQ(v->memo, Value(QStringLiteral("rivi\nrivi")));
    EXPECT_FALSE(out.refused);
    EXPECT_TRUE(out.written);

    // A mistyped date or amount writes nothing at all: every stored value stays.
    for (const auto& [date, amount, refused] :
         {std::tuple{"31.2.2024", "12,3456", K::Date}, std::tuple{"10:30", "12,3456", K::Date},
          std::tuple{"5.3.2024", "x", K::Amount}}) {
        SCOPED_TRACE(date);
        out = MemberFeatures::save(t.db(), f, all,
                                   {QString::fromUtf8(date), QStringLiteral("7"), QString::fromUtf8(amount), QString()});
        EXPECT_EQ(out.refused, MemberFeatures::Kinds(refused));
        EXPECT_FALSE(out.written);
        v = MemberFeatures::values(t.db(), f);
        EXPECT_EQ(v->date.toDate(), QDate(2024, 3, 5));
        EXPECT_EQ(v->amount.toCurrency(), Currency::fromRaw(123456));
        EXPECT_EQ(v->memo, Value(QStringLiteral("rivi\nrivi")));
    }
    // Emptied boxes store Null (an emptied memo too).
    out = MemberFeatures::save(t.db(), f, all, {{}, {}, {}, {}});
    v = MemberFeatures::values(t.db(), f);
    EXPECT_TRUE(v->date.isNull() && v->number.isNull() && v->amount.isNull() && v->memo.isNull());
}

TEST(MemberFeaturesTest, BoxesShowingTheStoredValuesRewriteNothing)
{
    CardTestDb t;
    const qint32 m = t.addMember(QStringLiteral("Virtanen"));
    const qint32 f = t.addFeature(m, t.addDefinition(QStringLiteral("Ase")));
    using K = MemberFeatures::Kind;
    const MemberFeatures::Kinds all = K::Date | K::Number | K::Amount | K::Memo;
    // A memo with CR LF line ends and a date with a time of day, as other programs store them.
    t.db().execute(QStringLiteral("UPDATE pt SET ptValDate = '2024-03-05 14:30:00', ptValLong = 3, "
                                  "ptValCurrency = 2.5, ptValMemo = ? WHERE ptID = ?"),
                   {QStringLiteral("eka\r\ntoka"), f});
    const auto before = MemberFeatures::values(t.db(), f);
    ASSERT_TRUE(before);
    const MemberFeatures::Texts shown = {
        MemberFeatures::shownText(K::Date, before->date), MemberFeatures::shownText(K::Number, before->number),
        MemberFeatures::shownText(K::Amount, before->amount), MemberFeatures::shownText(K::Memo, before->memo)};
    EXPECT_EQ(shown.memo, QStringLiteral("eka\ntoka"));
    EXPECT_EQ(shown.date, QStringLiteral("5.3.2024 14.30.00"));
    t.db().execute(QStringLiteral("CREATE TRIGGER watch BEFORE UPDATE ON pt BEGIN SELECT RAISE(ABORT, 'kirjoitettu'); END"));
    const auto out = MemberFeatures::save(t.db(), f, all, shown); // would throw if it wrote
    EXPECT_TRUE(out.found);
    EXPECT_FALSE(out.written);
    t.db().execute(QStringLiteral("DROP TRIGGER watch"));
    const auto after = MemberFeatures::values(t.db(), f);
    EXPECT_EQ(after->memo, Value(QStringLiteral("eka\r\ntoka")));
    EXPECT_EQ(after->date.toDateTime(), QDateTime(QDate(2024, 3, 5), QTime(14, 30)));

    // A changed memo writes the memo alone; the date keeps its time of day.
    MemberFeatures::Texts typed = shown;
    typed.memo = QStringLiteral("eka\ntoka\nkolmas");
    EXPECT_TRUE(MemberFeatures::save(t.db(), f, all, typed).written);
    const auto changed = MemberFeatures::values(t.db(), f);
    EXPECT_EQ(changed->memo, Value(QStringLiteral("eka\ntoka\nkolmas")));
    EXPECT_EQ(changed->date.toDateTime(), QDateTime(QDate(2024, 3, 5), QTime(14, 30)));
    EXPECT_EQ(changed->number, Value(3));
}

TEST(MemberFeaturesTest, SaveLeavesHiddenKindsAndMissingRowsAlone)
{
    CardTestDb t;
    const qint32 m = t.addMember(QStringLiteral("Virtanen"));
    const qint32 f = t.addFeature(m, t.addDefinition(QStringLiteral("Ase")));
    t.db().execute(QStringLiteral("UPDATE pt SET ptValLong = 9, ptValMemo = 'pidä' WHERE ptID = ?"), {f});
    MemberFeatures::save(t.db(), f, MemberFeatures::Date, {QStringLiteral("1.1.2025"), {}, {}, {}});
    const auto v = MemberFeatures::values(t.db(), f);
    EXPECT_EQ(v->number, Value(9));
    EXPECT_EQ(v->memo, Value(QStringLiteral("pidä")));

    EXPECT_FALSE(MemberFeatures::save(t.db(), 777, MemberFeatures::Number, {{}, QStringLiteral("1"), {}, {}}).found);
    EXPECT_TRUE(MemberFeatures::remove(t.db(), f));
    EXPECT_FALSE(MemberFeatures::remove(t.db(), f));
    EXPECT_FALSE(MemberFeatures::values(t.db(), f));
}

} // namespace tikkeli
