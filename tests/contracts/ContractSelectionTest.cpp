#include "contracts/ContractSelection.h"
#include "db/Recordset.h"
#include "ContractTestDb.h"

#include <gtest/gtest.h>

using namespace tikkeli;
using test::ContractTestDb;

namespace {

struct SummaryRow {
    qint64 vsId;
    QString kunta;
    QString tilat;
    double ala;
    Value voimassa;
};

class ContractSelectionTest : public ::testing::Test {
protected:
    ContractTestDb t;

    QList<qint64> selectedIds()
    {
        QList<qint64> ids;
        Recordset rs = t.db.openRecordset(QStringLiteral("SELECT vsID FROM vs WHERE vsMukaan = 1 ORDER BY vsID"),
                                          RecordsetType::Snapshot);
        for (; !rs.eof(); rs.moveNext())
            ids.push_back(rs.field(0).toInt64());
        return ids;
    }
    std::vector<SummaryRow> summary()
    {
        std::vector<SummaryRow> rows;
        Recordset rs = t.db.openRecordset(QStringLiteral("SELECT * FROM mvs ORDER BY mvsID"), RecordsetType::Snapshot);
        for (; !rs.eof(); rs.moveNext())
            rows.push_back({rs.field(QStringLiteral("mvsvsID")).toInt64(), rs.field(QStringLiteral("mvsKunta")).toString(),
                            rs.field(QStringLiteral("mvsTilat")).toString(), rs.field(QStringLiteral("mvsAla")).toDouble(),
                            rs.field(QStringLiteral("mvsVoimassa"))});
        return rows;
    }
    qint64 estate(qint64 vs, const QString& kunta, const QString& kyla, const QString& tila, const QString& rekNo,
                  const Value& pa)
    {
        const auto text = [](const QString& s) { return s.isEmpty() ? Value() : Value(s); };
        t.db.execute(QStringLiteral("INSERT INTO tl (tlvsID, tlKunta, tlKyla, tlTilaPalsta, tlRekNo, tlPa) "
                                    "VALUES (?, ?, ?, ?, ?, ?)"),
                     {Value(vs), text(kunta), text(kyla), text(tila), text(rekNo), pa});
        return t.db.lastInsertId();
    }
    static ContractQuery q(const QString& sql, const Params& p = {}) { return {sql, p}; }
};

} // namespace

TEST_F(ContractSelectionTest, FiltersIntersectAndOnlyAResetWidensTheSet)
{
    const qint64 a = t.contract(QStringLiteral("Aho")), b = t.contract(QStringLiteral("Berg")),
                 c = t.contract(QStringLiteral("Cajan"));
    ContractSelection::ResetSelection(t.db);
    EXPECT_EQ(selectedIds(), (QList<qint64>{a, b, c}));
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM vs WHERE vsMukaan2 = 1")), 0);

    ContractSelection::FilterSelection(t.db, {});
    EXPECT_EQ(selectedIds(), (QList<qint64>{a, b, c})) << "an empty query is no criterion";

    // A contract returned twice is simply marked twice.
    ContractSelection::FilterSelection(t.db, q(QStringLiteral("SELECT vsID FROM vs WHERE vsID <> ? "
                                                              "UNION ALL SELECT vsID FROM vs WHERE vsID = ?"),
                                               {Value(c), Value(a)}));
    EXPECT_EQ(selectedIds(), (QList<qint64>{a, b}));
    // c comes back from the second query but the first one took it out.
    ContractSelection::FilterSelection(t.db, q(QStringLiteral("SELECT * FROM vs WHERE vsNimi <> ?"), {Value("Berg")}));
    EXPECT_EQ(selectedIds(), (QList<qint64>{a}));

    ContractSelection::FilterSelection(t.db, q(QStringLiteral("SELECT vsID FROM vs WHERE vsID < 0")));
    EXPECT_TRUE(selectedIds().isEmpty()) << "a query without rows leaves nothing";

    ContractSelection::ResetSelection(t.db);
    EXPECT_EQ(selectedIds().size(), 3);
}

TEST_F(ContractSelectionTest, AFailingFilterLeavesTheSelectionAsItWas)
{
    const qint64 a = t.contract(QStringLiteral("Aho"));
    t.contract(QStringLiteral("Berg"));
    ContractSelection::ResetSelection(t.db);
    ContractSelection::FilterSelection(t.db, q(QStringLiteral("SELECT vsID FROM vs WHERE vsID = ?"), {Value(a)}));
    EXPECT_ANY_THROW(ContractSelection::FilterSelection(t.db, q(QStringLiteral("SELECT vsID FROM eiole"))));
    EXPECT_EQ(selectedIds(), (QList<qint64>{a}));
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM vs WHERE vsMukaan2 = 1")), 1);
}

TEST_F(ContractSelectionTest, SummaryRowsPerContract)
{
    const qint64 aho = t.contract(QStringLiteral("Aho"));
    estate(aho, QStringLiteral("Hirvilahti"), QStringLiteral("Kuusijärvi"), QStringLiteral("Korpela"), QStringLiteral("1-2"),
           10.25);
    // The same pair in other letters counts once; a village whose name begins another's is its own.
    estate(aho, QStringLiteral("HIRVILAHTI"), QStringLiteral("kuusijärvi"), QStringLiteral("Rantala"), QStringLiteral("1-3"),
           Value());
    estate(aho, QStringLiteral("Hirvilahti"), QStringLiteral("Kuusi"), QStringLiteral("Aho"), QStringLiteral("1-4"), 0.1);
    const qint64 empty = t.contract(QStringLiteral("Berg")); // no estates: no summary row
    t.db.execute(QStringLiteral("INSERT INTO vs (vsNimi) VALUES (NULL)"));
    const qint64 blank = t.db.lastInsertId();
    estate(blank, {}, {}, {}, {}, Value());
    t.db.execute(QStringLiteral("UPDATE vs SET vsVoimassa = 2, vsVoimassaPaattyy = '2030-01-01 00:00:00' WHERE vsID = ?"),
                 {Value(aho)});

    ContractSelection::RebuildSummaryTable(t.db, q(QStringLiteral("SELECT * FROM vs ORDER BY vsID")));
    const auto rows = summary();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].vsId, aho);
    EXPECT_EQ(rows[0].kunta, QStringLiteral("Hirvilahti, Kuusijärvi; Hirvilahti, Kuusi"));
    EXPECT_EQ(rows[0].tilat, QStringLiteral("Korpela 1-2; Rantala 1-3; Aho 1-4"));
    EXPECT_DOUBLE_EQ(rows[0].ala, 10.35);
    EXPECT_EQ(rows[0].voimassa, Value(2));
    EXPECT_EQ(t.db.scalar(QStringLiteral("SELECT mvsLoppuu FROM mvs WHERE mvsvsID = ?"), {Value(aho)}).toDate(),
              QDate(2030, 1, 1));
    // A contract without a validity code or name is summarised with Nulls, not refused.
    EXPECT_EQ(rows[1].vsId, blank);
    EXPECT_EQ(rows[1].kunta, QStringLiteral(", "));
    EXPECT_EQ(rows[1].tilat, QStringLiteral(" "));
    EXPECT_TRUE(rows[1].voimassa.isNull());
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM mvs WHERE mvsvsID = ?"), {Value(empty)}), 0);
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM mvs WHERE mvsOmistaja IS NULL")), 1);

    // A rebuild starts from an empty table.
    ContractSelection::RebuildSummaryTable(t.db, q(QStringLiteral("SELECT * FROM vs WHERE vsID = ?"), {Value(blank)}));
    EXPECT_EQ(summary().size(), 1u);
}

TEST_F(ContractSelectionTest, LongTextsSplitIntoRowsThatKeepEveryEstateAndTheArea)
{
    const qint64 vs = t.contract(QStringLiteral("Laaja"));
    AreaTotal expected;
    QStringList names;
    for (int i = 0; i < 12; ++i) {
        const QString village = QStringLiteral("Kylä %1 ").arg(i) + QString(40, QLatin1Char('k'));
        const QString name = QStringLiteral("Tila %1 ").arg(i, 2, 10, QLatin1Char('0')) + QString(30, QLatin1Char('t'));
        names += name;
        estate(vs, QStringLiteral("Kunta"), village, name, QStringLiteral("940-%1").arg(i), 1.1 * (i + 1));
        expected.add(1.1 * (i + 1));
    }
    ContractSelection::RebuildSummaryTable(t.db, q(QStringLiteral("SELECT * FROM vs")));
    const auto rows = summary();
    ASSERT_GT(rows.size(), 2u);
    AreaTotal sum;
    QString all;
    for (const auto& r : rows) {
        EXPECT_EQ(r.vsId, vs);
        EXPECT_LE(r.kunta.size(), 255);
        EXPECT_LE(r.tilat.size(), 255);
        sum.add(r.ala);
        all += r.tilat + QStringLiteral("; ");
    }
    EXPECT_EQ(sum.value(), expected.value());
    EXPECT_EQ(sum.value(), 85.8);
    for (const QString& name : names)
        EXPECT_EQ(all.count(name), 1) << name.toStdString();
}

TEST_F(ContractSelectionTest, AnEstateLongerThanARowIsCutInsteadOfLoopingForEver)
{
    // A database written by another tool, without the length checks.
    t.db.executeScript(QStringLiteral("DROP TABLE tl; CREATE TABLE tl (tlID INTEGER PRIMARY KEY, tlvsID INTEGER, "
                                      "tlKunta TEXT, tlKyla TEXT, tlTilaPalsta TEXT, tlRekNo TEXT, tlPa DOUBLE);"));
    const qint64 vs = t.contract(QStringLiteral("Pitkä"));
    estate(vs, QString(300, QLatin1Char('K')), QStringLiteral("Kylä"), QString(280, QLatin1Char('T')), QStringLiteral("1"),
           7.5);
    estate(vs, QStringLiteral("Kunta"), QStringLiteral("Kylä"), QStringLiteral("Toinen"), QStringLiteral("2"), 2.5);
    ContractSelection::RebuildSummaryTable(t.db, q(QStringLiteral("SELECT * FROM vs")));
    const auto rows = summary();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].kunta.size(), 255);
    EXPECT_EQ(rows[0].tilat.size(), 255);
    EXPECT_EQ(rows[0].ala, 7.5);
    EXPECT_EQ(rows[1].tilat, QStringLiteral("Toinen 2"));
    EXPECT_EQ(rows[1].ala, 2.5);
}

TEST_F(ContractSelectionTest, RepeatedRowsOfAJoinSummariseAContractOnceWhenAdjacent)
{
    const qint64 a = t.contract(QStringLiteral("Aho")), b = t.contract(QStringLiteral("Berg"));
    estate(a, QStringLiteral("K"), QStringLiteral("A"), QStringLiteral("T"), QStringLiteral("1"), 1.0);
    estate(b, QStringLiteral("K"), QStringLiteral("B"), QStringLiteral("T"), QStringLiteral("2"), 2.0);
    const auto ids = [this] {
        QList<qint64> out;
        for (const auto& r : summary())
            out.push_back(r.vsId);
        return out;
    };
    const QString repeated = QStringLiteral("SELECT vs.* FROM vs, (SELECT ? AS k UNION ALL SELECT ? UNION ALL SELECT ? "
                                            "UNION ALL SELECT ?) AS o WHERE vs.vsID = o.k");
    ContractSelection::RebuildSummaryTable(t.db, q(repeated, {Value(a), Value(a), Value(b), Value(a)}));
    EXPECT_EQ(ids(), (QList<qint64>{a, b, a}));
}

TEST_F(ContractSelectionTest, SelectedAreaIsExactAndZeroWithoutEstates)
{
    const qint64 a = t.contract(QStringLiteral("Aho"));
    t.contract(QStringLiteral("Berg"));
    ContractSelection::ResetSelection(t.db);
    EXPECT_EQ(ContractSelection::SumSelectedArea(t.db, ContractSelection::selected()), 0.0);
    for (double pa : {0.1, 0.2, 100.05})
        estate(a, QStringLiteral("K"), QStringLiteral("A"), QStringLiteral("T"), QStringLiteral("1"), pa);
    EXPECT_EQ(ContractSelection::SumSelectedArea(t.db, ContractSelection::selected()), 100.35);
}

TEST_F(ContractSelectionTest, AFailingRebuildKeepsTheEarlierSummary)
{
    const qint64 a = t.contract(QStringLiteral("Aho"));
    estate(a, QStringLiteral("K"), QStringLiteral("A"), QStringLiteral("T"), QStringLiteral("1"), 1.0);
    ContractSelection::RebuildSummaryTable(t.db, q(QStringLiteral("SELECT * FROM vs")));
    // The query lacks the lessor's column: nothing of the half-built table stays.
    EXPECT_ANY_THROW(ContractSelection::RebuildSummaryTable(t.db, q(QStringLiteral("SELECT vsID FROM vs"))));
    EXPECT_EQ(summary().size(), 1u);
}
