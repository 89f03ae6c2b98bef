#include "catch/CatchLists.h"

#include "base/NullConversions.h"
#include "catch/CatchEntry.h"
#include "db/Recordset.h"

#include <QHash>

namespace tikkeli {

QStringList CatchLists::species(Database& db, bool withNull)
{
    QStringList out;
    Recordset rs = db.openRecordset(QStringLiteral("SELECT DISTINCT siLaji FROM si ORDER BY siLaji"),
                                    RecordsetType::Snapshot);
    for (; !rs.eof(); rs.moveNext()) {
        const Value v = rs.field(0);
        if (!v.isNull() || withNull)
            out.append(NullToString(v));
    }
    return out;
}

QStringList CatchLists::shooters(Database& db)
{
    QStringList out;
    Recordset rs = db.openRecordset(QStringLiteral("SELECT jrSukunimi, jrEtunimi FROM jr ORDER BY jrSukunimi, jrEtunimi"),
                                    RecordsetType::Snapshot);
    out.reserve(rs.recordCount());
    for (; !rs.eof(); rs.moveNext())
        out.append(NullToString(rs.field(0)) + QLatin1Char(' ') + NullToString(rs.field(1)));
    return out;
}

QStringList CatchLists::places(Database& db, bool extended)
{
    const QString sql = extended
                            ? QStringLiteral("SELECT DISTINCT tlKunta, tlKyla, tlTilaPalsta, tlRekNo FROM tl "
                                             "ORDER BY tlKunta, tlKyla, tlTilaPalsta, tlRekNo")
                            : QStringLiteral("SELECT DISTINCT tlKyla, tlTilaPalsta FROM tl ORDER BY tlKyla, tlTilaPalsta");
    QStringList out;
    Recordset rs = db.openRecordset(sql, RecordsetType::Snapshot);
    const int columns = rs.fieldCount();
    for (; !rs.eof(); rs.moveNext()) {
        QStringList parts;
        for (int i = 0; i < columns; ++i)
            parts.append(NullToString(rs.field(i)));
        out.append(parts.join(QStringLiteral(", ")));
    }
    return out;
}

QString CatchLists::nodeText(const Value& date, const Value& place, const Value& shooter)
{
    return CatchFields::dateText(date) + QStringLiteral(", ") + NullToString(place) + QStringLiteral(", ")
           + NullToString(shooter);
}

std::vector<CatchSpeciesBranch> CatchLists::tree(Database& db)
{
    std::vector<CatchSpeciesBranch> branches;
    QHash<QString, std::size_t> branchOf;
    for (const QString& name : species(db, false)) {
        const QString key = name.toCaseFolded();
        if (branchOf.contains(key))
            continue;
        branchOf.insert(key, branches.size());
        branches.push_back({name, {}});
    }
    if (branches.empty())
        return branches;
    Recordset rs = db.openRecordset(QStringLiteral("SELECT siID, siLaji, siPvm, siPaikka, siKaataja FROM si ORDER BY siID"),
                                    RecordsetType::Snapshot);
    for (; !rs.eof(); rs.moveNext()) {
        const Value laji = rs.field(1);
        if (laji.isNull())
            continue;
        const auto it = branchOf.constFind(NullToString(laji).toCaseFolded());
        if (it == branchOf.constEnd())
            continue;
        branches[*it].catches.push_back({rs.field(0).toInt64(), nodeText(rs.field(2), rs.field(3), rs.field(4))});
    }
    return branches;
}

} // namespace tikkeli
