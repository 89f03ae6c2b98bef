#include "lists/ListsTestDb.h"

#include "contracts/ContractCriteriaLists.h"
#include "contracts/ContractReportCriteria.h"
#include "contracts/ContractTestDb.h"
#include "lists/MemberSelection.h"
#include "members/CriteriaValues.h"
#include "printing/SelectionFormula.h"

#include <gtest/gtest.h>
#include <iterator>

namespace tikkeli::test {
namespace {

// A feature date may carry a time of day. Every output that refines by "5.3.2024" compares the
// day: the value at noon is "=" that day, never "<" or ">" it. A value without a date matches no
// test, a year pattern that would match "0" included.
struct Stored {
    const char* name;
    const char* value; // nullptr: no date
};
const Stored kStored[] = {{"Aamu", "2024-03-05 00:00:00"},
                          {"Keskipäivä", "2024-03-05 12:00:00"},
                          {"Edellinen", "2024-03-04 23:59:00"},
                          {"Seuraava", "2024-03-06 00:00:00"},
                          {"Ei päivää", nullptr}};

Value storedValue(const Stored& s)
{
    return s.value ? Value(QString::fromUtf8(s.value)) : Value();
}

struct Case {
    const char* typed; // as typed into the criteria box
    qint16 op;         // the dialogs' code: 0 "<", 1 "=", 2 ">"
    QStringList expected;
};
const QStringList kDated = {"Aamu", "Keskipäivä", "Edellinen", "Seuraava"};
const Case kCases[] = {{"5.3.2024", 0, {"Edellinen"}},
                       {"5.3.2024", 1, {"Aamu", "Keskipäivä"}},
                       {"5.3.2024", 2, {"Seuraava"}},
                       {"*", 1, kDated},
                       {"202?", 1, kDated},
                       {"?", 1, {}},
                       {"0*", 1, {}},
                       {"*0", 1, {}}};

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
        club.value(s.name, feature, storedValue(s));
    }
    for (const Case& c : kCases) {
        SCOPED_TRACE(QStringLiteral("%1 %2").arg(QString::fromUtf8(c.typed)).arg(c.op).toStdString());
        MemberCriteria k = NoCriteria();
        k.setHepiID(0, qint32(feature));
        k.PvmArvo = ReadDateCriterion(QString::fromUtf8(c.typed)).value;
        ASSERT_TRUE(k.PvmArvo);
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
                     {storedValue(s), Value(t.value(vs, feature))});
    }
    for (const Case& c : kCases) {
        SCOPED_TRACE(QStringLiteral("%1 %2").arg(QString::fromUtf8(c.typed)).arg(c.op).toStdString());
        ContractCriteria::Feature f;
        f.RaporttiOminaisuus = qint32(feature);
        f.PvmArvo = QString::fromUtf8(c.typed);
        f.PvmVertailu = c.op;
        const ContractQuery compact = ContractReportText::featureSummaryQuery(f);
        QStringList inCompact;
        Recordset rs = t.db.openRecordset(compact.sql, RecordsetType::Snapshot, compact.params);
        for (; !rs.eof(); rs.moveNext())
            inCompact << rs.field(QStringLiteral("vsNimi")).toString();
        EXPECT_EQ(sorted(inCompact), sorted(c.expected)) << "the compact feature list";
        // The dialog's count leaves a year pattern aside: it counts every contract with the feature.
        const bool pattern = ReadDateCriterion(f.PvmArvo).value->isYearPattern();
        EXPECT_EQ(ContractCriteriaLists::countFeature(t.db, f).contracts,
                  pattern ? qsizetype(std::size(kStored)) : c.expected.size())
            << "the dialog's count";
        EXPECT_EQ(chosenByFormula(t.db, QStringLiteral("SELECT DISTINCT vs.vsNimi FROM vs, mt, pi"),
                                  ContractReportText::featureFormula(f)),
                  sorted(c.expected))
            << "the feature list";
    }
}

} // namespace
} // namespace tikkeli::test
