#include "maps/MapViewState.h"

#include <algorithm>

namespace tikkeli {

void MapViewState::setMapSize(QSizeF mapTwips)
{
    m_map = mapTwips;
    updateRanges();
}

void MapViewState::setViewSize(QSizeF viewTwips)
{
    m_view = viewTwips;
    updateRanges();
}

void MapViewState::setZoomIndex(int zoomIndex)
{
    zoomIndex = std::clamp(zoomIndex, 0, int(kZoomFactors.size()) - 1);
    if (zoomIndex == m_zoomIndex)
        return;
    const double oldZoom = zoom();
    const int oldH = m_h;
    const int oldV = m_v;
    m_zoomIndex = zoomIndex;
    updateRanges();
    m_h = RecentredScrollValue(m_map.width(), m_view.width(), oldZoom, zoom(), oldH, m_hRange.maximum);
    m_v = RecentredScrollValue(m_map.height(), m_view.height(), oldZoom, zoom(), oldV, m_vRange.maximum);
}

void MapViewState::setScroll(int hScroll, int vScroll)
{
    m_h = std::clamp(hScroll, m_hRange.minimum, m_hRange.maximum);
    m_v = std::clamp(vScroll, m_vRange.minimum, m_vRange.maximum);
}

QRectF MapViewState::visibleMapRect() const
{
    const QPointF topLeft = toMap(QPointF(0, 0));
    return {topLeft, QSizeF(m_view.width() / zoom(), m_view.height() / zoom())};
}

void MapViewState::centreOn(QPointF map)
{
    m_h = CentredScrollValue(map.x() * zoom(), m_view.width(), m_hRange.maximum);
    m_v = CentredScrollValue(map.y() * zoom(), m_view.height(), m_vRange.maximum);
}

void MapViewState::updateRanges()
{
    m_hRange = ScrollRangeFor(m_map.width(), m_view.width(), zoom());
    m_vRange = ScrollRangeFor(m_map.height(), m_view.height(), zoom());
    setScroll(m_h, m_v);
}

} // namespace tikkeli
