#pragma once

#include <QPointF>
#include <QtGlobal>
#include <span>
#include <vector>

namespace tikkeli {

// Whether a boundary polygon (its last point joined to its first) contains a point, by counting
// the edges that pass strictly above it. An edge counts for the points whose x lies in
// [smaller end x, larger end x), so a vertical ray through a corner meets exactly one of the two
// edges there; vertical edges never count. A point on the top edge is outside, one on the bottom
// edge inside. Fewer than three points contain nothing.
bool BoundaryContains(std::span<const QPointF> boundary, QPointF point);

// The estate boundaries the mouse is tested against, each with its bounding box, in the order
// they were added (the order of the estate table), so that where two overlap the later one wins.
class EstateHitIndex {
public:
    void clear();
    void reserve(std::size_t estates) { m_outlines.reserve(estates); }
    void add(qint64 estateId, std::vector<QPointF> boundary);
    // The estate containing the point, 0 when none.
    qint64 find(QPointF point) const;
    std::size_t size() const { return m_outlines.size(); }

private:
    struct Outline {
        qint64 estateId = 0;
        double minX = 0, maxX = 0, minY = 0, maxY = 0;
        std::vector<QPointF> boundary;
    };
    std::vector<Outline> m_outlines;
};

} // namespace tikkeli
