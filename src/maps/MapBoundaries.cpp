#include "maps/MapBoundaries.h"

#include "db/Transaction.h"
#include "maps/BoundaryCache.h"
#include "maps/cRajat.h"

namespace tikkeli {

std::vector<QPointF> BoundaryPoints(const EstateBoundary& boundary)
{
    std::vector<QPointF> points;
    points.reserve(boundary.points.size());
    for (const BoundaryPoint& p : boundary.points)
        points.emplace_back(p.x, p.y);
    return points;
}

void DeleteEstateBoundary(Database& db, qint64 estateId)
{
    Transaction t(db);
    cRajat::DeleteEstatePoints(db, estateId);
    t.commit();
}

bool AnyBoundaryStored(Database& db)
{
    return !BoundaryCache::shared().estates(db).empty();
}

qint64 EstateFinder::find(Database& db, QPointF map)
{
    const DatabaseStamp stamp = DatabaseStamp::of(db);
    if (!stamp.valid() || !(stamp == m_stamp)) {
        m_index.clear();
        const auto& estates = BoundaryCache::shared().estates(db);
        m_index.reserve(estates.size());
        for (const EstateBoundary& b : estates)
            m_index.add(b.tlId, BoundaryPoints(b));
        m_stamp = stamp;
    }
    return m_index.find(map);
}

void EstateFinder::clear()
{
    m_index.clear();
    m_stamp = {};
}

} // namespace tikkeli
