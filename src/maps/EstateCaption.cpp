#include "maps/EstateCaption.h"

#include "base/NullConversions.h"
#include "db/Recordset.h"

namespace tikkeli {

QString EstateCaption(Database& db, qint64 estateId)
{
    if (estateId < 1)
        return {};
    Recordset rs = db.openRecordset(QStringLiteral("SELECT tlKunta, tlKyla, tlTilaPalsta, tlRekNo FROM tl WHERE tlID = ?1"),
                                    RecordsetType::Snapshot, {Value(estateId)});
    if (rs.eof())
        return {};
    const QString separator = QStringLiteral(" : ");
    return NullToString(rs.field(0), {}) + separator + NullToString(rs.field(1), {}) + separator
           + NullToString(rs.field(2), {}) + separator + NullToString(rs.field(3), {});
}

} // namespace tikkeli
