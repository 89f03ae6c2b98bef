#include "catch/CatchLists.h"

#include "base/NullConversions.h"
#include "catch/CatchEntry.h"
#include "db/FinnishCollation.h"
#include "db/Recordset.h"

#include <QHash>
#include <algorithm>
#include <optional>

namespace tikkeli {

bool CatchLists::sameSpecies(const QString& a, const QString& b)
{
    return FinnishCollation::like(speciesPattern(a), b, U'\\');
}

QString CatchLists::speciesCondition()
{
    return QStringLiteral("siLaji LIKE ? ESCAPE '\\'");
}

QString CatchLists::speciesPattern(const QString& species)
{
    QString pattern;
    pattern.reserve(species.size());
    for (const QChar c : species) {
        if (c == u'%' || c == u'_' || c == u'\\')
            pattern += u'\\';
        pattern += c;
    }
    return pattern;
}

QStringList CatchLists::species(Database& db, bool withNull)
{
    // Each stored spelling once, in Finnish order, with its first row.
    Recordset rs = db.openRecordset(QStringLiteral("SELECT siLaji, MIN(siID) FROM si GROUP BY siLaji ORDER BY siLaji"),
                                    RecordsetType::Snapshot);
    struct Species {
        QString name;
        qint64 firstRow;
    };
    std::vector<Species> found;
    bool withoutSpecies = false;
    for (; !rs.eof(); rs.moveNext()) {
        const Value v = rs.field(0);
        if (v.isNull()) {
            withoutSpecies = true;
            continue;
        }
        const QString name = v.toString();
        const qint64 first = rs.field(1).toInt64();
        const auto same = std::find_if(found.begin(), found.end(),
                                       [&](const Species& s) { return sameSpecies(s.name, name); });
        if (same == found.end())
            found.push_back({name, first});
        else if (first < same->firstRow)
            *same = {name, first};
    }
    QStringList out;
    if (withoutSpecies && withNull)
        out.append(QString());
    for (const Species& s : found)
        out.append(s.name);
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
    for (const QString& name : species(db, false))
        branches.push_back({name, {}});
    if (branches.empty())
        return branches;
    // The branch of each stored spelling, found once.
    QHash<QString, std::size_t> branchOf;
    const auto branchFor = [&](const QString& spelling) -> std::optional<std::size_t> {
        if (const auto it = branchOf.constFind(spelling); it != branchOf.constEnd())
            return *it;
        for (std::size_t i = 0; i < branches.size(); ++i) {
            if (sameSpecies(branches[i].species, spelling)) {
                branchOf.insert(spelling, i);
                return i;
            }
        }
        return std::nullopt;
    };
    Recordset rs = db.openRecordset(QStringLiteral("SELECT siID, siLaji, siPvm, siPaikka, siKaataja FROM si ORDER BY siID"),
                                    RecordsetType::Snapshot);
    for (; !rs.eof(); rs.moveNext()) {
        const Value laji = rs.field(1);
        if (laji.isNull())
            continue;
        const std::optional<std::size_t> branch = branchFor(laji.toString());
        if (!branch)
            continue;
        branches[*branch].catches.push_back({rs.field(0).toInt64(), nodeText(rs.field(2), rs.field(3), rs.field(4))});
    }
    return branches;
}

} // namespace tikkeli
