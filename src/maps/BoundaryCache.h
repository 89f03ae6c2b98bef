#pragma once

#include "db/Database.h"
#include "maps/cRaja.h"
#include "db/DatabaseStamp.h"

#include <QPolygonF>
#include <QRectF>
#include <deque>
#include <set>
#include <unordered_map>
#include <vector>

namespace tikkeli {

// One stored boundary point as the cache holds it (map twips).
struct BoundaryPoint {
    qint64 id = 0; // rjID
    qint32 orderId = 0;
    float x = 0.0f;
    float y = 0.0f;
    bool mukaan = false;

    bool operator==(const BoundaryPoint&) const = default;
};

// The stored boundary of one estate: its points in rjOrderID order.
struct EstateBoundary {
    qint64 tlId = 0;
    std::vector<BoundaryPoint> points;

    QPolygonF polygon() const;
    // The points' bounding box; empty (null) without points.
    QRectF bounds() const;
};

// The boundaries of these estates as stored now, in one query, in tlID order; an estate without
// points has none.
std::vector<EstateBoundary> ReadEstateBoundaries(Database& db, const std::set<qint64>& estateIds);

// Every stored boundary, read with one query over rj ordered by estate and point order and kept
// until the database may have changed (a write through this program's connection, another
// program's commit, a file put in its place): the map window, the hit test and the print read
// it, and a boundary drawn or deleted, or an estate removed in the contract window, shows at the
// next look. Only estates with points are held.
class BoundaryCache {
public:
    // The one cache of the running program.
    static BoundaryCache& shared();

    // The estates with points, in tlID order.
    const std::vector<EstateBoundary>& estates(Database& db);
    // The estate's boundary; nullptr when it has no points.
    const EstateBoundary* find(Database& db, qint64 tlId);
    // The estate's points as point records of that database, clean (none without points).
    std::deque<cRaja> points(Database& db, qint64 tlId);
    void clear();
    // How many times the boundaries were read from the database.
    std::size_t reads() const { return m_reads; }

private:
    friend class cTilojenRajat;
    void refresh(Database& db);
    // As of the last refresh (a list of many estates looks once, not once per estate).
    std::deque<cRaja> pointsAsRead(const Database& db, qint64 tlId) const;

    bool m_valid = false;
    std::size_t m_reads = 0;
    DatabaseStamp m_stamp;
    std::vector<EstateBoundary> m_estates;
    std::unordered_map<qint64, std::size_t> m_index;
};

} // namespace tikkeli
