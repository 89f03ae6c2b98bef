#pragma once

#include <QPointF>
#include <QString>
#include <optional>

namespace tikkeli {

// The stored map scale: above 0 a scanned map at 1:scale; -1, -2 and -4 a pixel map of that many
// metres per pixel; anything else is not defined.
constexpr qint32 kScaleNotDefined = 0;
constexpr qint32 kOneMetrePerPixel = -1;
constexpr qint32 kTwoMetresPerPixel = -2;
constexpr qint32 kFourMetresPerPixel = -4;

bool IsPixelScale(qint32 scale);
bool IsScanScale(qint32 scale);
// "1:20000", "1 pikseli = 2 metriä", ..., "Ei määritelty".
QString ScaleCaption(qint32 scale);
// A map coordinate as the window's labels show it: seven significant digits, decimal comma, no
// grouping.
QString CoordinateText(double value);

// The scale dialog's text as a scale: a positive whole number (a decimal rounds to the nearest,
// a half to the even one), nullopt for anything else.
std::optional<qint32> ScaleFromText(const QString& text);

// Measuring the map's proportion: the answer to the distance question as millimetres on the paper
// map, nullopt unless it is a number above 0.
std::optional<double> MillimetresFromText(const QString& text);
// Picture twips per millimetre of the paper map for two measured map points; nullopt when the
// points coincide or the distance in millimetres is not above 0 (no usable proportion).
std::optional<double> MeasuredPixelRatio(QPointF first, QPointF second, double millimetres);

} // namespace tikkeli
