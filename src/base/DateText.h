#pragma once

#include <QDate>
#include <QString>
#include <QDateTime>
#include <QTime>
#include <optional>

namespace tikkeli {

// The stored form of dates: ISO text "YYYY-MM-DD HH:MM:SS" (19 characters). Reading also accepts
// a bare date, a 'T' separator and fractional seconds, as other tools may write them.
class DateText {
public:
    static QString format(const QDate& d, const QTime& t);
    static QByteArray formatUtf8(const QDate& d, const QTime& t);
    static bool parse(QStringView text, QDate& d, QTime& t);
    static bool parseUtf8(const char* text, int length, QDate& d, QTime& t);

    // Dates as people and stored SQL write them: "5.3.2024 14.30" (DayMonthYear, time with ':'
    // or '.') or "3/5/2024 2:30 PM" (MonthDayYear); both also read ISO dates and a time alone (on
    // 30.12.1899, day 0 of the day serials). Two-digit years fall in 1930..2029.
    enum class Order { DayMonthYear, MonthDayYear };
    static std::optional<QDateTime> parseWritten(const QString& text, Order order);
};

} // namespace tikkeli
