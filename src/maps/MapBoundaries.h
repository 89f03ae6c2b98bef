#pragma once

#include "db/Database.h"
#include "maps/BoundaryCache.h"
#include "maps/MapHitTest.h"
#include "db/DatabaseStamp.h"

#include <QPointF>
#include <functional>
#include <vector>

namespace tikkeli {

// An estate's stored corners as map points, in their order.
std::vector<QPointF> BoundaryPoints(const EstateBoundary& boundary);

// Removes an estate's whole boundary in one transaction: all of it goes, or
// none.
void DeleteEstateBoundary(Database& db, qint64 estateId);
// The estate's stored points, in their order.
std::vector<BoundaryPoint> StoredPoints(Database& db, qint64 estateId);

enum class DrawnBoundaryStore {
    Stored,
    OthersKept, // another boundary was stored meanwhile and the user kept it
    EstateGone, // the estate was removed meanwhile
};
// Stores corners drawn in memory as the estate's whole boundary (order 1, 2, ...) in one
// transaction, replacing what the estate has stored. When the estate has a point now that is not
// among those `seen` when the drawing began (another program stored or moved a point meanwhile),
// replaceOthers is asked first, outside the transaction, and asked again should yet another write
// come while it is asked; false stores nothing. Points seen and since removed ask nothing. An
// estate removed meanwhile gets no boundary: no rows of no estate.
DrawnBoundaryStore StoreDrawnBoundary(Database& db, qint64 estateId, const std::vector<QPointF>& corners,
                                      std::vector<BoundaryPoint> seen, const std::function<bool()>& replaceOthers);
// Removes the points of every estate with fewer than three: not a boundary but what a drawing
// stopped midway by an earlier version of the program left. Returns the points removed.
qint64 RemoveUnfinishedBoundaries(Database& db);
// Whether any estate has a boundary drawn on the map.
bool AnyBoundaryStored(Database& db);

// The estate under the mouse, tested against every stored boundary. The
// boundaries and their boxes are taken from the boundary cache again only when
// the database may have changed, so a lookup while nothing changed costs the
// check and the boxes passed.
class EstateFinder {
public:
    // The estate containing the map point, 0 for none; where boundaries overlap,
    // the estate later in the estate table.
    qint64 find(Database& db, QPointF map);
    void clear();

private:
    EstateHitIndex m_index;
    DatabaseStamp m_stamp;
};

} // namespace tikkeli
