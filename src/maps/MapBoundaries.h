#pragma once

#include "db/Database.h"
#include "maps/MapHitTest.h"
#include "db/DatabaseStamp.h"

#include <QPointF>
#include <functional>
#include <vector>

namespace tikkeli {

struct EstateBoundary;

// An estate's stored corners as map points, in their order.
std::vector<QPointF> BoundaryPoints(const EstateBoundary& boundary);

// Removes an estate's whole boundary in one transaction: all of it goes, or
// none.
void DeleteEstateBoundary(Database& db, qint64 estateId);
// The keys of the estate's stored points, in key order.
std::vector<qint64> StoredPointIds(Database& db, qint64 estateId);
// Stores corners drawn in memory as the estate's whole boundary (order 1, 2, ...) in one
// transaction, replacing what the estate has stored. When the stored points are no longer those
// `seen` when the drawing began (another program stored a boundary meanwhile), replaceOthers is
// asked first, outside the transaction; false stores nothing. Returns whether the boundary was
// stored.
bool StoreDrawnBoundary(Database& db, qint64 estateId, const std::vector<QPointF>& corners, std::vector<qint64> seen,
                        const std::function<bool()>& replaceOthers);
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
