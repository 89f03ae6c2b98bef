#include "members/FeatureHolders.h"

#include "db/Recordset.h"

namespace tikkeli::FeatureHolders {

QString condition(const QString& refinement)
{
    return QStringLiteral("jr.jrID IN (SELECT pt.ptjrID FROM pt WHERE pt.ptpiID = ?") + refinement + QLatin1Char(')');
}

QSet<qint32> ids(Database& db, qint64 featureId)
{
    QSet<qint32> holders;
    Recordset rs = db.openRecordset(QStringLiteral("SELECT jr.jrID FROM jr WHERE ") + condition(), RecordsetType::Snapshot,
                                    {Value(featureId)});
    for (; !rs.eof(); rs.moveNext())
        holders.insert(qint32(rs.field(0).toInt64()));
    return holders;
}

} // namespace tikkeli::FeatureHolders
