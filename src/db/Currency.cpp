#include "db/Currency.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace tikkeli {

namespace {

// Rounds n / divisor to the nearest integer, a half to the even neighbour.
std::int64_t divideHalfEven(std::int64_t n, std::int64_t divisor)
{
    std::int64_t q = n / divisor;
    std::int64_t r = n % divisor;
    if (r == 0)
        return q;
    const std::int64_t twice = (r < 0 ? -r : r) * 2;
    const int sign = (n < 0) ? -1 : 1;
    if (twice > divisor || (twice == divisor && (q % 2 != 0)))
        q += sign;
    return q;
}

std::optional<std::int64_t> roundToRaw(double scaled)
{
    if (!std::isfinite(scaled))
        return std::nullopt;
    // nearbyint rounds in the default mode, to nearest with ties to even.
    const double r = std::nearbyint(scaled);
    if (r >= 9223372036854775807.0 || r < -9223372036854775808.0)
        return std::nullopt;
    return std::int64_t(r);
}

} // namespace

std::optional<Currency> Currency::tryFromDouble(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double scaled = value * double(Scale);
    const double nearest = std::nearbyint(scaled);
    // Already a four-decimal amount (as every stored one is): no decimal digits to round.
    if (std::fabs(scaled - nearest) <= std::max(1e-7, std::fabs(scaled) * 1e-15)) {
        if (auto raw = roundToRaw(nearest))
            return fromRaw(*raw);
        return std::nullopt;
    }
    // Otherwise round the decimal number the double stands for (0.00015 is a half, although its
    // binary value lies just below it), half to even.
    return parse(QString::number(value, 'f', QLocale::FloatingPointShortest));
}

Currency Currency::fromDouble(double value)
{
    if (auto c = tryFromDouble(value))
        return *c;
    throw std::out_of_range("Currency overflow");
}

std::optional<Currency> Currency::parse(const QString& text)
{
    const QString s = text.trimmed();
    int i = 0;
    const int n = int(s.size());
    bool negative = false;
    if (i < n && (s[i] == u'-' || s[i] == u'+')) {
        negative = s[i] == u'-';
        ++i;
    }
    // Whole part, allowing blanks (and no-break spaces) between digit groups.
    __int128 units = 0;
    int digits = 0;
    for (; i < n; ++i) {
        const QChar c = s[i];
        if (c.isDigit() && c.unicode() < 128) {
            units = units * 10 + (c.unicode() - u'0');
            ++digits;
            if (units > (__int128(1) << 100))
                return std::nullopt;
        } else if ((c == u' ' || c == QChar(0x00A0) || c == QChar(0x202F)) && digits > 0 && i + 1 < n
                   && s[i + 1].isDigit()) {
            continue;
        } else {
            break;
        }
    }
    __int128 frac = 0;
    int fracDigits = 0;
    bool roundUpHalf = false, beyondHalf = false, sawBeyond = false;
    int fifthDigit = -1;
    if (i < n && (s[i] == u',' || s[i] == u'.')) {
        ++i;
        for (; i < n && s[i].isDigit() && s[i].unicode() < 128; ++i) {
            const int d = s[i].unicode() - u'0';
            if (fracDigits < 4) {
                frac = frac * 10 + d;
                ++fracDigits;
            } else if (fifthDigit < 0) {
                fifthDigit = d;
            } else if (d != 0) {
                sawBeyond = true;
            }
            ++digits;
        }
    }
    if (i != n || digits == 0)
        return std::nullopt;
    while (fracDigits < 4) {
        frac *= 10;
        ++fracDigits;
    }
    __int128 raw = units * Scale + frac;
    if (fifthDigit > 5 || (fifthDigit == 5 && sawBeyond))
        beyondHalf = true;
    else if (fifthDigit == 5)
        roundUpHalf = (raw % 2) != 0;
    if (beyondHalf || roundUpHalf)
        raw += 1;
    if (negative)
        raw = -raw;
    if (raw > std::numeric_limits<std::int64_t>::max() || raw < std::numeric_limits<std::int64_t>::min())
        return std::nullopt;
    return fromRaw(std::int64_t(raw));
}

QString Currency::toString() const
{
    const std::int64_t cents = divideHalfEven(m_raw, 100);
    const bool negative = cents < 0;
    const unsigned long long a = negative ? 0ULL - (unsigned long long)cents : (unsigned long long)cents;
    QString s = QString::number(a / 100) + u',' + QStringLiteral("%1").arg(a % 100, 2, 10, QLatin1Char('0'));
    return negative ? u'-' + s : s;
}

QString Currency::toStorageText() const
{
    const bool negative = m_raw < 0;
    const unsigned long long a = negative ? 0ULL - (unsigned long long)m_raw : (unsigned long long)m_raw;
    QString s = QString::number(a / Scale);
    unsigned long long f = a % Scale;
    if (f != 0) {
        QString frac = QStringLiteral("%1").arg(f, 4, 10, QLatin1Char('0'));
        while (frac.endsWith(u'0'))
            frac.chop(1);
        s += u'.' + frac;
    }
    return negative ? u'-' + s : s;
}

Currency Currency::multipliedBy(double factor) const
{
    if (auto raw = roundToRaw(double(m_raw) * factor))
        return fromRaw(*raw);
    throw std::out_of_range("Currency overflow");
}

Currency Currency::dividedBy(double divisor) const
{
    if (auto raw = roundToRaw(double(m_raw) / divisor))
        return fromRaw(*raw);
    throw std::out_of_range("Currency overflow");
}

Currency Currency::rounded(int decimals) const
{
    if (decimals >= 4)
        return *this;
    if (decimals < 0)
        decimals = 0;
    std::int64_t step = 1;
    for (int k = decimals; k < 4; ++k)
        step *= 10;
    return fromRaw(divideHalfEven(m_raw, step) * step);
}

} // namespace tikkeli
