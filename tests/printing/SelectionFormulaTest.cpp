#include "PrintingFixture.h"

#include "db/Recordset.h"
#include "printing/ReportError.h"
#include "printing/ReportQuery.h"
#include "printing/SelectionFormula.h"

using namespace tikkeli;

namespace {

const QByteArray ContractIds = R"({"format": "tikkeli-report/1", "data": {"table": "vs"},
  "bands": {"detail": {"height": 5, "items": [{"type": "field", "field": "vs.vsID", "width": 10}]}}})";

class SelectionFormulaTest : public test::PrintingFixture {
protected:
    std::vector<int> ids(const QString& formula, const QStringList& sorts = {})
    {
        ReportDefinition def = ReportDefinition::parse(ContractIds, m_dir.path(), QStringLiteral("t.rpt"));
        ReportQuery q(Database::open(m_dbPath), def);
        q.build(formula, sorts);
        std::vector<int> out;
        for (const auto& row : q.fetch())
            out.push_back(int(row[0].toInt64()));
        if (sorts.isEmpty())
            std::sort(out.begin(), out.end());
        return out;
    }
    int refusal(const QString& formula)
    {
        try {
            ids(formula);
        } catch (const ReportException& e) {
            return e.number();
        }
        return 0;
    }
};

struct Case {
    const char* formula;
    std::vector<int> expected;
};

} // namespace

TEST_F(SelectionFormulaTest, EveryConstructSelectsTheRightRows)
{
    const Case cases[] = {
        {"", {1, 2, 3, 4, 5}},
        {"{vs.vsMukaan} = true", {1, 2}}, // -1 counts as true as 1 does
        {"{vs.vsMukaan} = True", {1, 2}},
        {"{vs.vsMukaan}", {1, 2}},
        {"{vs.vsMukaan} = false", {3, 4, 5}}, // Null counts as false
        {"{vs.vsMukaan} <> true", {3, 4, 5}},
        {"not {vs.vsMukaan}", {3, 4, 5}},
        {"true = {vs.vsMukaan}", {1, 2}},
        {"{vs.vsVastike} = 2", {1, 4}},
        {"{vs.vsVastike}=2", {1, 4}},
        {"{vs.vsVastike} <> 2", {2, 3, 5}},
        {"{vs.vsVastike} >= 3", {2, 5}},
        {"{vs.vsVastike} <= 1", {3}},
        {"{vs.vsVastike} < 2 or {vs.vsVastike} > 3", {3, 5}},
        {"({vs.vsVastike} = 2 OR {vs.vsVastike} = 3) AND {vs.vsMukaan} = true", {1, 2}},
        {"not ({vs.vsVastike} = 2)", {2, 3, 5}},
        {"{vs.vsVastike} in [1, 4]", {3, 5}},
        {"{vs.vsPostitoimipaikka} in ['OULU', \"TAMPERE\"]", {3, 4}},
        {"{vs.vsNimi} = 'O''Brien Olli'", {2}},
        {"{vs.vsNimi} = \"O'Brien Olli\"", {2}},
        {"{vs.vsNimi} like 'Ä*'", {5}},
        {"{vs.vsNimi} like \"ä*\"", {5}},
        {"{vs.vsSopimusNo} like 'S-?'", {1, 2, 3, 4, 5}},
        {"{vs.vsSopimusNo} like 'S[-][?]'", {}}, // [c] is the character itself
        {"{vs.vsSopimusNo} like 'S[-]?'", {1, 2, 3, 4, 5}},
        {"{vs.vsNimi} like '*100%*'", {}},
        {"{vs.vsVastikeVuosi} > 100", {1, 4}},
        {"{vs.vsVastikeVuosi} > 100.5", {4}},
        {"{vs.vsVastikeVuosi} > -1 and {vs.vsVastikeVuosi} < 51", {2}},
        {"{vs.vsVastikeVuosiErapaiva} >= Date(2024,1,1)", {1}},
        {"{vs.vsVastikeVuosiErapaiva} < Date(2024, 3, 15)", {4}},
        {"{vs.vsVastikeVuosiErapaiva} = Date(2024,3,15)", {1}},
        {"Year({vs.vsVastikeVuosiErapaiva}) = 2023", {4}},
        {"ToText(Year({vs.vsVastikeVuosiErapaiva}),0) like\"202*\"", {1, 4}},
        // A missing date is no year, not year 0: it matches no pattern.
        {"ToText(Year({vs.vsVastikeVuosiErapaiva}),0) like \"*\"", {1, 4}},
        {"ToText(Year({vs.vsVastikeVuosiErapaiva}),0) like \"0*\"", {}},
        {"not (ToText(Year({vs.vsVastikeVuosiErapaiva}),0) like \"0\")", {1, 4}},
        {"ToText({vs.vsVastike},1) = '4.0'", {5}},
        {"ToNumber({vs.vsPostinumero}) > 100 and ToNumber({vs.vsPostinumero}) < 90100", {2, 3}},
        {"{mt.mtvsID} = {vs.vsID} and {mt.mtpiID} = 2", {1, 4}},
        {"{mt.mtvsID} = {vs.vsID} and {pi.piID} = {mt.mtpiID} and {pi.piNimi} = 'Jahtivuoro'", {2}},
        {"{vs.vsVastike} = -1", {}},
        {"false", {}},
        // User text inside quotes is data, never SQL.
        {"{vs.vsNimi} = '; DROP TABLE jr'", {}},
        {"{vs.vsNimi} = \"' or 1=1 --\"", {}},
        {"{vs.vsNimi} = 'x'' or ''1''=''1'", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.formula);
        EXPECT_EQ(ids(QString::fromUtf8(c.formula)), c.expected);
    }
}

TEST_F(SelectionFormulaTest, AnythingOutsideTheLanguageIsRefusedBeforeItRuns)
{
    const char* refused[] = {
        "{vs.vsNimi} = '' or 1=1 --'",
        "{vs.vsNimi} = 'x'; DROP TABLE jr",
        "{vs.vsNimi} = 'x' /* c */",
        "{vs.vsID} = 1 union select 1",
        "{vs.vsEiOle} = 1",
        "{eiole.x} = 1",
        "{vs.vsNimi} = ",
        "{vs.vsVastike} + 1 = 2",
        "{vs.vsVastike} = 12,5",
        "Date(2021,2,31) = {vs.vsVastikeVuosiErapaiva}",
        "{vs.vsMukaan} > true",
        "{vs.vsNimi} = 'abc",
        "{@Seurannimi} = 'x'",
        "{vs.vsNimi} like {vs.vsOsoite}",
        "sleep(1)",
        "{vs.vsVastike} = 2 and",
        "({vs.vsVastike} = 2",
        "{vs.vs\"Nimi} = 1",
    };
    for (const char* f : refused) {
        SCOPED_TRACE(f);
        EXPECT_EQ(refusal(QString::fromUtf8(f)), 20515);
    }
    // Nesting far beyond any real formula is refused, not followed down until the stack runs out.
    const QString deep = QString(5000, u'(') + QStringLiteral("{vs.vsVastike} = 2") + QString(5000, u')');
    EXPECT_EQ(refusal(deep), 20515);
    EXPECT_EQ(refusal(QStringLiteral("not ").repeated(5000) + QStringLiteral("{vs.vsMukaan}")), 20515);
    EXPECT_EQ(refusal(QStringLiteral("Year(").repeated(5000) + QStringLiteral("{vs.vsVastike}") + QString(5000, u')')),
              20515);
    EXPECT_EQ(ids(QString(20, u'(') + QStringLiteral("{vs.vsVastike} = 2") + QString(20, u')')), (std::vector<int>{1, 4}));
    EXPECT_EQ(ids(QStringLiteral("not not {vs.vsMukaan}")), (std::vector<int>{1, 2}));

    Database db = Database::open(m_dbPath);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT COUNT(*) FROM jr")).toInt64(), 4);
}

TEST_F(SelectionFormulaTest, SortFieldsOrderTheRowsFinnishWay)
{
    EXPECT_EQ(ids({}, {QStringLiteral("+{vs.vsNimi}")}), (std::vector<int>{1, 4, 2, 5, 3}));
    EXPECT_EQ(ids({}, {QStringLiteral("-{vs.vsNimi}")}), (std::vector<int>{3, 5, 2, 4, 1}));
    EXPECT_EQ(ids({}, {QStringLiteral("+{vs.vsVastike}"), QStringLiteral("-{vs.vsNimi}")}),
              (std::vector<int>{3, 4, 1, 2, 5}));
    for (const char* bad : {"+{vs.vsEiOle}", "{vs.vsNimi}", "+vs.vsNimi", "+{vs.vsNimi}; DROP TABLE jr"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(ids({}, {QString::fromUtf8(bad)}), ReportException);
    }
}

TEST_F(SelectionFormulaTest, JoinsAreAddedOnlyWhenReferenced)
{
    const QByteArray json = R"({"format": "tikkeli-report/1",
      "data": {"table": "jmhist", "joins": [{"table": "jr", "from": "jmhist.jmhjmjrID", "to": "jr.jrID"}]},
      "bands": {"detail": {"height": 5, "items": [{"type": "field", "field": "jmhist.jmhjmLaskunumero", "width": 10}]}}})";
    {
        ReportDefinition def = ReportDefinition::parse(json, m_dir.path(), QStringLiteral("t.rpt"));
        ReportQuery q(Database::open(m_dbPath), def);
        q.build({}, {});
        EXPECT_FALSE(q.sql().contains(QLatin1String("JOIN")));
        EXPECT_EQ(q.fetch().size(), 3u);
    }
    {
        ReportDefinition def = ReportDefinition::parse(json, m_dir.path(), QStringLiteral("t.rpt"));
        ReportQuery q(Database::open(m_dbPath), def);
        q.build(QStringLiteral("{jr.jrSukunimi} = 'Aho'"), {});
        EXPECT_TRUE(q.sql().contains(QLatin1String("LEFT JOIN \"jr\"")));
        const auto rows = q.fetch();
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0][0].toInt64(), 1001);
    }
}
