#include "invoicing/InvoiceTitles.h"

#include "base/NullConversions.h"
#include "db/Recordset.h"

namespace tikkeli {

std::vector<SavedTitle> InvoiceTitles::list(Database& db)
{
    std::vector<SavedTitle> out;
    Recordset rs = db.openRecordset(QStringLiteral("SELECT ltID, ltNimi FROM lt ORDER BY ltNimi, ltID"),
                                    RecordsetType::Snapshot);
    for (; !rs.eof(); rs.moveNext()) {
        const QString name = NullToString(rs.field(1));
        if (!name.trimmed().isEmpty())
            out.push_back({rs.field(0).toInt64(), name});
    }
    return out;
}

std::optional<SavedTitle> InvoiceTitles::addIfNew(Database& db, const QString& text)
{
    if (text.trimmed().isEmpty() || text.size() > MaxLength)
        return std::nullopt;
    // = compares exactly (no collation), as a title differing in case is another title.
    if (db.scalar(QStringLiteral("SELECT COUNT(*) FROM lt WHERE ltNimi = ?"), {Value(text)}).toInt64() > 0)
        return std::nullopt;
    db.execute(QStringLiteral("INSERT INTO lt (ltNimi) VALUES (?)"), {Value(text)});
    return SavedTitle{db.lastInsertId(), text};
}

bool InvoiceTitles::remove(Database& db, const QString& text)
{
    db.execute(QStringLiteral("DELETE FROM lt WHERE ltNimi = ?"), {Value(text)});
    return db.rowsAffected() > 0;
}

} // namespace tikkeli
