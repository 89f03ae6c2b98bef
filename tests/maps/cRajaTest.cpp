#include "maps/cRaja.h"
#include "maps/cRajat.h"
#include "contracts/ContractTestDb.h"

#include <gtest/gtest.h>

using namespace tikkeli;
using test::ContractTestDb;

namespace {

struct Row {
    qint64 tlId;
    qint64 orderId;
    double x;
    double y;
    bool mukaan;
};

Row rowOf(ContractTestDb& t, qint64 id)
{
    Recordset rs = t.db.openRecordset(QStringLiteral("SELECT rjtlID, rjOrderID, rjX, rjY, rjMukaan FROM rj WHERE rjID = ?"),
                                      RecordsetType::Snapshot, {Value(id)});
    EXPECT_FALSE(rs.eof());
    return Row{rs.field(0).toInt64(), rs.field(1).toInt64(), rs.field(2).toDouble(), rs.field(3).toDouble(),
               rs.field(4).toBool()};
}

qint64 storedPoint(ContractTestDb& t, qint64 tlId, qint64 order, double x, double y)
{
    t.db.execute(QStringLiteral("INSERT INTO rj (rjtlID, rjOrderID, rjX, rjY, rjMukaan) VALUES (?, ?, ?, ?, 0)"),
                 {Value(tlId), Value(order), Value(x), Value(y)});
    return t.db.lastInsertId();
}

qint64 rowCount(ContractTestDb& t)
{
    return t.count(QStringLiteral("SELECT COUNT(*) FROM rj"));
}

} // namespace

TEST(cRaja, ANewPointSavedWithForceAddsOneRowAndTakesItsKey)
{
    ContractTestDb t;
    cRaja p(t.db);
    p.setTlId(7);
    p.setOrderID(1);
    p.setX(1500);
    p.setY(2250);
    ASSERT_TRUE(p.Save(true));
    EXPECT_NE(p.id(), 0);
    EXPECT_FALSE(p.isDirty());
    const Row r = rowOf(t, p.id());
    EXPECT_EQ(r.tlId, 7);
    EXPECT_EQ(r.orderId, 1);
    EXPECT_EQ(r.x, 1500.0);
    EXPECT_EQ(r.y, 2250.0);
    EXPECT_FALSE(r.mukaan);
    EXPECT_EQ(rowCount(t), 1);
}

TEST(cRaja, ACleanPointSavesNothingAndTheSameValueKeepsItClean)
{
    ContractTestDb t;
    const qint64 id = storedPoint(t, 3, 1, 100.5, 200.25);
    cRaja p(t.db);
    ASSERT_TRUE(p.Read(id));
    // Another program changes the row: a clean save must not write the old values back.
    t.db.execute(QStringLiteral("UPDATE rj SET rjX = 999 WHERE rjID = ?"), {Value(id)});
    EXPECT_TRUE(p.Save(false));
    EXPECT_EQ(rowOf(t, id).x, 999.0);

    p.setX(100.5f);
    p.setY(200.25f);
    p.setTlId(3);
    EXPECT_FALSE(p.isDirty());
    p.setX(100.75f);
    EXPECT_TRUE(p.isDirty());
}

TEST(cRaja, ReadOfAMissingKeyLeavesDefaults)
{
    ContractTestDb t;
    const qint64 id = storedPoint(t, 3, 4, 10, 20);
    cRaja p(t.db);
    ASSERT_TRUE(p.Read(id));
    p.setLineNumber(12);
    EXPECT_FALSE(p.Read(id + 100));
    EXPECT_EQ(p.id(), 0);
    EXPECT_EQ(p.TlId(), 0);
    EXPECT_EQ(p.OrderID(), 0);
    EXPECT_EQ(p.X(), 0.0f);
    EXPECT_EQ(p.Y(), 0.0f);
    EXPECT_FALSE(p.Mukaan());
    EXPECT_EQ(p.LineNumber(), -1);
}

TEST(cRaja, LineNumberSurvivesReadSaveAndUndoAndIsNeverDirtying)
{
    ContractTestDb t;
    const qint64 id = storedPoint(t, 3, 1, 10, 20);
    cRaja p(t.db);
    p.setLineNumber(5);
    EXPECT_FALSE(p.isDirty());
    ASSERT_TRUE(p.Read(id));
    EXPECT_EQ(p.LineNumber(), 5);
    p.setX(11);
    ASSERT_TRUE(p.Save());
    EXPECT_EQ(p.LineNumber(), 5);
    p.setY(99);
    p.Undo();
    EXPECT_EQ(p.Y(), 20.0f);
    EXPECT_EQ(p.X(), 11.0f);
    EXPECT_EQ(p.LineNumber(), 5);
}

TEST(cRaja, AChangedPointDroppedWithoutSaveLeavesItsRow)
{
    ContractTestDb t;
    const qint64 id = storedPoint(t, 3, 1, 10, 20);
    {
        cRaja p(t.db);
        ASSERT_TRUE(p.Read(id));
        p.setX(500);
    }
    EXPECT_EQ(rowOf(t, id).x, 10.0);
}

TEST(cRaja, DeleteResetsTheObjectWhichStaysUsable)
{
    ContractTestDb t;
    const qint64 id = storedPoint(t, 3, 2, 10, 20);
    cRaja p(t.db);
    ASSERT_TRUE(p.Read(id));
    ASSERT_TRUE(p.Delete());
    EXPECT_EQ(rowCount(t), 0);
    EXPECT_FALSE(p.IsEmpty());
    EXPECT_EQ(p.id(), 0);
    EXPECT_EQ(p.OrderID(), 0);
    ASSERT_TRUE(p.Save(true));
    EXPECT_EQ(rowCount(t), 1);
    EXPECT_EQ(rowOf(t, p.id()).tlId, 0);
}

TEST(cRaja, AnEmptyPointIsInert)
{
    ContractTestDb t;
    const qint64 id = storedPoint(t, 3, 2, 10, 20);
    cRaja p(t.db);
    ASSERT_TRUE(p.Read(id));
    p.setIsEmpty(true);
    EXPECT_EQ(p.X(), 0.0f);
    EXPECT_EQ(p.id(), id);
    EXPECT_FALSE(p.Read(id));
    EXPECT_FALSE(p.Save(true));
    EXPECT_FALSE(p.Delete());
    EXPECT_EQ(rowCount(t), 1);
}

TEST(cRajat, ExtremesOfThePointsAndMinusOneWithoutAny)
{
    struct Case {
        std::vector<std::pair<float, float>> points;
        float minX, maxX, minY, maxY;
    };
    const Case cases[] = {
        {{}, -1, -1, -1, -1},
        {{{100, 300}, {400, 200}, {250, 500}}, 100, 400, 200, 500},
        {{{7, 8}}, 7, 7, 8, 8},
        {{{-5, 3}, {-9, -2}}, -9, -5, -2, 3},
    };
    for (const Case& c : cases) {
        cRajat b;
        for (const auto& [x, y] : c.points)
            b.AddNewRaja(x, y);
        EXPECT_EQ(b.PointCount(), int(c.points.size()));
        EXPECT_EQ(b.GetSmallestX(), c.minX);
        EXPECT_EQ(b.GetGreatestX(), c.maxX);
        EXPECT_EQ(b.GetSmallestY(), c.minY);
        EXPECT_EQ(b.GetGreatestY(), c.maxY);
    }
}

TEST(cRajat, AddNewRajaNumbersThePointsAndStoresThemOnlyWithADatabase)
{
    ContractTestDb t;
    cRajat stored(t.db, 9);
    for (int i = 0; i < 4; ++i)
        stored.AddNewRaja(float(i), float(i));
    cRaja& fifth = stored.AddNewRaja(50, 60);
    EXPECT_EQ(fifth.OrderID(), 5);
    EXPECT_EQ(fifth.TlId(), 9);
    ASSERT_NE(fifth.id(), 0);
    EXPECT_EQ(rowOf(t, fifth.id()).orderId, 5);
    EXPECT_EQ(rowCount(t), 5);
    // Earlier references stay valid as points are appended.
    EXPECT_EQ(&stored.GetRaja(5), &fifth);

    cRajat memoryOnly;
    memoryOnly.setTlId(9);
    const cRaja& p = memoryOnly.AddNewRaja(1, 2);
    EXPECT_EQ(p.id(), 0);
    EXPECT_EQ(p.OrderID(), 1);
    EXPECT_EQ(rowCount(t), 5);
}

TEST(cRajat, ReadRajatReadsInPointOrderAndOnceEach)
{
    ContractTestDb t;
    storedPoint(t, 4, 3, 30, 3);
    storedPoint(t, 4, 1, 10, 1);
    storedPoint(t, 5, 1, 99, 99);
    storedPoint(t, 4, 2, 20, 2);
    cRajat b(t.db, 4);
    b.ReadRajat();
    b.ReadRajat();
    ASSERT_EQ(b.PointCount(), 3);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(b.GetRaja(i).OrderID(), i);
        EXPECT_EQ(b.GetRaja(i).X(), float(10 * i));
        EXPECT_FALSE(b.GetRaja(i).isDirty());
    }
    EXPECT_EQ(b.polygon(), QPolygonF({QPointF(10, 1), QPointF(20, 2), QPointF(30, 3)}));
}
