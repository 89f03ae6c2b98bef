#include "invoicing/InvoiceRecipients.h"

#include "base/NullConversions.h"
#include "db/Recordset.h"

namespace tikkeli {

qint64 RecipientChoice::code() const
{
    switch (kind) {
    case RecipientKind::Feature: return -id;
    case RecipientKind::Member: return id;
    default: return 0;
    }
}

std::vector<RecipientChoice> InvoiceRecipients::list(Database& db)
{
    std::vector<RecipientChoice> out;
    out.push_back({RecipientKind::All, 0, QStringLiteral("Kaikki")});
    out.push_back({RecipientKind::Landowners, 0, QStringLiteral("Maanomistaja")});
    Recordset features = db.openRecordset(
        QStringLiteral("SELECT piID, piNimi FROM pi WHERE piNimi IS NOT NULL ORDER BY piNimi, piID"),
        RecordsetType::Snapshot);
    for (; !features.eof(); features.moveNext())
        out.push_back({RecipientKind::Feature, features.field(0).toInt64(),
                       QStringLiteral("Om - ") + NullToString(features.field(1))});
    Recordset members = db.openRecordset(
        QStringLiteral("SELECT jrID, jrSukunimi, jrEtunimi FROM jr WHERE jrSukunimi IS NOT NULL"
                       " ORDER BY jrSukunimi, jrEtunimi, jrID"),
        RecordsetType::Snapshot);
    for (; !members.eof(); members.moveNext())
        out.push_back({RecipientKind::Member, members.field(0).toInt64(),
                       NullToString(members.field(1)) + QLatin1Char(' ') + NullToString(members.field(2))});
    return out;
}

} // namespace tikkeli
