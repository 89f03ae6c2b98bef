#include "base/NumericText.h"

#include "base/NullConversions.h"

#include <cmath>
#include <limits>

namespace tikkeli {

bool IsNumericText(const QString& text)
{
    return ParseLocaleNumber(text).has_value();
}

std::optional<qint32> RoundToInt32(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double r = std::nearbyint(value);
    if (r < double(std::numeric_limits<qint32>::min()) || r > double(std::numeric_limits<qint32>::max()))
        return std::nullopt;
    return qint32(r);
}

std::optional<qint16> RoundToInt16(double value)
{
    const auto r = RoundToInt32(value);
    if (!r || *r < std::numeric_limits<qint16>::min() || *r > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return qint16(*r);
}

std::optional<qint32> WholeNumberText32(const QString& text)
{
    const auto v = ParseLocaleNumber(text);
    return v ? RoundToInt32(*v) : std::nullopt;
}

std::optional<qint16> WholeNumberText16(const QString& text)
{
    const auto v = ParseLocaleNumber(text);
    return v ? RoundToInt16(*v) : std::nullopt;
}

QString DateTimeText(const QDateTime& value)
{
    return value.toString(QStringLiteral("d.M.yyyy H:mm:ss"));
}

} // namespace tikkeli
