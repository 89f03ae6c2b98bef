#include "maps/MapGeometry.h"

#include <algorithm>
#include <cmath>

namespace tikkeli {

namespace {

// Nearest whole number, a half going to the even neighbour, kept within the int range.
int RoundEven(double value)
{
    if (!std::isfinite(value))
        return 0;
    const double r = std::nearbyint(value);
    return int(std::clamp(r, -2147483648.0, 2147483647.0));
}

} // namespace

double ZoomFactor(int zoomIndex)
{
    if (zoomIndex < 0 || zoomIndex >= int(kZoomFactors.size()))
        return kZoomFactors.back();
    return kZoomFactors[std::size_t(zoomIndex)];
}

QPointF MapToView(QPointF map, double zoom, int hScroll, int vScroll)
{
    return {map.x() * zoom - double(hScroll) * kScrollUnitTwips, map.y() * zoom - double(vScroll) * kScrollUnitTwips};
}

QPointF ViewToMap(QPointF view, double zoom, int hScroll, int vScroll)
{
    const float x = float((double(hScroll) * kScrollUnitTwips + view.x()) / zoom);
    const float y = float((double(vScroll) * kScrollUnitTwips + view.y()) / zoom);
    return {double(x), double(y)};
}

ScrollRange ScrollRangeFor(double mapExtent, double viewExtent, double zoom)
{
    ScrollRange r;
    r.maximum = std::max(RoundEven((mapExtent * zoom - viewExtent) / kScrollUnitTwips), kScrollMinimum);
    r.largeChange = std::max(RoundEven(viewExtent / 3.0 / kScrollUnitTwips), 1);
    return r;
}

int CentredScrollValue(double zoomedCentre, double viewExtent, int maximum)
{
    const int value = RoundEven((zoomedCentre - viewExtent * 0.5) / kScrollUnitTwips);
    return std::clamp(value, kScrollMinimum, std::max(maximum, kScrollMinimum));
}

int RecentredScrollValue(double mapExtent, double viewExtent, double oldZoom, double newZoom, int value, int newMaximum)
{
    if (mapExtent <= 0 || oldZoom <= 0)
        return kScrollMinimum;
    const double relative = (viewExtent * 0.5 + double(value) * kScrollUnitTwips) / (mapExtent * oldZoom);
    return CentredScrollValue(mapExtent * newZoom * relative, viewExtent, newMaximum);
}

int FallbackZoomIndex(int zoomIndex)
{
    return ZoomFactor(zoomIndex) <= 1.0 ? 0 : kDefaultZoomIndex;
}

} // namespace tikkeli
