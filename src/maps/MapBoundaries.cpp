#include "maps/MapBoundaries.h"

#include "db/Recordset.h"
#include "db/Transaction.h"
#include "maps/BoundaryCache.h"
#include "maps/cRajat.h"
#include "db/ClubChanges.h"

#include <algorithm>

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
    ClubChanges::announce(db, ClubChanges::Kind::Boundaries);
    t.commit();
}

std::vector<BoundaryPoint> StoredPoints(Database& db, qint64 estateId)
{
    std::vector<EstateBoundary> read = ReadEstateBoundaries(db, {estateId});
    return read.empty() ? std::vector<BoundaryPoint>() : std::move(read.front().points);
}

DrawnBoundaryStore StoreDrawnBoundary(Database& db, qint64 estateId, const std::vector<QPointF>& corners,
                                      std::vector<BoundaryPoint> seen, const std::function<bool()>& replaceOthers)
{
    const auto unseen = [&seen](const BoundaryPoint& p) { return std::find(seen.begin(), seen.end(), p) == seen.end(); };
    // No question is asked inside the transaction; what was stored while it was asked is asked
    // about again.
    for (;;) {
        Transaction t(db);
        if (db.openRecordset(QStringLiteral("SELECT tlID FROM tl WHERE tlID = ?"), RecordsetType::Snapshot,
                             {Value(estateId)})
                .eof())
            return DrawnBoundaryStore::EstateGone;
        std::vector<BoundaryPoint> now = StoredPoints(db, estateId);
        if (std::any_of(now.begin(), now.end(), unseen)) {
            t.rollback();
            if (!replaceOthers())
                return DrawnBoundaryStore::OthersKept;
            seen = std::move(now);
            continue;
        }
        cRajat::DeleteEstatePoints(db, estateId);
        int order = 0;
        for (const QPointF& p : corners)
            db.execute(QStringLiteral("INSERT INTO rj (rjtlID, rjOrderID, rjX, rjY, rjMukaan) VALUES (?, ?, ?, ?, 0)"),
                       {Value(estateId), Value(++order), Value(double(float(p.x()))), Value(double(float(p.y())))});
        ClubChanges::announce(db, ClubChanges::Kind::Boundaries);
        t.commit();
        return DrawnBoundaryStore::Stored;
    }
}

qint64 RemoveUnfinishedBoundaries(Database& db)
{
    db.execute(QStringLiteral("DELETE FROM rj WHERE rjtlID IN (SELECT rjtlID FROM rj GROUP BY rjtlID HAVING COUNT(*) < 3)"));
    const qint64 removed = db.rowsAffected();
    if (removed > 0)
        ClubChanges::announce(db, ClubChanges::Kind::Boundaries);
    return removed;
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
