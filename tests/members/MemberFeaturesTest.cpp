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
    t.addDefinition(QString());                            // a definition without a name
    t.addDefinition(QStringLiteral("Vuokra"), {}, 2);     // a contract feature
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
                                  "piCurrency = 7 WHERE piID = ?"), {QDate(2024, 3, 5), numberOnly});
    const qint32 dateNoDefault = t.addDefinition(QStringLiteral("Pvm"));
    t.db().execute(QStringLiteral("UPDATE pi SET piEnbldDate = 1 WHERE piID = ?"), {dateNoDefault});
    const qint32 all = t.addDefinition(QStringLiteral("Kaikki"));
    t.db().execute(QStringLiteral("UPDATE pi SET piEnbldDate = 1, piEnbldLong = 1, piEnbldCurrency = 1, "
                                  "piEnbldMemo = 1, piDate = ?, piLong = 2, piCurrency = 12.5, piMemo = 'muisti' "
                                  "WHERE piID = ?"), {QDate(2024, 3, 5), all});

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

    // A missing definition still gives the row with its links.
    const auto d = MemberFeatures::values(t.db(), MemberFeatures::attach(t.db(), m, 999));
    ASSERT_TRUE(d);
    EXPECT_EQ(d->definitionId, 999);
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
        bool emptied;
    } numbers[] = {
        {"12,5", Value(), true},        // a whole-number feature never rounds a fraction
        {"13,5", Value(), true},
        {"-2,5", Value(), true},
        {"14,0", Value(14), false},
        {"-2", Value(-2), false},
        {"1 234", Value(1234), false},
        {"", Value(), false},
        {"abc", Value(), true},
        {"3000000000", Value(), true},  // beyond a whole number's range
        {"12.5", Value(), true},        // a decimal point is no Finnish number
    };
    for (const auto& c : numbers) {
        const auto out = MemberFeatures::save(t.db(), f, all, {{}, QString::fromUtf8(c.number), {}, {}});
        ASSERT_TRUE(out.found);
        EXPECT_EQ(out.emptied.testFlag(K::Number), c.emptied) << c.number;
        EXPECT_EQ(MemberFeatures::values(t.db(), f)->number, c.stored) << c.number;
    }

    auto out = MemberFeatures::save(t.db(), f, all, {QStringLiteral("5.3.2024"), {}, QStringLiteral("12,3456"),
                                                     QStringLiteral("rivi\nrivi")});
    auto v = MemberFeatures::values(t.db(), f);
    EXPECT_EQ(v->date.toDate(), QDate(2024, 3, 5));
    EXPECT_EQ(v->amount.toCurrency(), Currency::fromRaw(123456));
    EXPECT_EQ(v->memo, Value(QStringLiteral("rivi\nrivi")));
    EXPECT_FALSE(out.emptied);

    out = MemberFeatures::save(t.db(), f, all, {QStringLiteral("31.2.2024"), {}, QStringLiteral("x"), {}});
    v = MemberFeatures::values(t.db(), f);
    EXPECT_TRUE(v->date.isNull());
    EXPECT_TRUE(v->amount.isNull());
    EXPECT_TRUE(v->memo.isNull());   // an emptied memo is stored as Null
    EXPECT_EQ(out.emptied, MemberFeatures::Kinds(K::Date | K::Amount));
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

TEST(MemberFeaturesTest, DateBoxReformatting)
{
    EXPECT_EQ(MemberFeatures::reformatDate(QStringLiteral("05.03.2024")), QStringLiteral("5.3.2024"));
    EXPECT_EQ(MemberFeatures::reformatDate(QStringLiteral("huomenna")), QStringLiteral("huomenna"));
    EXPECT_EQ(MemberFeatures::reformatDate(QString()), QString());
}

} // namespace tikkeli
