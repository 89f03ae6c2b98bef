#include "maps/EstatePicker.h"

#include "base/NullConversions.h"
#include "db/Recordset.h"

namespace tikkeli {

QString EstatePicker::itemText(const QString& rekNo, const QString& tila, const QString& kyla, const QString& kunta)
{
    const QString separator = QStringLiteral(" / ");
    return rekNo + separator + tila + separator + kyla + separator + kunta;
}

std::vector<EstatePicker::Item> EstatePicker::items(Database& db, Filter filter)
{
    QString sql = QStringLiteral("SELECT tl.tlID, tl.tlRekNo, tl.tlTilaPalsta, tl.tlKyla, tl.tlKunta FROM tl, vs "
                                 "WHERE tl.tlvsID = vs.vsID AND tl.tlRekNo IS NOT NULL");
    if (filter == Filter::Undrawn)
        sql += QStringLiteral(" AND NOT EXISTS (SELECT * FROM rj WHERE rj.rjtlID = tl.tlID)");
    else if (filter == Filter::Drawn)
        sql += QStringLiteral(" AND EXISTS (SELECT * FROM rj WHERE rj.rjtlID = tl.tlID)");
    sql += QStringLiteral(" ORDER BY tl.tlRekNo, tl.tlID COLLATE BINARY");
    std::vector<Item> out;
    for (Recordset rs = db.openRecordset(sql, RecordsetType::Snapshot); !rs.eof(); rs.moveNext())
        out.push_back(Item{rs.field(0).toInt64(), itemText(NullToString(rs.field(1)), NullToString(rs.field(2)),
                                                           NullToString(rs.field(3)), NullToString(rs.field(4)))});
    return out;
}

qint64 EstatePicker::lookup(const std::vector<Item>& items, const QString& typed)
{
    for (const Item& item : items)
        if (item.text.compare(typed, Qt::CaseInsensitive) == 0)
            return item.tlId;
    return 0;
}

} // namespace tikkeli
