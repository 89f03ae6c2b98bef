#include "members/CriteriaValues.h"

#include "base/Clock.h"
#include "base/DateInput.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace tikkeli {

namespace {

template <typename T>
CriterionReading<T> refused()
{
    return {false, std::nullopt};
}

// The blanks allowed between digit groups: space, no-break space and narrow no-break space.
QString withoutGroupBlanks(const QString& text)
{
    static const QRegularExpression groupBlank(QStringLiteral("(?<=\\d)[ \\x{00A0}\\x{202F}](?=\\d)"));
    QString s = text;
    s.remove(groupBlank);
    return s;
}

} // namespace

QString DateCriterion::text() const
{
    return isYearPattern() ? yearPattern : date.toString(QStringLiteral("d.M.yyyy"));
}

CriterionReading<DateCriterion> ReadDateCriterion(const QString& typed)
{
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return {};
    if (text.contains(QLatin1Char('*')) || text.contains(QLatin1Char('?'))) {
        // Digits and the two wildcards only: anything else would be a pattern of its own.
        static const QRegularExpression pattern(QStringLiteral(R"(^[0-9*?]{1,8}$)"));
        if (!pattern.match(text).hasMatch())
            return refused<DateCriterion>();
        return {true, DateCriterion{QDate(), text}};
    }
    static const QRegularExpression dayMonth(QStringLiteral(R"(^(\d{1,2})\.(\d{1,2})\.?$)"));
    if (const auto m = dayMonth.match(text); m.hasMatch()) {
        const QDate date(Today().year(), m.captured(2).toInt(), m.captured(1).toInt());
        if (!date.isValid())
            return refused<DateCriterion>();
        return {true, DateCriterion{date, QString()}};
    }
    const auto date = ReadDate(text);
    if (!date)
        return refused<DateCriterion>();
    return {true, DateCriterion{*date, QString()}};
}

std::optional<double> ReadTypedNumber(const QString& typed)
{
    QString text = withoutGroupBlanks(typed.trimmed());
    static const QRegularExpression number(QStringLiteral(R"(^[+-]?(\d+([,.]\d*)?|[,.]\d+)$)"));
    if (!number.match(text).hasMatch())
        return std::nullopt;
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = text.toDouble(&ok); // Qt's reading, the same under every locale
    return ok ? std::optional<double>(value) : std::nullopt;
}

CriterionReading<qint32> ReadWholeNumberCriterion(const QString& typed)
{
    if (typed.trimmed().isEmpty())
        return {};
    const std::optional<double> value = ReadTypedNumber(typed);
    if (!value)
        return refused<qint32>();
    const double whole = std::nearbyint(*value); // the default rounding: a half to the even one
    if (whole < double(std::numeric_limits<qint32>::min()) || whole > double(std::numeric_limits<qint32>::max()))
        return refused<qint32>();
    return {true, qint32(whole)};
}

CriterionReading<Currency> ReadMoneyCriterion(const QString& typed)
{
    QString text = typed.trimmed();
    if (text.endsWith(QChar(0x20AC)))
        text = text.chopped(1).trimmed();
    if (text.isEmpty())
        return typed.trimmed().isEmpty() ? CriterionReading<Currency>{} : refused<Currency>();
    const auto money = Currency::parse(text);
    if (!money)
        return refused<Currency>();
    return {true, *money};
}

} // namespace tikkeli
