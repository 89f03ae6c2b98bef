#include "app/NumericText.h"

#include <QLocale>
#include <cmath>
#include <limits>

namespace tikkeli {

std::optional<double> ParseNumberText(const QString& text)
{
    const QString t = text.trimmed();
    int i = 0;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+')))
        ++i;
    int digits = 0;
    int separators = 0;
    QString normal = t.left(i) == QLatin1String("-") ? QStringLiteral("-") : QString();
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            ++digits;
            normal += c;
        } else if (c == QLatin1Char(',') || c == QLatin1Char('.') || c == QLocale().decimalPoint().front()) {
            if (++separators > 1)
                return std::nullopt;
            normal += QLatin1Char('.');
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (normal.endsWith(QLatin1Char('.')))
        normal.chop(1);
    bool ok = false;
    const double v = normal.toDouble(&ok);
    return ok ? std::optional<double>(v) : std::nullopt;
}

bool IsNumericText(const QString& text)
{
    return ParseNumberText(text).has_value();
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
    const auto v = ParseNumberText(text);
    return v ? RoundToInt32(*v) : std::nullopt;
}

std::optional<qint16> WholeNumberText16(const QString& text)
{
    const auto v = ParseNumberText(text);
    return v ? RoundToInt16(*v) : std::nullopt;
}

std::optional<QDateTime> ParseDateText(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    static const char* const dateTimeForms[] = {"d.M.yyyy H:mm:ss", "d.M.yyyy H:mm", "yyyy-MM-dd HH:mm:ss",
                                                 "yyyy-MM-ddTHH:mm:ss", "yyyy-MM-dd HH:mm"};
    for (const char* form : dateTimeForms) {
        const QDateTime dt = QDateTime::fromString(t, QString::fromLatin1(form));
        if (dt.isValid())
            return dt;
    }
    for (const char* form : {"d.M.yyyy", "yyyy-MM-dd"}) {
        const QDate d = QDate::fromString(t, QString::fromLatin1(form));
        if (d.isValid())
            return QDateTime(d, QTime(0, 0));
    }
    return std::nullopt;
}

QString DateTimeText(const QDateTime& value)
{
    return value.toString(QStringLiteral("d.M.yyyy H:mm:ss"));
}

} // namespace tikkeli
