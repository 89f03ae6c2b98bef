#include "members/MemberList.h"

namespace tikkeli {

Recordset MemberList::open(Database& db, qint64 featureId, const QString& columns)
{
    if (featureId == 0) {
        return db.openRecordset(QStringLiteral("SELECT %1 FROM jr ORDER BY jr.jrSukunimi, jr.jrEtunimi").arg(columns),
                                RecordsetType::Snapshot);
    }
    return db.openRecordset(QStringLiteral("SELECT %1 FROM jr WHERE jr.jrID IN (SELECT ptjrID FROM pt WHERE ptpiID = ?) "
                                           "ORDER BY jr.jrSukunimi, jr.jrEtunimi")
                                .arg(columns),
                            RecordsetType::Snapshot, {Value(featureId)});
}

std::vector<qint64> MemberList::ids(Database& db, qint64 featureId)
{
    std::vector<qint64> result;
    for (Recordset rs = open(db, featureId, QStringLiteral("jr.jrID")); !rs.eof(); rs.moveNext())
        result.push_back(rs.field(0).toInt64());
    return result;
}

int MemberList::count(Database& db, qint64 featureId)
{
    if (featureId == 0)
        return int(db.scalar(QStringLiteral("SELECT COUNT(*) FROM jr")).toInt64());
    return int(db.scalar(QStringLiteral("SELECT COUNT(DISTINCT ptjrID) FROM pt JOIN jr ON jrID = ptjrID WHERE ptpiID = ?"),
                         {Value(featureId)})
                   .toInt64());
}

} // namespace tikkeli
