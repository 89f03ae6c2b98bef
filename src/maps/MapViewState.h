#pragma once

#include "maps/MapGeometry.h"

#include <QRectF>
#include <QSizeF>

namespace tikkeli {

// What the map window shows: the map's extent, the visible area, the zoom and the two scroll
// values, kept consistent with each other (a scroll value always lies within its range). The view
// widget paints from it, the mouse tools convert through it, and a print reads the visible area.
class MapViewState {
public:
    // Map extent in map twips; an empty map gives scroll ranges of 1..1.
    void setMapSize(QSizeF mapTwips);
    QSizeF mapSize() const { return m_map; }
    // The visible area in view twips.
    void setViewSize(QSizeF viewTwips);
    QSizeF viewSize() const { return m_view; }

    int zoomIndex() const { return m_zoomIndex; }
    double zoom() const { return ZoomFactor(m_zoomIndex); }
    // Another zoom, keeping the map point in the middle of the view in the middle as far as the
    // scroll ranges allow.
    void setZoomIndex(int zoomIndex);

    int hScroll() const { return m_h; }
    int vScroll() const { return m_v; }
    // Both values are kept within their ranges.
    void setScroll(int hScroll, int vScroll);
    ScrollRange hRange() const { return m_hRange; }
    ScrollRange vRange() const { return m_vRange; }

    QPointF toView(QPointF map) const { return MapToView(map, zoom(), m_h, m_v); }
    QPointF toMap(QPointF view) const { return ViewToMap(view, zoom(), m_h, m_v); }
    // The part of the map the view shows, in map twips (it may reach past the map's edges).
    QRectF visibleMapRect() const;
    // Scrolls so that a map point lies in the middle of the view, as far as the ranges allow.
    void centreOn(QPointF map);

private:
    void updateRanges();

    QSizeF m_map;
    QSizeF m_view;
    int m_zoomIndex = kDefaultZoomIndex;
    int m_h = kScrollMinimum;
    int m_v = kScrollMinimum;
    ScrollRange m_hRange;
    ScrollRange m_vRange;
};

} // namespace tikkeli
