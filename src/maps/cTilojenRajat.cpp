#include "maps/cTilojenRajat.h"

#include "db/Recordset.h"
#include "maps/BoundaryCache.h"

namespace tikkeli {

cTilojenRajat::cTilojenRajat(const Database& db, BoundaryCache* cache)
    : m_db(db), m_cache(cache ? cache : &BoundaryCache::shared())
{
}

std::vector<cRajat> cTilojenRajat::build(const QString& estateSql, const Params& params)
{
    std::vector<qint64> ids;
    for (Recordset rs = m_db.openRecordset(estateSql, RecordsetType::Snapshot, params); !rs.eof(); rs.moveNext())
        ids.push_back(rs.field(0).toInt64());
    m_cache->refresh(m_db);
    std::vector<cRajat> out;
    out.reserve(ids.size());
    for (const qint64 id : ids) {
        cRajat estate(m_db, id);
        estate.setPoints(m_cache->pointsAsRead(m_db, id));
        out.push_back(std::move(estate));
    }
    return out;
}

std::vector<cRajat> cTilojenRajat::ReadTilojenRajat()
{
    return build(QStringLiteral("SELECT tlID FROM tl ORDER BY tlID COLLATE BINARY"), {});
}

std::vector<cRajat> cTilojenRajat::ReadTilojenRajatSQL(const ContractQuery& contracts)
{
    // No criterion draws nothing: an unfinished choice never turns into "every estate".
    if (contracts.isEmpty())
        return {};
    return build(QStringLiteral("SELECT tl.tlID FROM tl WHERE tl.tlvsID IN (SELECT vsID FROM (") + contracts.sql
                     + QStringLiteral(")) ORDER BY tl.tlID COLLATE BINARY"),
                 contracts.params);
}

std::vector<cRajat> cTilojenRajat::ReadMarked()
{
    return build(QStringLiteral("SELECT tl.tlID FROM vs, tl WHERE vs.vsID = tl.tlvsID AND vs.vsMukaan = 1 "
                                "ORDER BY tl.tlID COLLATE BINARY"),
                 {});
}

std::vector<cRajat> cTilojenRajat::ReadEstate(qint64 tlId)
{
    return build(QStringLiteral("SELECT tl.tlID FROM vs, tl WHERE vs.vsID = tl.tlvsID AND tl.tlID = ?"), {Value(tlId)});
}

} // namespace tikkeli
