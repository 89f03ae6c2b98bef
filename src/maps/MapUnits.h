#pragma once

#include <QPointF>
#include <QSize>
#include <QSizeF>

namespace tikkeli::map {

// Every stored boundary point and every map position is in map twips: twips of the unzoomed map
// picture, origin at its top left corner, y growing downwards. The unit is fixed at 15 twips per
// picture pixel whatever the screen, so points stored on one machine land on the same spot of
// the picture on any other; changing it would move every boundary the club has drawn.
inline constexpr int TwipsPerPixel = 15;

constexpr double pixelsToTwips(double pixels)
{
    return pixels * TwipsPerPixel;
}

constexpr double twipsToPixels(double twips)
{
    return twips / TwipsPerPixel;
}

inline QPointF pixelsToTwips(const QPointF& pixels)
{
    return pixels * TwipsPerPixel;
}

inline QPointF twipsToPixels(const QPointF& twips)
{
    return twips / TwipsPerPixel;
}

// The map's extent in twips for a picture of this many pixels.
inline QSizeF pictureSizeInTwips(const QSize& pixels)
{
    return QSizeF(pixels) * TwipsPerPixel;
}

} // namespace tikkeli::map
