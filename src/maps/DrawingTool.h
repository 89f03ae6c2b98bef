#pragma once

#include <QPointF>
#include <QtGlobal>
#include <functional>
#include <vector>

namespace tikkeli {

// The mouse mode that draws an estate's boundary: each left click is a corner, stored the moment
// it is clicked so that nothing clicked is lost if the program stops; a right click ends the
// drawing. A boundary needs three corners to enclose anything; the window removes a shorter one
// (TooFewPoints) or asks whether to keep a complete one (AskToKeep).
class DrawingTool {
public:
    static constexpr int kMinimumPoints = 3;
    // Stores one corner (its order number counts from 1); throws when it cannot.
    using StorePoint = std::function<void(qint64 estateId, int orderId, QPointF map)>;
    enum class Ending { NoPoints, TooFewPoints, AskToKeep };

    void start(qint64 estateId);
    bool active() const { return m_active; }
    qint64 estateId() const { return m_estateId; }
    const std::vector<QPointF>& points() const { return m_points; }

    // A left click: the corner is kept only once it is stored (a failure propagates and keeps
    // nothing).
    void addPoint(QPointF map, const StorePoint& store);
    // The right click: drawing stops; the corners stay for the window to keep or remove.
    Ending finish();
    // Forgets the corners (after the window removed or kept them).
    void clear();

private:
    bool m_active = false;
    qint64 m_estateId = 0;
    std::vector<QPointF> m_points;
};

} // namespace tikkeli
