#include "lists/ListsTestDb.h"

#include "contracts/ContractCriteriaLists.h"
#include "contracts/ContractReportCriteria.h"
#include "contracts/ContractTestDb.h"
#include "lists/MemberSelection.h"
#include "printing/SelectionFormula.h"

#include <gtest/gtest.h>

namespace tikkeli::test {
namespace {

// A feature date may carry a time of day. Every output that refines by "5.3.2024" compares the
// day: the value at noon is "=" that day, never "<" or ">" it.
struct Stored {
    const char* name;
    const char* value;
};
const Stored kStored[] = {{"Aamu", "2024-03-05 00:00:00"},
                          {"Keskipäivä", "2024-03-05 12:00:00"},
                          {"Edellinen", "2024-03-04 23:59:00"},
                          {"Seuraava", "2024-03-06 00:00:00"}};

struct Case {
    qint16 op; // the dialogs' code: 0 "<", 1 "=", 2 ">"
    QStringList expected;
};
const Case kCases[] = {{0, {"Edellinen"}}, {1, {"Aamu", "Keskipäivä"}}, {2, {"Seuraava"}}};

// The names a selection formula chooses, run as the report engine runs it.
QStringList chosenByFormula(Database& db, const QString& from, const QString& formula)
{
    const SelectionFormula::Sql sql = SelectionFormula::translate(
        formula, [](const QString& t, const QString& f) { return t + QLatin1Char('.') + f; });
    QStringList names;
    Recordset rs = db.openRecordset(from + QStringLiteral(" WHERE ") + sql.where + QStringLiteral(" ORDER BY 1"),
                                    RecordsetType::Snapshot, sql.params);
    for (; !rs.eof(); rs.moveNext())
        names << rs.field(0).toString();
    return names;
}

QStringList sorted(QStringList l)
{
    l.sort();
    return l;
}

TEST(DateRefinement, MemberOutputsCompareTheDayOfAValueWithATime)
{
    ListsTestDb club;
    const qint64 feature = club.feature(QStringLiteral("Metsästyskortti"));
    for (const Stored& s : kStored) {
        club.add(s.name, Value(), "9000", true, false, Value(), Value(), Value());
        club.value(s.name, feature, Value(QString::fromUtf8(s.value)));
    }
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.op);
        MemberCriteria k = NoCriteria();
        k.setHepiID(0, qint32(feature));
        k.PvmArvo = DateCriterion{QDate(2024, 3, 5), {}};
        k.PvmVertailu = c.op;
        MemberSelection::Mark(club.db, k);
        EXPECT_EQ(sorted(club.selected()), sorted(c.expected)) << "the selection";
        EXPECT_EQ(chosenByFormula(club.db, QStringLiteral("SELECT jr.jrSukunimi FROM jr JOIN pt ON pt.ptjrID = jr.jrID"),
                                  MemberSelection::featureValueFormula(k)),
                  sorted(c.expected))
            << "the list with feature values";
    }
}

TEST(DateRefinement, ContractOutputsAndTheCountCompareTheDayOfAValueWithATime)
{
    ContractTestDb t;
    const qint64 feature = t.feature(QStringLiteral("Katselmus"));
    for (const Stored& s : kStored) {
        const qint64 vs = t.contract(QString::fromUtf8(s.name));
        t.db.execute(QStringLiteral("UPDATE mt SET mtValDate = ? WHERE mtID = ?"),
                     {Value(QString::fromUtf8(s.value)), Value(t.value(vs, feature))});
    }
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.op);
        ContractCriteria::Feature f;
        f.RaporttiOminaisuus = qint32(feature);
        f.PvmArvo = QStringLiteral("5.3.2024");
        f.PvmVertailu = c.op;
        const ContractQuery compact = ContractReportText::featureSummaryQuery(f);
        QStringList inCompact;
        Recordset rs = t.db.openRecordset(compact.sql, RecordsetType::Snapshot, compact.params);
        for (; !rs.eof(); rs.moveNext())
            inCompact << rs.field(QStringLiteral("vsNimi")).toString();
        EXPECT_EQ(sorted(inCompact), sorted(c.expected)) << "the compact feature list";
        EXPECT_EQ(ContractCriteriaLists::countFeature(t.db, f).contracts, c.expected.size()) << "the dialog's count";
        EXPECT_EQ(chosenByFormula(t.db, QStringLiteral("SELECT DISTINCT vs.vsNimi FROM vs, mt, pi"),
                                  ContractReportText::featureFormula(f)),
                  sorted(c.expected))
            << "the feature list";
    }
}

} // namespace
} // namespace tikkeli::test
