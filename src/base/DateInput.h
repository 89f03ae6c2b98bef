#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>

namespace tikkeli {

// The one reader of dates that people type into boxes and that files bring in:
//   "5.3.2024", "05.03.24", "5.3.2024 14.30", "5.3.2024 14:30:15", "2024-03-05", "2024-03-05 14:30".
// Two-digit years fall in 1930..2029 ("1.1.30" is 1930, "1.1.29" is 2029). A text without a date
// part - a time of day alone such as "10:30" or "10.30" - is no date: it must not turn into some
// fixed day. Impossible dates ("31.2.2024") and anything else give nullopt.
std::optional<QDateTime> ReadDateTime(const QString& text);
// The date part alone of what ReadDateTime reads.
std::optional<QDate> ReadDate(const QString& text);

} // namespace tikkeli
