#include "members/MemberNameSearch.h"

#include "base/NullConversions.h"
#include "db/Recordset.h"
#include "db/SqlDialect.h"

#include <QStringList>

namespace tikkeli {

bool MemberNameSearch::hasCriteria(const QString& surname, const QString& firstName)
{
    return !surname.isEmpty() || !firstName.isEmpty();
}

QString MemberNameSearch::entryText(const Value& surname, const Value& firstName, const Value& town)
{
    return (NullToString(surname) + QLatin1Char(' ') + NullToString(firstName)).trimmed() + QStringLiteral(" - ")
           + NullToString(town);
}

std::vector<MemberSearchEntry> MemberNameSearch::find(Database& db, const QString& surname, const QString& firstName)
{
    std::vector<MemberSearchEntry> found;
    if (!hasCriteria(surname, firstName))
        return found;
    QStringList conditions;
    Params params;
    const auto contains = [&](const QString& field, const QString& part) {
        if (part.isEmpty())
            return;
        conditions << field + QStringLiteral(" LIKE ? ESCAPE '\\'");
        params.push_back(JetLikePattern(QLatin1Char('*') + part + QLatin1Char('*')));
    };
    contains(QStringLiteral("jrSukunimi"), surname);
    contains(QStringLiteral("jrEtunimi"), firstName);
    // Only the columns the entries show: a search may find most of a large register.
    Recordset rs = db.openRecordset(QStringLiteral("SELECT jrID, jrSukunimi, jrEtunimi, jrPostitoimipaikka FROM jr WHERE ")
                                        + conditions.join(QStringLiteral(" AND ")),
                                    RecordsetType::Snapshot, params);
    found.reserve(std::size_t(rs.recordCount()));
    for (; !rs.eof(); rs.moveNext())
        found.push_back({entryText(rs.field(1), rs.field(2), rs.field(3)), NullToLong(rs.field(0))});
    return found;
}

} // namespace tikkeli
