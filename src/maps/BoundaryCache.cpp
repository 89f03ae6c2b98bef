#include "maps/BoundaryCache.h"

#include "base/NullConversions.h"
#include "db/Recordset.h"

namespace tikkeli {

QPolygonF EstateBoundary::polygon() const
{
    QPolygonF out;
    out.reserve(qsizetype(points.size()));
    for (const BoundaryPoint& p : points)
        out.append(QPointF(p.x, p.y));
    return out;
}

QRectF EstateBoundary::bounds() const
{
    if (points.empty())
        return {};
    float left = points.front().x, right = left, top = points.front().y, bottom = top;
    for (const BoundaryPoint& p : points) {
        left = std::min(left, p.x);
        right = std::max(right, p.x);
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

namespace {

// The rows of rj that `where` picks, estate by estate.
std::vector<EstateBoundary> readBoundaries(Database& db, const QString& where, const Params& params)
{
    std::vector<EstateBoundary> out;
    // BINARY: the integer keys sort by value, and the index on rjtlID serves the first of them.
    Recordset rs = db.openRecordset(QStringLiteral("SELECT rjID, rjtlID, rjOrderID, rjX, rjY, rjMukaan FROM rj ") + where
                                        + QStringLiteral(" ORDER BY rjtlID COLLATE BINARY, rjOrderID COLLATE BINARY, "
                                                         "rjID COLLATE BINARY"),
                                    RecordsetType::Snapshot, params);
    for (; !rs.eof(); rs.moveNext()) {
        const qint64 tlId = NullToLong(rs.field(1));
        if (out.empty() || out.back().tlId != tlId)
            out.push_back(EstateBoundary{tlId, {}});
        out.back().points.push_back(BoundaryPoint{rs.field(0).toInt64(), NullToLong(rs.field(2)), NullToSingle(rs.field(3)),
                                                  NullToSingle(rs.field(4)), NullToBoolean(rs.field(5))});
    }
    return out;
}

} // namespace

std::vector<EstateBoundary> ReadEstateBoundaries(Database& db, const std::set<qint64>& estateIds)
{
    if (estateIds.empty())
        return {};
    QStringList ids;
    for (qint64 id : estateIds)
        ids << QString::number(id);
    return readBoundaries(db, QStringLiteral("WHERE rjtlID IN (SELECT value FROM json_each(?1))"),
                          {Value(QLatin1Char('[') + ids.join(QLatin1Char(',')) + QLatin1Char(']'))});
}

BoundaryCache& BoundaryCache::shared()
{
    static BoundaryCache cache;
    return cache;
}

void BoundaryCache::refresh(Database& db)
{
    const DatabaseStamp now = DatabaseStamp::of(db);
    if (m_valid && now.valid() && m_stamp == now)
        return;
    m_valid = false;
    ++m_reads;
    m_index.clear();
    m_estates = readBoundaries(db, {}, {});
    for (std::size_t i = 0; i < m_estates.size(); ++i)
        m_index.emplace(m_estates[i].tlId, i);
    m_stamp = now;
    m_valid = true;
}

const std::vector<EstateBoundary>& BoundaryCache::estates(Database& db)
{
    refresh(db);
    return m_estates;
}

const EstateBoundary* BoundaryCache::find(Database& db, qint64 tlId)
{
    refresh(db);
    const auto it = m_index.find(tlId);
    return it == m_index.end() ? nullptr : &m_estates[it->second];
}

std::deque<cRaja> BoundaryCache::points(Database& db, qint64 tlId)
{
    refresh(db);
    return pointsAsRead(db, tlId);
}

std::deque<cRaja> BoundaryCache::pointsAsRead(const Database& db, qint64 tlId) const
{
    std::deque<cRaja> out;
    const auto it = m_index.find(tlId);
    if (it == m_index.end())
        return out;
    for (const BoundaryPoint& p : m_estates[it->second].points)
        out.emplace_back(db, p.id, cRajaFields{tlId, p.orderId, p.x, p.y, p.mukaan});
    return out;
}

void BoundaryCache::clear()
{
    m_valid = false;
    m_estates.clear();
    m_index.clear();
}

} // namespace tikkeli
