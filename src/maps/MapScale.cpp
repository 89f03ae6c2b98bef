#include "maps/MapScale.h"

#include "base/NullConversions.h"
#include "base/NumericText.h"

#include <QLocale>
#include <cmath>

namespace tikkeli {

bool IsPixelScale(qint32 scale)
{
    return scale == kOneMetrePerPixel || scale == kTwoMetresPerPixel || scale == kFourMetresPerPixel;
}

bool IsScanScale(qint32 scale)
{
    return scale > 0;
}

QString CoordinateText(double value)
{
    QLocale locale(QLocale::Finnish, QLocale::Finland);
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(double(float(value)), 'g', 7);
}

QString ScaleCaption(qint32 scale)
{
    if (scale > 0)
        return QStringLiteral("1:") + QString::number(scale);
    switch (scale) {
    case kOneMetrePerPixel: return QStringLiteral("1 pikseli = 1 metri");
    case kTwoMetresPerPixel: return QStringLiteral("1 pikseli = 2 metriä");
    case kFourMetresPerPixel: return QStringLiteral("1 pikseli = 4 metriä");
    default: return QStringLiteral("Ei määritelty");
    }
}

std::optional<qint32> ScaleFromText(const QString& text)
{
    const auto value = WholeNumberText32(text.trimmed());
    if (!value || *value <= 0)
        return std::nullopt;
    return value;
}

std::optional<double> MillimetresFromText(const QString& text)
{
    const auto value = ParseLocaleNumber(text.trimmed());
    if (!value || !std::isfinite(*value) || *value <= 0)
        return std::nullopt;
    return value;
}

std::optional<double> MeasuredPixelRatio(QPointF first, QPointF second, double millimetres)
{
    const double distance = std::hypot(second.x() - first.x(), second.y() - first.y());
    if (!(millimetres > 0) || !(distance > 0) || !std::isfinite(distance / millimetres))
        return std::nullopt;
    return distance / millimetres;
}

} // namespace tikkeli
