#include "members/FeatureName.h"

#include "base/NullConversions.h"
#include "db/Database.h"
#include "db/Recordset.h"

namespace tikkeli {

QString FeatureName(Database& db, qint32 piID)
{
    Recordset rs = db.openRecordset(QStringLiteral("SELECT piNimi FROM pi WHERE piID = ?"), RecordsetType::Snapshot, {piID});
    return rs.eof() ? QString() : NullToString(rs.field(QStringLiteral("piNimi")));
}

} // namespace tikkeli
