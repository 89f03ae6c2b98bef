#pragma once

#include <QPointF>
#include <array>

namespace tikkeli {

// The map window works in three coordinate systems, all in twips:
//  - map twips: the unzoomed picture, origin at its top left corner, y growing downwards; every
//    stored boundary point is in this unit;
//  - zoomed twips: the map multiplied by the zoom factor;
//  - view twips: inside the visible area, which shows the zoomed picture from the scroll position.
// The scroll bars count in steps of 20 zoomed twips and never go below 1.
constexpr int kScrollUnitTwips = 20;
constexpr int kScrollMinimum = 1;
constexpr int kScrollSmallChange = 25;

// The zoom buttons "10%" .. "200%", in their order; "100%" is chosen when the window opens.
constexpr std::array<double, 7> kZoomFactors{0.1, 0.25, 0.5, 0.75, 1.0, 1.5, 2.0};
constexpr int kDefaultZoomIndex = 4;
// The zoom factor of a button index; an index outside the buttons counts as the last one.
double ZoomFactor(int zoomIndex);

// view = map x zoom - scroll x 20
QPointF MapToView(QPointF map, double zoom, int hScroll, int vScroll);
// map = (scroll x 20 + view) / zoom, held in single precision as a stored point is.
QPointF ViewToMap(QPointF view, double zoom, int hScroll, int vScroll);

// One scroll bar for a map extent (map twips) seen through a view extent (view twips).
struct ScrollRange {
    int minimum = kScrollMinimum;
    int maximum = kScrollMinimum;
    int smallChange = kScrollSmallChange;
    int largeChange = 1;
};
// The maximum lets the zoomed map's far edge reach the view's far edge; a map smaller than the
// view gives 1..1. A large change is a third of the view.
ScrollRange ScrollRangeFor(double mapExtent, double viewExtent, double zoom);

// The scroll value that puts a zoomed position in the middle of the view, within [1, maximum].
int CentredScrollValue(double zoomedCentre, double viewExtent, int maximum);
// After a zoom change: the value that keeps the map point in the middle of the view in the middle,
// within [1, maximum of the new zoom].
int RecentredScrollValue(double mapExtent, double viewExtent, double oldZoom, double newZoom, int value, int newMaximum);

// The zoom a view falls back to when the picture cannot be shown at the chosen one: 10 % from
// 100 % or less, 100 % from above.
int FallbackZoomIndex(int zoomIndex);

} // namespace tikkeli
