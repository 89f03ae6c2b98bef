#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

namespace tikkeli {

// Whole numbers and date texts of the settings and the input fields, on top of the locale reading
// of NullConversions (ParseLocaleNumber, ParseLocaleDate).

bool IsNumericText(const QString& text);
// The nearest whole number, a half going to the even one; nullopt when outside the type's range.
std::optional<qint32> RoundToInt32(double value);
std::optional<qint16> RoundToInt16(double value);
std::optional<qint32> WholeNumberText32(const QString& text);
std::optional<qint16> WholeNumberText16(const QString& text);

// The form dates and times are written back to the settings in: "d.M.yyyy H:mm:ss", which
// ParseLocaleDate reads.
QString DateTimeText(const QDateTime& value);

} // namespace tikkeli
