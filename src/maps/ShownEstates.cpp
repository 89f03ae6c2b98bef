#include "maps/ShownEstates.h"

#include "maps/BoundaryCache.h"
#include "maps/MapBoundaries.h"

namespace tikkeli {

void ShownEstates::choose(bool all, std::set<qint64> estates)
{
    m_all = all;
    m_chosen = std::move(estates);
    m_storedNow.clear();
    m_found = 0;
}

void ShownEstates::forget(qint64 estateId)
{
    if (m_found == estateId)
        m_found = 0;
}

bool ShownEstates::shows(qint64 estateId) const
{
    return m_all || m_chosen.count(estateId) || m_storedNow.count(estateId);
}

template <class Visit>
void ShownEstates::eachBoundary(Database& db, Visit visit) const
{
    if (m_all) {
        for (const EstateBoundary& b : BoundaryCache::shared().estates(db))
            visit(b);
        return;
    }
    // Only the estates on the map are read: none at all while nothing is shown.
    std::set<qint64> ids = m_chosen;
    ids.insert(m_storedNow.begin(), m_storedNow.end());
    if (m_found)
        ids.insert(m_found);
    for (const EstateBoundary& b : ReadEstateBoundaries(db, ids))
        visit(b);
}

ShownEstates::Chains ShownEstates::read(Database& db)
{
    m_stamp = DatabaseStamp::of(db);
    Chains out;
    eachBoundary(db, [&](const EstateBoundary& b) {
        if (shows(b.tlId))
            out.shown.push_back(BoundaryPoints(b));
        if (b.tlId == m_found)
            out.found = BoundaryPoints(b);
    });
    return out;
}

std::vector<std::pair<qint64, ShownEstates::Chain>> ShownEstates::closedBoundaries(Database& db) const
{
    std::vector<std::pair<qint64, Chain>> out;
    eachBoundary(db, [&](const EstateBoundary& b) {
        Chain chain = BoundaryPoints(b);
        if (chain.size() >= 3)
            chain.push_back(chain.front());
        out.emplace_back(b.tlId, std::move(chain));
    });
    return out;
}

} // namespace tikkeli
