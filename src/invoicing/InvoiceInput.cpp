#include "invoicing/InvoiceInput.h"

#include "base/NullConversions.h"

namespace tikkeli {

namespace {

constexpr QChar NoBreakSpace(0x00A0);
constexpr QChar Euro(0x20AC);

} // namespace

std::optional<Currency> InvoiceInput::parseMoney(const QString& text)
{
    QString t = text.trimmed();
    if (t.endsWith(Euro)) {
        t.chop(1);
        t = t.trimmed();
        while (t.endsWith(NoBreakSpace))
            t.chop(1);
    }
    if (t.isEmpty())
        return std::nullopt;
    return ParseLocaleCurrency(t);
}

QString InvoiceInput::formatMoney(Currency amount)
{
    const Currency cents = amount.rounded(2);
    const bool negative = cents < Currency();
    const std::int64_t raw = negative ? -cents.raw() : cents.raw();
    const QString whole = QString::number(raw / Currency::Scale);
    const QString fraction = QStringLiteral("%1").arg((raw % Currency::Scale) / 100, 2, 10, QLatin1Char('0'));
    QString grouped;
    for (qsizetype i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0)
            grouped += NoBreakSpace;
        grouped += whole[i];
    }
    return (negative ? QStringLiteral("-") : QString()) + grouped + QLatin1Char(',') + fraction + NoBreakSpace + Euro;
}

std::optional<QDate> InvoiceInput::parseDate(const QString& text)
{
    const auto parsed = ParseLocaleDate(text.trimmed());
    if (!parsed || !parsed->date().isValid())
        return std::nullopt;
    // A time alone reads as day 0 of the old calendar, which no invoice can carry.
    if (parsed->date() == QDate(1899, 12, 30) && !text.contains(QStringLiteral("1899")))
        return std::nullopt;
    return parsed->date();
}

QString InvoiceInput::formatDate(const QDate& date)
{
    return NullToString(Value(date));
}

} // namespace tikkeli
