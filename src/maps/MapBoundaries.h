#pragma once

#include "db/Database.h"
#include "maps/MapHitTest.h"
#include "members/DatabaseStamp.h"

#include <QPointF>
#include <vector>

namespace tikkeli {

struct EstateBoundary;

// An estate's stored corners as map points, in their order.
std::vector<QPointF> BoundaryPoints(const EstateBoundary& boundary);

// Removes an estate's whole boundary in one transaction: all of it goes, or
// none.
void DeleteEstateBoundary(Database& db, qint64 estateId);
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
