#include "AnotherProgram.h"
#include "maps/BoundaryCache.h"
#include "maps/cTilojenRajat.h"
#include "contracts/ContractEstates.h"
#include "contracts/ContractRecords.h"
#include "contracts/cSopimus.h"
#include "contracts/cTila.h"
#include "contracts/ContractTestDb.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace tikkeli;
using test::ContractTestDb;
using test::writeFromAnotherProgram;

namespace {

void point(ContractTestDb& t, qint64 tlId, qint64 order, double x, double y)
{
    t.db.execute(QStringLiteral("INSERT INTO rj (rjtlID, rjOrderID, rjX, rjY, rjMukaan) VALUES (?, ?, ?, ?, 0)"),
                 {Value(tlId), Value(order), Value(x), Value(y)});
}

void square(ContractTestDb& t, qint64 tlId, double left)
{
    point(t, tlId, 1, left, 0);
    point(t, tlId, 2, left + 10, 0);
    point(t, tlId, 3, left + 10, 10);
    point(t, tlId, 4, left, 10);
}

std::vector<qint64> estateIds(const std::vector<EstateBoundary>& estates)
{
    std::vector<qint64> ids;
    for (const EstateBoundary& e : estates)
        ids.push_back(e.tlId);
    return ids;
}

} // namespace

TEST(BoundaryCache, HoldsEachEstatesPointsInOrder)
{
    ContractTestDb t;
    BoundaryCache cache;
    point(t, 8, 2, 20, 2);
    point(t, 3, 1, 1, 1);
    point(t, 8, 1, 10, 1);
    point(t, 8, 3, 30, 3);
    const auto& estates = cache.estates(t.db);
    ASSERT_EQ(estateIds(estates), (std::vector<qint64>{3, 8}));
    EXPECT_EQ(estates[1].polygon(), QPolygonF({QPointF(10, 1), QPointF(20, 2), QPointF(30, 3)}));
    EXPECT_EQ(estates[1].bounds(), QRectF(QPointF(10, 1), QPointF(30, 3)));
    EXPECT_EQ(cache.find(t.db, 5), nullptr);
    ASSERT_NE(cache.find(t.db, 3), nullptr);
    EXPECT_EQ(cache.points(t.db, 8).size(), 3u);
}

TEST(BoundaryCache, SeesAPointAddedByAnotherProgram)
{
    ContractTestDb t;
    BoundaryCache cache;
    square(t, 4, 0);
    ASSERT_EQ(cache.find(t.db, 4)->points.size(), 4u);
    writeFromAnotherProgram(t.path, "INSERT INTO rj (rjtlID, rjOrderID, rjX, rjY, rjMukaan) VALUES (4, 5, 0, 0, 0)");
    EXPECT_EQ(cache.find(t.db, 4)->points.size(), 5u);
}

TEST(BoundaryCache, EstateDeletesOfTheContractCodeTakeTheirPoints)
{
    // Each way the contract code removes estates, and what is left of the boundaries after it.
    struct Case {
        const char* name;
        std::function<void(ContractTestDb&, qint64 vs, qint64 first, qint64 second)> remove;
        std::vector<qint64> left; // of the two estates of the first contract, by position
    };
    const Case cases[] = {
        {"estate record",
         [](ContractTestDb& t, qint64, qint64 first, qint64) {
             cTila e(t.db);
             ASSERT_TRUE(e.Read(first));
             ASSERT_TRUE(e.Delete());
         },
         {1}},
        {"estates grid",
         [](ContractTestDb& t, qint64, qint64, qint64 second) { ContractEstates::remove(t.db, second); },
         {0}},
        {"contract delete", [](ContractTestDb& t, qint64 vs, qint64, qint64) { cSopimus::DeleteContract(t.db, vs); }, {}},
        {"contract record",
         [](ContractTestDb& t, qint64 vs, qint64, qint64) {
             cSopimus c(t.db);
             ASSERT_TRUE(c.Read(vs));
             ASSERT_TRUE(c.Delete());
         },
         {}},
        {"estates left without a contract",
         [](ContractTestDb& t, qint64 vs, qint64, qint64) {
             t.db.execute(QStringLiteral("DELETE FROM vs WHERE vsID = ?"), {Value(vs)});
             ContractRecords records;
             records.open(t.path);
         },
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ContractTestDb t;
        BoundaryCache cache;
        const qint64 vs = t.contract(QStringLiteral("Aho"));
        const qint64 estates[] = {t.estate(vs, QStringLiteral("Mäki"), QStringLiteral("1:1")),
                                  t.estate(vs, QStringLiteral("Nummi"), QStringLiteral("1:2"))};
        const qint64 other = t.estate(t.contract(QStringLiteral("Berg")), QStringLiteral("Oja"), QStringLiteral("2:1"));
        square(t, estates[0], 0);
        square(t, estates[1], 100);
        square(t, other, 200);
        ASSERT_EQ(cache.estates(t.db).size(), 3u);

        c.remove(t, vs, estates[0], estates[1]);

        std::vector<qint64> expected;
        for (const qint64 position : c.left)
            expected.push_back(estates[position]);
        expected.push_back(other);
        EXPECT_EQ(estateIds(cache.estates(t.db)), expected);
        EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM rj")), qint64(4 * expected.size()));
    }
}

TEST(BoundaryCache, AnEstateDeleteThatFailsKeepsItsPoints)
{
    ContractTestDb t;
    const qint64 vs = t.contract(QStringLiteral("Aho"));
    const qint64 tl = t.estate(vs, QStringLiteral("Mäki"), QStringLiteral("1:1"));
    square(t, tl, 0);
    t.db.execute(QStringLiteral("CREATE TRIGGER tl_kept BEFORE DELETE ON tl BEGIN SELECT RAISE(ABORT, 'estetty'); END"));
    EXPECT_THROW(ContractEstates::remove(t.db, tl), DbException);
    EXPECT_THROW(cSopimus::DeleteContract(t.db, vs), DbException);
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM rj")), 4);
}

TEST(cTilojenRajat, EveryEstateWithOrWithoutPointsAndTheEstatesOfAQuery)
{
    ContractTestDb t;
    BoundaryCache cache;
    const qint64 a = t.contract(QStringLiteral("Aho"));
    const qint64 b = t.contract(QStringLiteral("Berg"));
    const qint64 e1 = t.estate(a, QStringLiteral("Mäki"), QStringLiteral("1:1"));
    const qint64 e2 = t.estate(a, QStringLiteral("Nummi"), QStringLiteral("1:2"));
    const qint64 e3 = t.estate(b, QStringLiteral("Oja"), QStringLiteral("2:1"));
    square(t, e1, 0);
    square(t, e3, 50);
    cTilojenRajat reader(t.db, &cache);

    const auto all = reader.ReadTilojenRajat();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].TlId(), e1);
    EXPECT_EQ(all[0].PointCount(), 4);
    EXPECT_EQ(all[1].TlId(), e2);
    EXPECT_EQ(all[1].PointCount(), 0);
    EXPECT_EQ(all[1].GetSmallestX(), -1.0f);

    // A contract that the query returns twice gives its estates once.
    const ContractQuery twice{QStringLiteral("SELECT vs.* FROM vs, tl WHERE vs.vsID = tl.tlvsID AND vs.vsNimi = ?"),
                              {Value(QStringLiteral("Aho"))}};
    const auto ofA = reader.ReadTilojenRajatSQL(twice);
    ASSERT_EQ(ofA.size(), 2u);
    EXPECT_EQ(ofA[0].TlId(), e1);
    EXPECT_EQ(ofA[1].TlId(), e2);
    EXPECT_TRUE(reader.ReadTilojenRajatSQL(ContractQuery{}).empty());

    const auto one = reader.ReadEstate(e3);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].GetGreatestX(), 60.0f);
    EXPECT_TRUE(reader.ReadEstate(0).empty());

    t.db.execute(QStringLiteral("UPDATE vs SET vsMukaan = (vsID = ?)"), {Value(b)});
    const auto marked = reader.ReadMarked();
    ASSERT_EQ(marked.size(), 1u);
    EXPECT_EQ(marked[0].TlId(), e3);
}
