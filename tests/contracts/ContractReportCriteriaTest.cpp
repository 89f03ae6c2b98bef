#include "contracts/ContractReportCriteria.h"
#include "contracts/ContractSelection.h"
#include "db/Recordset.h"
#include "printing/SelectionFormula.h"
#include "ContractTestDb.h"

#include <gtest/gtest.h>

using namespace tikkeli;
using namespace tikkeli::ContractReportText;
using test::ContractTestDb;

namespace {

ContractCriteria::Feature feature(qint32 id, const char* date, qint16 dateOp, const char* number, qint16 numberOp,
                                  const char* money, qint16 moneyOp)
{
    ContractCriteria::Feature f;
    f.RaporttiOminaisuus = id;
    f.PvmArvo = QString::fromUtf8(date);
    f.PvmVertailu = dateOp;
    f.LukuArvo = QString::fromUtf8(number);
    f.LukuVertailu = numberOp;
    f.ArvoArvo = QString::fromUtf8(money);
    f.ArvoVertailu = moneyOp;
    return f;
}

// The formula language must accept what the lists hand it.
void expectTranslatable(const QString& formula)
{
    EXPECT_NO_THROW(SelectionFormula::translate(formula, [](const QString& t, const QString& f) {
        return t + QLatin1Char('.') + f;
    })) << formula.toStdString();
}

QList<qint64> ids(Database& db, const ContractQuery& q)
{
    QList<qint64> out;
    Recordset rs = db.openRecordset(q.sql, RecordsetType::Snapshot, q.params);
    for (; !rs.eof(); rs.moveNext())
        out.push_back(rs.field(QStringLiteral("vsID")).toInt64());
    return out;
}

} // namespace

TEST(ContractReportText, ValidityQueriesAndTheirTexts)
{
    struct Case {
        qint16 choice;
        qint32 feature;
        const char* sql;
        const char* text;
    };
    const Case cases[] = {
        {0, 0, "", "Kaikki sopimukset"},
        {1, 0, "SELECT vsID FROM vs WHERE vsVoimassa = 1 OR (vsVoimassa = 2 AND vsVoimassaPaattyy >= ?)",
         "Voimassa olevat sopimukset: 5.3.2026"},
        {2, 8, "SELECT vsID FROM vs WHERE vsVoimassa = 2 AND vsVoimassaPaattyy < ?",
         "Hirvialue: Erääntyneet sopimukset: 5.3.2026"},
        {7, 8, "", "Hirvialue: "},
    };
    for (const Case& c : cases) {
        ContractCriteria::Validity v{c.choice, QDate(2026, 3, 5), c.feature};
        const ContractQuery q = validityQuery(v);
        EXPECT_EQ(q.sql, QString::fromUtf8(c.sql));
        EXPECT_EQ(q.params.size(), q.isEmpty() ? 0u : 1u);
        EXPECT_EQ(ValidityFilterText(v, QStringLiteral("Hirvialue")), QString::fromUtf8(c.text));
        EXPECT_EQ(validityFeatureQuery(v).isEmpty(), c.feature == 0);
    }
}

TEST(ContractReportText, ValidityOnTheReviewDate)
{
    ContractTestDb t;
    const auto contract = [&](const char* name, int validity, const char* end) {
        const qint64 id = t.contract(QString::fromUtf8(name));
        t.db.execute(QStringLiteral("UPDATE vs SET vsVoimassa = ?, vsVoimassaPaattyy = ? WHERE vsID = ?"),
                     {validity ? Value(validity) : Value(), end ? Value(QString::fromUtf8(end)) : Value(), Value(id)});
        return id;
    };
    const qint64 indefinite = contract("Toistaiseksi", 1, nullptr);
    const qint64 endsToday = contract("Tänään", 2, "2026-03-05 00:00:00");
    const qint64 ended = contract("Eilen", 2, "2026-03-04 00:00:00");
    contract("Ei loppua", 2, nullptr);
    contract("Ei koodia", 0, "2020-01-01 00:00:00");
    ContractCriteria::Validity v{1, QDate(2026, 3, 5), 0};
    EXPECT_EQ(ids(t.db, validityQuery(v)), (QList<qint64>{indefinite, endsToday}));
    v.VoimassaoloValinta = 2;
    EXPECT_EQ(ids(t.db, validityQuery(v)), (QList<qint64>{ended}));
}

TEST(ContractReportText, AnimalGroupTexts)
{
    struct Case {
        qint32 code;
        bool kaikkea, hirvi;
        const char* text;
    };
    const Case cases[] = {
        {1, false, false, "Koskee kaikkea metsästytstä"},
        {1, true, true, "Koskee kaikkea metsästytstä ja hirvieläinten metsästystä"},
        {2, false, true, "Koskee hirvieläinten metsästystä"},
        {2, true, false, "Koskee kaikkea metsästystä ja hirvieläinten metsästystä"},
        {3, true, true, "Ei seuraavia eläimiä: Hirvi, Kettu"},
        {4, false, false, "Seuraavia eläimiä:Hirvi, Kettu"},
        {4, true, true, "Seuraavia eläimiä:Hirvi, Kettu ja kaikkea metsästystä ja hirvieläinten metsästystä"},
        {0, true, true, ""},
    };
    for (const Case& c : cases) {
        ContractCriteria::Animals a;
        a.KoskeeValinta = c.code;
        a.MyosKaikkea = c.kaikkea;
        a.MyosHirvielaimia = c.hirvi;
        a.names = {QStringLiteral("Hirvi"), QStringLiteral("Kettu")};
        EXPECT_EQ(AnimalGroupText(a), QString::fromUtf8(c.text));
    }
}

TEST(ContractReportText, FeatureFormulaAndQueryReadFinnishValues)
{
    struct Case {
        ContractCriteria::Feature f;
        const char* formula;
        const char* sql;
        Params params;
    };
    const QString head = QStringLiteral("{mt.mtvsID} = {vs.vsID} and {pi.piID} = {mt.mtpiID} and {mt.mtpiID} = ");
    const QString select = QStringLiteral("SELECT vs.* FROM vs LEFT JOIN mt ON vs.vsID = mt.mtvsID WHERE ((mt.mtpiID = ?");
    const QString tail = QStringLiteral(")) ORDER BY vs.vsNimi, vs.vsID");
    const Case cases[] = {
        {feature(40000, "", 1, "", 1, "", 1), "", "", {Value(40000)}},
        {feature(9, "1.3.2026", 0, "2,5", 1, "12,50", 2),
         " and {mt.mtValDate} < Date(2026,3,1) and {mt.mtValLong} = 2 and {mt.mtValCurrency} > 12.5",
         " AND substr(mt.mtValDate, 1, 10) < ? AND mt.mtValLong = ? AND mt.mtValCurrency > ?",
         {Value(9), Value("2026-03-01"), Value(2), Value(Currency::fromRaw(125000))}},
        {feature(9, "199*", 1, "3,5", 2, "x", 0),
         " and ToText(Year({mt.mtValDate}),0) like \"199*\" and {mt.mtValLong} > 4",
         " AND substr(mt.mtValDate, 1, 4) GLOB ? AND mt.mtValLong > ?",
         {Value(9), Value("199*"), Value(4)}},
        // Read as the member criteria read them: a pattern of digits and wildcards only, money with
        // a point or a euro sign, no exponent; a text that does not read adds no test.
        {feature(9, "2\"*", 1, "1e3", 1, "12.50", 1),
         " and {mt.mtValCurrency} = 12.5",
         " AND mt.mtValCurrency = ?",
         {Value(9), Value(Currency::fromRaw(125000))}},
        {feature(9, "198?", 1, "", 1, "12,50 €", 1),
         " and ToText(Year({mt.mtValDate}),0) like \"198?\" and {mt.mtValCurrency} = 12.5",
         " AND substr(mt.mtValDate, 1, 4) GLOB ? AND mt.mtValCurrency = ?",
         {Value(9), Value("198?"), Value(Currency::fromRaw(125000))}},
        {feature(9, "31.2.2026", 2, "", 1, "-1 000,25", 0),
         " and {mt.mtValCurrency} < -1000.25",
         " AND mt.mtValCurrency < ?",
         {Value(9), Value(Currency::fromRaw(-10002500))}},
    };
    for (const Case& c : cases) {
        const QString formula = featureFormula(c.f);
        EXPECT_EQ(formula, head + QString::number(c.f.RaporttiOminaisuus) + QString::fromUtf8(c.formula));
        expectTranslatable(formula);
        const ContractQuery q = featureSummaryQuery(c.f);
        EXPECT_EQ(q.sql, select + QString::fromUtf8(c.sql) + tail);
        EXPECT_EQ(q.params, c.params);
    }
}

TEST(ContractReportText, FeatureQueryFindsTheContracts)
{
    ContractTestDb t;
    const qint64 piId = t.feature(QStringLiteral("Vuokra maksettu"));
    const auto valued = [&](const char* name, const char* date, int number, const char* money) {
        const qint64 vs = t.contract(QString::fromUtf8(name));
        const qint64 mt = t.value(vs, piId);
        t.db.execute(QStringLiteral("UPDATE mt SET mtValDate = ?, mtValLong = ?, mtValCurrency = ? WHERE mtID = ?"),
                     {Value(QString::fromUtf8(date)), Value(number), Value(QString::fromUtf8(money)), Value(mt)});
        return vs;
    };
    const qint64 a = valued("Aho", "1995-06-01 00:00:00", 3, "12.5");
    const qint64 b = valued("Berg", "2026-03-01 00:00:00", 2, "12.49");
    t.contract(QStringLiteral("Cajan"));
    ContractCriteria::Feature f = feature(qint32(piId), "199*", 1, "", 1, "", 1);
    EXPECT_EQ(ids(t.db, featureSummaryQuery(f)), (QList<qint64>{a}));
    f = feature(qint32(piId), "1.3.2026", 1, "", 1, "12,50", 0);
    EXPECT_EQ(ids(t.db, featureSummaryQuery(f)), (QList<qint64>{b}));
    f = feature(qint32(piId), "", 1, "", 1, "12,50", 1);
    EXPECT_EQ(ids(t.db, featureSummaryQuery(f)), (QList<qint64>{a})) << "12,50 is twelve and a half";
}

TEST(ContractReportText, RentFormulaAndSort)
{
    struct Case {
        qint16 kind;
        QDate from, to;
        const char* formula;
        const char* sort;
    };
    const Case cases[] = {
        {1, QDate(2026, 1, 1), {}, "{vs.vsVastike} = 1", ""},
        {4, {}, {}, "{vs.vsVastike} = 4", ""},
        {2, {}, {}, "{vs.vsVastike} = 2", "+{vs.vsVastikeVuosiErapaiva}"},
        {2, QDate(2026, 1, 1), QDate(2026, 6, 30),
         "{vs.vsVastike} = 2 and {vs.vsVastikeVuosiErapaiva} >= Date(2026,1,1) and {vs.vsVastikeVuosiErapaiva} <= "
         "Date(2026,6,30)",
         "+{vs.vsVastikeVuosiErapaiva}"},
        {3,
         {},
         QDate(2027, 12, 31),
         "{vs.vsVastike} = 3 and {vs.vsVastikeKausiErapaiva} <= Date(2027,12,31)",
         "+{vs.vsVastikeKausiErapaiva}"},
        {3,
         QDate(2025, 2, 3),
         {},
         "{vs.vsVastike} = 3 and {vs.vsVastikeKausiErapaiva} >= Date(2025,2,3)",
         "+{vs.vsVastikeKausiErapaiva}"},
    };
    for (const Case& c : cases) {
        const auto [formula, sort] = rentFormula({c.kind, c.from, c.to});
        EXPECT_EQ(formula, QString::fromUtf8(c.formula));
        EXPECT_EQ(sort, QString::fromUtf8(c.sort));
        expectTranslatable(formula);
    }
}

TEST(AnimalCriteria, FormulaAndQueryOfEveryOption)
{
    struct Case {
        AnimalChoice choice;
        qint32 code;
        const char* formula;
        const char* sql;
        bool stopped;
    };
    const std::vector<std::pair<qint32, QString>> two = {{5, QStringLiteral("Hirvi")}, {7, QStringLiteral("Kettu")}};
    const QString join = QStringLiteral("SELECT vs.* FROM vs LEFT JOIN et ON vs.vsID = et.etvsID WHERE ");
    const Case cases[] = {
        {{0, false, false, {}}, 1, "{vs.vsKoskee} = 1", "SELECT * FROM vs WHERE vs.vsKoskee = 1", false},
        {{0, true, true, {}},
         1,
         "{vs.vsKoskee} = 1 or {vs.vsKoskee} = 2",
         "SELECT * FROM vs WHERE vs.vsKoskee = 1 OR vs.vsKoskee = 2",
         false},
        {{1, true, true, {}},
         2,
         "{vs.vsKoskee} = 2 or {vs.vsKoskee} = 1",
         "SELECT * FROM vs WHERE vs.vsKoskee = 2 OR vs.vsKoskee = 1",
         false},
        {{2, true, false, two},
         4,
         "({vs.vsKoskee} = 4 and ({el.elID} in [5, 7])) OR {vs.vsKoskee} = 1",
         "(vs.vsKoskee = 4 and (et.etelID = ? OR et.etelID = ?)) OR vs.vsKoskee = 1",
         false},
        {{2, false, true, {{5, QStringLiteral("Hirvi")}}},
         4,
         "({vs.vsKoskee} = 4 and ({el.elID} in [5])) OR {vs.vsKoskee} = 2",
         "(vs.vsKoskee = 4 and (et.etelID = ?)) OR vs.vsKoskee = 2",
         false},
        {{2, false, false, {}}, 4, "({vs.vsKoskee} = 4)", "(vs.vsKoskee = 4 and ))", true},
        {{3, true, true, two},
         3,
         "{vs.vsKoskee} = 3 and ({el.elID} in [5, 7])",
         "(vs.vsKoskee = 3 and (et.etelID = ? OR et.etelID = ?))",
         false},
        {{3, false, false, {}}, 3, "{vs.vsKoskee} = 3", "(vs.vsKoskee = 3 and ", true},
    };
    for (const Case& c : cases) {
        const ContractCriteria::Animals a = BuildAnimalCriteria(c.choice);
        EXPECT_EQ(a.KoskeeValinta, c.code);
        EXPECT_EQ(a.RajausKaava, QString::fromUtf8(c.formula));
        const QString sql = QString::fromUtf8(c.sql);
        EXPECT_EQ(a.RajausSQL.sql, sql.startsWith(QStringLiteral("SELECT")) ? sql : join + sql);
        EXPECT_EQ(a.Keskeytetty, c.stopped);
        EXPECT_EQ(a.RajausSQL.params.size(), c.stopped ? 0u : size_t(c.choice.animals.size()));
        if (c.choice.option == 3) {
            EXPECT_FALSE(a.MyosKaikkea);
            EXPECT_FALSE(a.MyosHirvielaimia);
        }
    }
    const auto a = BuildAnimalCriteria({2, true, false, two});
    EXPECT_EQ(a.ElainNimet(), QStringLiteral("Hirvi, Kettu"));
    EXPECT_EQ(a.elIDs, (std::vector<qint32>{5, 7}));
}

TEST(AnimalCriteria, TheQueryMarksTheContractsOfTheChosenAnimals)
{
    ContractTestDb t;
    const qint64 hirvi = t.animal(QStringLiteral("Hirvi")), kettu = t.animal(QStringLiteral("Kettu")),
                 ilves = t.animal(QStringLiteral("Ilves"));
    const auto contract = [&](const char* name, int kind, std::initializer_list<qint64> animals) {
        const qint64 id = t.contract(QString::fromUtf8(name));
        t.db.execute(QStringLiteral("UPDATE vs SET vsKoskee = ? WHERE vsID = ?"), {Value(kind), Value(id)});
        for (qint64 el : animals)
            t.link(id, el);
        return id;
    };
    const qint64 both = contract("Molemmat", 4, {hirvi, kettu});
    contract("Ilves", 4, {ilves});
    const qint64 all = contract("Kaikki", 1, {});
    contract("Hirvieläimet", 2, {});
    ContractSelection::ResetSelection(t.db);
    const auto a = BuildAnimalCriteria({2, true, false, {{qint32(hirvi), "Hirvi"}, {qint32(kettu), "Kettu"}}});
    ContractSelection::FilterSelection(t.db, a.RajausSQL);
    EXPECT_EQ(ids(t.db, ContractSelection::selected()), (QList<qint64>{both, all}));
}
