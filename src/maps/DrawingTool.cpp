#include "maps/DrawingTool.h"

namespace tikkeli {

void DrawingTool::start(qint64 estateId)
{
    m_active = true;
    m_estateId = estateId;
    m_points.clear();
}

void DrawingTool::addPoint(QPointF map, const StorePoint& store)
{
    if (!m_active)
        return;
    store(m_estateId, int(m_points.size()) + 1, map);
    m_points.push_back(map);
}

DrawingTool::Ending DrawingTool::finish()
{
    m_active = false;
    if (m_points.empty())
        return Ending::NoPoints;
    return int(m_points.size()) < kMinimumPoints ? Ending::TooFewPoints : Ending::AskToKeep;
}

void DrawingTool::clear()
{
    m_active = false;
    m_points.clear();
}

} // namespace tikkeli
