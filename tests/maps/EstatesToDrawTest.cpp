#include "maps/EstatesToDraw.h"
#include "contracts/ContractTestDb.h"

#include <gtest/gtest.h>

using namespace tikkeli;
using test::ContractTestDb;

namespace {

std::vector<qint64> idsOf(ContractTestDb& t, const QString& sql)
{
    std::vector<qint64> ids;
    for (Recordset rs = t.db.openRecordset(sql, RecordsetType::Snapshot); !rs.eof(); rs.moveNext())
        ids.push_back(rs.field(0).toInt64());
    return ids;
}

AnimalChoice choice(int option, bool kaikkea, bool hirvi, std::vector<qint32> animals)
{
    AnimalChoice c;
    c.option = option;
    c.kaikkea = kaikkea;
    c.hirvi = hirvi;
    for (const qint32 id : animals)
        c.animals.emplace_back(id, QString::number(id));
    return c;
}

} // namespace

TEST(EstatesToDraw, TheQueriesOfEachKindMarkExactlyTheirContracts)
{
    struct Case {
        const char* name;
        AnimalChoice choice;
        QString sql;
        std::vector<qint64> params;
        QString expectedContracts; // the same set written another way
    };
    const QString listed = QStringLiteral("SELECT vs.* FROM vs LEFT JOIN et ON vs.vsID = et.etvsID WHERE (vs.vsKoskee = ");
    const Case cases[] = {
        {"Enter at once",
         choice(0, false, false, {}),
         QStringLiteral("SELECT * FROM vs WHERE vs.vsKoskee = 1"),
         {},
         QStringLiteral("SELECT vsID FROM vs WHERE vsKoskee = 1")},
        {"all hunting and cervids",
         choice(0, false, true, {}),
         QStringLiteral("SELECT * FROM vs WHERE vs.vsKoskee = 1 OR vs.vsKoskee = 2"),
         {},
         QStringLiteral("SELECT vsID FROM vs WHERE vsKoskee IN (1, 2)")},
        {"cervids and all hunting",
         choice(1, true, false, {}),
         QStringLiteral("SELECT * FROM vs WHERE vs.vsKoskee = 2 OR vs.vsKoskee = 1"),
         {},
         QStringLiteral("SELECT vsID FROM vs WHERE vsKoskee IN (1, 2)")},
        {"the listed animals 5 and 7 and all hunting",
         choice(2, true, false, {5, 7}),
         listed + QStringLiteral("4 and (et.etelID = ? OR et.etelID = ?)) OR vs.vsKoskee = 1"),
         {5, 7},
         QStringLiteral(
             "SELECT vsID FROM vs WHERE (vsKoskee = 4 AND vsID IN (SELECT etvsID FROM et WHERE etelID IN (5, 7))) "
             "OR vsKoskee = 1")},
        {"not the listed animal 5",
         choice(3, true, true, {5}),
         listed + QStringLiteral("3 and (et.etelID = ?))"),
         {5},
         QStringLiteral("SELECT vsID FROM vs WHERE vsKoskee = 3 AND vsID IN (SELECT etvsID FROM et WHERE etelID = 5)")},
        {"not the listed beaver",
         choice(3, false, false, {19}),
         listed + QStringLiteral("3 and (et.etelID = ?))"),
         {19},
         QStringLiteral("SELECT vsID FROM vs WHERE vsKoskee = 3 AND vsID IN (SELECT etvsID FROM et WHERE etelID = 19)")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ContractTestDb t(ContractTestDb::Source::Sample);
        const std::optional<EstatesToDraw> d = EstatesToDraw::fromChoice(false, c.choice);
        ASSERT_TRUE(d);
        EXPECT_FALSE(d->KaikkiTilat);
        EXPECT_EQ(d->RajausSQL.sql, c.sql);
        Params params;
        for (const qint64 p : c.params)
            params.push_back(Value(p));
        EXPECT_EQ(d->RajausSQL.params, params);
        d->markContracts(t.db);
        const auto marked = idsOf(t, QStringLiteral("SELECT vsID FROM vs WHERE vsMukaan = 1 ORDER BY vsID COLLATE BINARY"));
        EXPECT_EQ(marked, idsOf(t, c.expectedContracts + QStringLiteral(" ORDER BY 1 COLLATE BINARY")));
    }
}

TEST(EstatesToDraw, AnimalKindsWithoutAnimalsAskForThemUnlessEveryEstateIsDrawn)
{
    for (const int option : {2, 3}) {
        EXPECT_FALSE(EstatesToDraw::fromChoice(false, choice(option, false, false, {})));
        const auto all = EstatesToDraw::fromChoice(true, choice(option, false, false, {}));
        ASSERT_TRUE(all);
        EXPECT_TRUE(all->KaikkiTilat);
    }
}

TEST(EstatesToDraw, EveryEstateOrAFailingMarkChangesNoMarks)
{
    ContractTestDb t(ContractTestDb::Source::Sample);
    t.db.execute(QStringLiteral("UPDATE vs SET vsMukaan = (vsID % 2)"));
    const auto before = idsOf(t, QStringLiteral("SELECT vsID FROM vs WHERE vsMukaan = 1 ORDER BY vsID COLLATE BINARY"));
    EstatesToDraw::fromChoice(true, choice(0, false, false, {}))->markContracts(t.db);
    EXPECT_EQ(idsOf(t, QStringLiteral("SELECT vsID FROM vs WHERE vsMukaan = 1 ORDER BY vsID COLLATE BINARY")), before);

    // The narrowing step fails after every contract was marked: the old marks stay.
    t.db.execute(QStringLiteral("CREATE TRIGGER vs_narrow BEFORE UPDATE OF vsMukaan2 ON vs WHEN NEW.vsMukaan2 = 1 "
                                "BEGIN SELECT RAISE(ABORT, 'estetty'); END"));
    EXPECT_THROW(EstatesToDraw::fromChoice(false, choice(0, false, false, {}))->markContracts(t.db), DbException);
    EXPECT_EQ(idsOf(t, QStringLiteral("SELECT vsID FROM vs WHERE vsMukaan = 1 ORDER BY vsID COLLATE BINARY")), before);
}
