#include "maps/MapHitTest.h"

#include <algorithm>

namespace tikkeli {

namespace {

// Whether the edge from a to b passes strictly above the point within its half-open x range.
bool EdgeAbove(QPointF a, QPointF b, QPointF p)
{
    if (b.x() < a.x())
        std::swap(a, b);
    if (!(a.x() <= p.x() && p.x() < b.x()))
        return false;
    return (p.y() - a.y()) * (b.x() - a.x()) > (p.x() - a.x()) * (b.y() - a.y());
}

} // namespace

bool BoundaryContains(std::span<const QPointF> boundary, QPointF point)
{
    const std::size_t n = boundary.size();
    if (n < 3)
        return false;
    bool inside = false;
    for (std::size_t i = 0; i < n; ++i) {
        if (EdgeAbove(boundary[i], boundary[(i + 1) % n], point))
            inside = !inside;
    }
    return inside;
}

void EstateHitIndex::clear()
{
    m_outlines.clear();
}

void EstateHitIndex::add(qint64 estateId, std::vector<QPointF> boundary)
{
    // Fewer than three points enclose nothing: such an estate is never found.
    if (boundary.size() < 3)
        return;
    Outline o;
    o.estateId = estateId;
    o.minX = o.maxX = boundary.front().x();
    o.minY = o.maxY = boundary.front().y();
    for (const QPointF& p : boundary) {
        o.minX = std::min(o.minX, p.x());
        o.maxX = std::max(o.maxX, p.x());
        o.minY = std::min(o.minY, p.y());
        o.maxY = std::max(o.maxY, p.y());
    }
    o.boundary = std::move(boundary);
    m_outlines.push_back(std::move(o));
}

qint64 EstateHitIndex::find(QPointF point) const
{
    for (auto it = m_outlines.rbegin(); it != m_outlines.rend(); ++it) {
        if (point.x() < it->minX || point.x() > it->maxX || point.y() < it->minY || point.y() > it->maxY)
            continue;
        if (BoundaryContains(it->boundary, point))
            return it->estateId;
    }
    return 0;
}

} // namespace tikkeli
