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

ShownEstates::Chains ShownEstates::read(Database& db)
{
    m_stamp = DatabaseStamp::of(db);
    Chains out;
    BoundaryCache& cache = BoundaryCache::shared();
    for (const EstateBoundary& b : cache.estates(db))
        if (shows(b.tlId))
            out.shown.push_back(BoundaryPoints(b));
    if (const EstateBoundary* b = m_found ? cache.find(db, m_found) : nullptr)
        out.found = BoundaryPoints(*b);
    return out;
}

std::vector<std::pair<qint64, ShownEstates::Chain>> ShownEstates::closedBoundaries(Database& db) const
{
    std::vector<std::pair<qint64, Chain>> out;
    for (const EstateBoundary& b : BoundaryCache::shared().estates(db)) {
        if (!shows(b.tlId) && b.tlId != m_found)
            continue;
        Chain chain = BoundaryPoints(b);
        if (chain.size() >= 3)
            chain.push_back(chain.front());
        out.emplace_back(b.tlId, std::move(chain));
    }
    return out;
}

} // namespace tikkeli
