#include "base/DateInput.h"

#include "base/DateText.h"

#include <QRegularExpression>

namespace tikkeli {

std::optional<QDateTime> ReadDateTime(const QString& text)
{
    // The written-date parser also reads a time alone (as the zero day); a date box must not.
    static const QRegularExpression hasDate(QStringLiteral(R"(^\s*(\d{1,2}\.\d{1,2}\.\d|\d{4}-\d))"));
    if (!hasDate.match(text).hasMatch())
        return std::nullopt;
    return DateText::parseWritten(text, DateText::Order::DayMonthYear);
}

std::optional<QDate> ReadDate(const QString& text)
{
    const auto dt = ReadDateTime(text);
    if (!dt)
        return std::nullopt;
    return dt->date();
}

} // namespace tikkeli
