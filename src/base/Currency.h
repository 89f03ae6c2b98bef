#pragma once

#include <QString>
#include <compare>
#include <cstdint>
#include <optional>
#include <stdexcept>

namespace tikkeli {

// Money as the club's books keep it: a signed fixed-point amount with four decimals,
// held as ten-thousandths so that sums never drift the way doubles do.
class Currency {
public:
    static constexpr std::int64_t Scale = 10000;

    constexpr Currency() = default;
    static constexpr Currency fromRaw(std::int64_t tenThousandths)
    {
        Currency c;
        c.m_raw = tenThousandths;
        return c;
    }
    // Throws std::out_of_range beyond the range of the type, as the arithmetic below does.
    static constexpr Currency fromUnits(std::int64_t units)
    {
        std::int64_t r = 0;
        checkOverflow(__builtin_mul_overflow(units, Scale, &r));
        return fromRaw(r);
    }
    static std::optional<Currency> tryFromUnits(std::int64_t units);
    // Rounds to four decimals, a half to the even neighbour, so sums of rounded amounts do not
    // drift upwards.
    // Throws std::out_of_range beyond the range of the type (or for NaN).
    static Currency fromDouble(double value);
    static std::optional<Currency> tryFromDouble(double value);
    // Parses "12,50", "12.50", "-3", "1 234,5" (Finnish grouping blanks); nullopt when not a number.
    static std::optional<Currency> parse(const QString& text);

    constexpr std::int64_t raw() const { return m_raw; }
    double toDouble() const { return double(m_raw) / double(Scale); }
    // Finnish display form with two decimals: "1234,50" (no grouping).
    QString toString() const;
    // Shortest exact form with a decimal point, for storage and SQL: "12.5", "-0.0001", "3".
    QString toStorageText() const;

    constexpr Currency operator+(Currency o) const
    {
        std::int64_t r = 0;
        checkOverflow(__builtin_add_overflow(m_raw, o.m_raw, &r));
        return fromRaw(r);
    }
    constexpr Currency operator-(Currency o) const
    {
        std::int64_t r = 0;
        checkOverflow(__builtin_sub_overflow(m_raw, o.m_raw, &r));
        return fromRaw(r);
    }
    constexpr Currency operator-() const { return Currency() - *this; }
    Currency& operator+=(Currency o) { return *this = *this + o; }
    Currency& operator-=(Currency o) { return *this = *this - o; }
    constexpr Currency operator*(std::int64_t n) const
    {
        std::int64_t r = 0;
        checkOverflow(__builtin_mul_overflow(m_raw, n, &r));
        return fromRaw(r);
    }
    // Multiplies by a factor and rounds the result to four decimals, half to even. The factor
    // counts as the decimal number it is written as (5.94573, not the binary fraction nearest to
    // it), so a product that is exactly a half in decimals rounds to even.
    Currency multipliedBy(double factor) const;
    // Divides by a factor, read as a decimal number as above, and rounds the result to four
    // decimals, half to even. Throws std::out_of_range for 0 and for results beyond the type.
    Currency dividedBy(double divisor) const;
    // Multiplies by factor / divisor as one exact decimal fraction (both read as the decimal numbers
    // they are written as) and rounds once, to four decimals, half to even. Throws
    // std::out_of_range for a zero divisor and for results beyond the type.
    Currency scaledBy(double factor, double divisor) const;
    // Rounds to the given number of decimals (0..4), half to even.
    Currency rounded(int decimals) const;

    constexpr auto operator<=>(const Currency&) const = default;

private:
    static constexpr void checkOverflow(bool overflowed)
    {
        if (overflowed)
            throw std::out_of_range("Currency overflow");
    }
    std::int64_t m_raw = 0;
};

} // namespace tikkeli
