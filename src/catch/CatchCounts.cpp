#include "catch/CatchCounts.h"

#include "catch/CatchLists.h"
#include "db/Recordset.h"

namespace tikkeli {

CatchCounts CatchCounts::tally(const std::vector<Class>& classes)
{
    CatchCounts c;
    for (const Class& k : classes) {
        if (k.adult.isNull() || k.male.isNull())
            continue;
        const int n = int(k.rows);
        const bool adult = k.adult.toInt64() != 0;
        const bool male = k.male.toInt64() != 0;
        (adult ? (male ? c.adultMales : c.adultFemales) : (male ? c.calfMales : c.calfFemales)) += n;
    }
    return c;
}

CatchCounts CatchCounts::of(Database& db, const QString& species)
{
    Recordset rs = db.openRecordset(QStringLiteral("SELECT siIka, siSukupuoli, COUNT(*) FROM si WHERE ")
                                        + CatchLists::speciesCondition() + QStringLiteral(" GROUP BY siIka, siSukupuoli"),
                                    RecordsetType::Snapshot, {Value(CatchLists::speciesPattern(species))});
    std::vector<Class> classes;
    for (; !rs.eof(); rs.moveNext())
        classes.push_back({rs.field(0), rs.field(1), rs.field(2).toInt64()});
    return tally(classes);
}

} // namespace tikkeli
