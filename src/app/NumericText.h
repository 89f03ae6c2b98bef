#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

namespace tikkeli {

// Number and date texts as users and the settings store write them (Finnish locale: decimal comma;
// a decimal point is accepted too, since older files may hold either).

// The number a text denotes: optional blanks, an optional sign, digits with at most one decimal
// separator ("12,", ",5" and "-3" count; "-", "," and "1e3" do not).
std::optional<double> ParseNumberText(const QString& text);
bool IsNumericText(const QString& text);
// The nearest whole number, a half going to the even one; nullopt when outside the type's range.
std::optional<qint32> RoundToInt32(double value);
std::optional<qint16> RoundToInt16(double value);
std::optional<qint32> WholeNumberText32(const QString& text);
std::optional<qint16> WholeNumberText16(const QString& text);

// A date (and time) in "d.M.yyyy H:mm:ss", "d.M.yyyy", ISO "yyyy-MM-dd HH:mm:ss" or
// "yyyy-MM-ddTHH:mm:ss" form; nullopt otherwise.
std::optional<QDateTime> ParseDateText(const QString& text);
// The form ParseDateText reads back: "d.M.yyyy H:mm:ss".
QString DateTimeText(const QDateTime& value);

} // namespace tikkeli
