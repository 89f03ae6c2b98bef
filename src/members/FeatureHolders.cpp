#include "members/FeatureHolders.h"

#include "db/Recordset.h"

namespace tikkeli::FeatureHolders {

namespace {

// An IN over a subquery: SQLite reads the holders once, not once per member (lookups by member
// could run through the feature's index and read every holder of it for each member).
const QString Holders = QStringLiteral("jr.jrID IN (SELECT pt.ptjrID FROM pt WHERE pt.ptjrID IS NOT NULL AND pt.ptpiID");

} // namespace

QString condition(const QString& refinement)
{
    return Holders + QStringLiteral(" = ?") + refinement + QLatin1Char(')');
}

QString conditionAnyOf(std::size_t count)
{
    QString marks;
    for (std::size_t i = 0; i < count; ++i)
        marks += i ? QStringLiteral(", ?") : QStringLiteral("?");
    return Holders + QStringLiteral(" IN (") + marks + QStringLiteral("))");
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
