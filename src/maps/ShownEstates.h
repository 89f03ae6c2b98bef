#pragma once

#include "db/Database.h"
#include "db/DatabaseStamp.h"

#include <QPointF>
#include <set>
#include <vector>

namespace tikkeli {

// Which estates the map shows: every estate with a boundary or those of the contracts chosen, the
// estate a search found, and the estates drawn since the estates shown were last chosen (so that a
// boundary just stored never vanishes). Only their boundaries are read (every estate's, through the
// boundary cache, when all are shown); the window reads them again only when the database may have
// changed since (stale()), so scrolling and zooming repaint from memory.
class ShownEstates {
public:
    using Chain = std::vector<QPointF>;

    // The estates shown are chosen anew (nothing, when "Tilat" is off): the found estate and those
    // just drawn are no longer shown.
    void choose(bool all, std::set<qint64> estates);
    void setFound(qint64 estateId) { m_found = estateId; }
    void addStored(qint64 estateId) { m_storedNow.insert(estateId); }
    // The estate's boundary is gone.
    void forget(qint64 estateId);
    bool shows(qint64 estateId) const;

    // The boundaries shown and the found estate's, as they are stored now.
    struct Chains {
        std::vector<Chain> shown;
        Chain found;
    };
    Chains read(Database& db);
    bool stale(Database& db) const { return !(DatabaseStamp::of(db) == m_stamp); }
    // Every estate on the map, found one included, each boundary closed (its first corner
    // repeated last), for a print.
    std::vector<std::pair<qint64, Chain>> closedBoundaries(Database& db) const;

private:
    // Each boundary on the map (found one included), read for those estates only.
    template <class Visit>
    void eachBoundary(Database& db, Visit visit) const;

    bool m_all = false;
    std::set<qint64> m_chosen;
    std::set<qint64> m_storedNow;
    qint64 m_found = 0;
    DatabaseStamp m_stamp;
};

} // namespace tikkeli
