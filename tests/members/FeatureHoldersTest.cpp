#include "FeatureTestDb.h"
#include "members/FeatureHolders.h"

namespace tikkeli {
namespace {

class FeatureHoldersTest : public test::FeatureTestDb {};

// Every list, run and send picks holders by this one rule, so its edges matter everywhere at once.
TEST_F(FeatureHoldersTest, AHolderIsPickedOnceAndAValueRowWithoutAMemberNeverHidesTheOthers)
{
    const qint64 ase = definition(QStringLiteral("Ase")), koira = definition(QStringLiteral("Koira"));
    const qint64 aho = member(QStringLiteral("Aho")), berg = member(QStringLiteral("Berg"));
    member(QStringLiteral("Carlsson"));
    memberValue(aho, ase);
    memberValue(aho, ase); // two values of one feature
    memberValue(berg, koira);
    db.execute(QStringLiteral("INSERT INTO pt (ptpiID) VALUES (?)"), {ase}); // a value left without its member

    EXPECT_EQ(FeatureHolders::ids(db, ase), (QSet<qint32>{qint32(aho)}));
    const auto members = [&](const QString& where, const Params& params) {
        return count(QStringLiteral("SELECT COUNT(*) FROM jr WHERE ") + where, params);
    };
    EXPECT_EQ(members(FeatureHolders::condition(), {ase}), 1);
    EXPECT_EQ(members(FeatureHolders::conditionAnyOf(2), {ase, koira}), 2);
    EXPECT_EQ(members(QStringLiteral("NOT ") + FeatureHolders::conditionAnyOf(1), {ase}), 2)
        << "Berg and Carlsson hold no Ase: the row without a member must not make the test unknown";
    EXPECT_EQ(members(FeatureHolders::condition(QStringLiteral(" AND pt.ptValLong IS NOT NULL")), {ase}), 0);
}

} // namespace
} // namespace tikkeli
