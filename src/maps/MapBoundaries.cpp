#include "maps/MapBoundaries.h"

#include "db/Recordset.h"
#include "db/Transaction.h"
#include "maps/BoundaryCache.h"
#include "maps/cRajat.h"
#include "db/ClubChanges.h"

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

std::vector<qint64> StoredPointIds(Database& db, qint64 estateId)
{
    std::vector<qint64> ids;
    for (Recordset rs = db.openRecordset(QStringLiteral("SELECT rjID FROM rj WHERE rjtlID = ? ORDER BY rjID"),
                                         RecordsetType::Snapshot, {Value(estateId)});
         !rs.eof(); rs.moveNext())
        ids.push_back(rs.field(0).toInt64());
    return ids;
}

bool StoreDrawnBoundary(Database& db, qint64 estateId, const std::vector<QPointF>& corners, std::vector<qint64> seen,
                        const std::function<bool()>& replaceOthers)
{
    // No question is asked inside the transaction; what was stored while it was asked is asked
    // about again.
    for (;;) {
        Transaction t(db);
        std::vector<qint64> now = StoredPointIds(db, estateId);
        if (now != seen) {
            t.rollback();
            if (!replaceOthers())
                return false;
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
        return true;
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
