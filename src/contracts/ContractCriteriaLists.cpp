#include "contracts/ContractCriteriaLists.h"

#include "base/NullConversions.h"
#include "contracts/AnimalCatalogue.h"
#include "contracts/ContractReportCriteria.h"
#include "contracts/ContractSelection.h"
#include "members/CriteriaValues.h"
#include "db/Recordset.h"

namespace tikkeli {

namespace ContractCriteriaLists {

namespace {

std::vector<Entry> entries(Database& db, const QString& sql, const Params& params, bool withBlank)
{
    std::vector<Entry> out;
    Recordset rs = db.openRecordset(sql, RecordsetType::Snapshot, params);
    for (; !rs.eof(); rs.moveNext()) {
        const QString name = NullToString(rs.field(1));
        if (withBlank || !name.trimmed().isEmpty())
            out.push_back({NullToLong(rs.field(0)), name});
    }
    return out;
}

} // namespace

std::vector<Entry> features(Database& db, qint32 piType, bool withBlank)
{
    db.execute(QStringLiteral("DELETE FROM pi WHERE piType = ? AND piNimi IS NULL"), {Value(piType)});
    return entries(db, QStringLiteral("SELECT piID, piNimi FROM pi WHERE piType = ? ORDER BY piNimi"), {Value(piType)},
                   withBlank);
}

std::vector<Entry> animals(Database& db)
{
    AnimalCatalogue::removeNamelessAnimals(db);
    return entries(db, QStringLiteral("SELECT elID, elNimi FROM el ORDER BY elNimi"), {}, true);
}

FeatureCount countFeature(Database& db, const ContractCriteria::Feature& f)
{
    FeatureCount count;
    if (f.RaporttiOminaisuus == 0)
        return count;
    // The same tests as the compact feature list, a date pattern aside: it only narrows the lists.
    ContractCriteria::Feature tests = f;
    if (const auto date = ReadDateCriterion(tests.PvmArvo).value; date && date->isYearPattern())
        tests.PvmArvo.clear();
    ContractQuery q = ContractReportText::featureSummaryQuery(tests);
    Recordset contracts = db.openRecordset(QStringLiteral("SELECT DISTINCT vsID FROM (") + q.sql + QLatin1Char(')'),
                                           RecordsetType::Snapshot, q.params);
    AreaTotal area;
    for (; !contracts.eof(); contracts.moveNext()) {
        ++count.contracts;
        Recordset estates = db.openRecordset(QStringLiteral("SELECT tlPa FROM tl WHERE tlvsID = ?"), RecordsetType::Snapshot,
                                             {contracts.field(0)});
        for (; !estates.eof(); estates.moveNext()) {
            ++count.estates;
            area.add(NullToDouble(estates.field(0)));
        }
    }
    count.area = area.value();
    return count;
}

} // namespace ContractCriteriaLists

} // namespace tikkeli
