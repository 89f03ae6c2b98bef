#include "base/Currency.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace tikkeli {

namespace {

// Rounds n / divisor (divisor > 0) to the nearest integer, a half to the even neighbour.
template <typename Int>
Int divideHalfEven(Int n, Int divisor)
{
    Int q = n / divisor;
    const Int r = n % divisor;
    if (r == 0)
        return q;
    const Int twice = (r < 0 ? -r : r) * 2;
    if (twice > divisor || (twice == divisor && (q % 2 != 0)))
        q += n < 0 ? -1 : 1;
    return q;
}

// A finite double as the decimal number its shortest text stands for: digits * 10^exponent.
struct Decimal {
    __int128 digits = 0;
    int exponent = 0;
};

std::optional<Decimal> decimalOf(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const QByteArray text = QByteArray::number(value, 'e', QLocale::FloatingPointShortest);
    Decimal d;
    bool negative = false;
    int i = 0;
    if (i < text.size() && text[i] == '-') {
        negative = true;
        ++i;
    }
    for (; i < text.size() && text[i] != 'e'; ++i) {
        if (text[i] == '.')
            continue;
        d.digits = d.digits * 10 + (text[i] - '0');
        // Every digit after the first moves the decimal point one place.
        --d.exponent;
    }
    ++d.exponent;
    if (i < text.size())
        d.exponent += text.mid(i + 1).toInt();
    if (negative)
        d.digits = -d.digits;
    return d;
}

constexpr int MaxPower = 36;

__int128 powerOfTen(int n)
{
    __int128 p = 1;
    for (int k = 0; k < n; ++k)
        p *= 10;
    return p;
}

std::optional<std::int64_t> toRaw(__int128 v)
{
    if (v > std::numeric_limits<std::int64_t>::max() || v < std::numeric_limits<std::int64_t>::min())
        return std::nullopt;
    return std::int64_t(v);
}

// raw * num / den rounded half to even, with num and den given as decimals.
std::optional<std::int64_t> scaleExactly(std::int64_t raw, Decimal num, Decimal den)
{
    if (den.digits == 0)
        return std::nullopt;
    if (raw == 0 || num.digits == 0)
        return 0;
    if (den.digits < 0) {
        den.digits = -den.digits;
        num.digits = -num.digits;
    }
    // Shortest texts have at most 17 digits, so raw * digits stays below 10^37.
    __int128 n = __int128(raw) * num.digits;
    __int128 d = den.digits;
    int shift = num.exponent - den.exponent;
    for (; shift > 0; --shift) {
        if (n > powerOfTen(MaxPower) || n < -powerOfTen(MaxPower))
            return std::nullopt;
        n *= 10;
    }
    for (; shift < 0; ++shift) {
        if (d > powerOfTen(MaxPower))
            return 0; // far below a ten-thousandth
        d *= 10;
    }
    return toRaw(divideHalfEven<__int128>(n, d));
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
    const std::int64_t cents = divideHalfEven<std::int64_t>(m_raw, 100);
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

std::optional<Currency> Currency::tryFromUnits(std::int64_t units)
{
    std::int64_t raw = 0;
    if (__builtin_mul_overflow(units, Scale, &raw))
        return std::nullopt;
    return fromRaw(raw);
}

Currency Currency::multipliedBy(double factor) const
{
    const auto f = decimalOf(factor);
    if (f)
        if (auto raw = scaleExactly(m_raw, *f, Decimal{1, 0}))
            return fromRaw(*raw);
    throw std::out_of_range("Currency overflow");
}

Currency Currency::dividedBy(double divisor) const
{
    const auto f = decimalOf(divisor);
    if (f)
        if (auto raw = scaleExactly(m_raw, Decimal{1, 0}, *f))
            return fromRaw(*raw);
    throw std::out_of_range("Currency overflow");
}

Currency Currency::scaledBy(double factor, double divisor) const
{
    const auto f = decimalOf(factor);
    const auto d = decimalOf(divisor);
    if (f && d)
        if (auto raw = scaleExactly(m_raw, *f, *d))
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
    return fromRaw(divideHalfEven<std::int64_t>(m_raw, step) * step);
}

} // namespace tikkeli
