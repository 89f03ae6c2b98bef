#include "base/NullConversions.h"

#include "base/DateText.h"

#include <cmath>
#include <limits>

namespace tikkeli {

namespace {

bool isGroupBlank(QChar c)
{
    return c == u' ' || c == QChar(0x00A0) || c == QChar(0x202F);
}

// The numeric value of v (True = -1, a date its day serial), the one coercion the conversions share.
std::optional<double> numericValue(const Value& v)
{
    switch (v.kind()) {
    case Value::Kind::Bool: return v.toBool() ? -1.0 : 0.0;
    case Value::Kind::Int:
    case Value::Kind::Double:
    case Value::Kind::DateTime: return v.toDouble();
    case Value::Kind::Currency: return v.toCurrency().toDouble();
    case Value::Kind::Text: return ParseLocaleNumber(*v.textPtr());
    default: return std::nullopt;
    }
}

// Whole number within [lo, hi], fractions rounded half to even.
template <typename T>
std::optional<T> roundedInRange(const Value& v)
{
    if (v.kind() == Value::Kind::Int) {
        const std::int64_t n = v.toInt64();
        if (n < std::numeric_limits<T>::min() || n > std::numeric_limits<T>::max())
            return std::nullopt;
        return T(n);
    }
    if (v.kind() == Value::Kind::Currency) {
        const std::int64_t n = v.toCurrency().rounded(0).raw() / Currency::Scale;
        if (n < std::numeric_limits<T>::min() || n > std::numeric_limits<T>::max())
            return std::nullopt;
        return T(n);
    }
    const auto d = numericValue(v);
    if (!d || !std::isfinite(*d))
        return std::nullopt;
    const double r = std::nearbyint(*d);
    if (r < double(std::numeric_limits<T>::min()) || r > double(std::numeric_limits<T>::max()))
        return std::nullopt;
    return T(r);
}

QDateTime fromSerial(double serial)
{
    return Value(serial).toDateTime();
}

} // namespace

std::optional<double> ParseLocaleNumber(const QString& text)
{
    const QString s = text.trimmed();
    QString c;
    c.reserve(s.size());
    qsizetype i = 0;
    const qsizetype n = s.size();
    if (i < n && (s[i] == u'-' || s[i] == u'+'))
        c += s[i++];
    int digits = 0;
    while (i < n) {
        if (s[i].isDigit() && s[i].unicode() < 128) {
            c += s[i++];
            ++digits;
        } else if (isGroupBlank(s[i]) && digits > 0 && i + 1 < n && s[i + 1].isDigit()) {
            ++i;
        } else {
            break;
        }
    }
    if (i < n && s[i] == u',') {
        c += u'.';
        ++i;
        while (i < n && s[i].isDigit() && s[i].unicode() < 128) {
            c += s[i++];
            ++digits;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < n && (s[i] == u'e' || s[i] == u'E')) {
        c += u'e';
        ++i;
        if (i < n && (s[i] == u'-' || s[i] == u'+'))
            c += s[i++];
        int expDigits = 0;
        while (i < n && s[i].isDigit() && s[i].unicode() < 128) {
            c += s[i++];
            ++expDigits;
        }
        if (expDigits == 0)
            return std::nullopt;
    }
    if (i != n)
        return std::nullopt;
    bool ok = false;
    const double d = c.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    return d;
}

std::optional<Currency> ParseLocaleCurrency(const QString& text)
{
    QString s = text.trimmed();
    if (s.endsWith(QChar(0x20AC)))
        s.chop(1);
    if (s.contains(u'.') || !ParseLocaleNumber(s))
        return std::nullopt;
    if (s.contains(u'e', Qt::CaseInsensitive)) {
        const auto d = ParseLocaleNumber(s);
        return Currency::tryFromDouble(*d);
    }
    return Currency::parse(s);
}

std::optional<QDateTime> ParseLocaleDate(const QString& text)
{
    return DateText::parseWritten(text, DateText::Order::DayMonthYear);
}

QString FormatLocaleNumber(double value)
{
    if (!std::isfinite(value))
        return {};
    if (value == 0.0)
        return QStringLiteral("0");
    QString s = QString::number(value, 'g', 15);
    const qsizetype e = s.indexOf(u'e');
    if (e >= 0) {
        // 1e+16 → 1E+16, 1e-07 → 1E-07: an upper-case exponent with at least two digits.
        QString mant = s.left(e);
        QString exp = s.mid(e + 1);
        const QChar sign = exp[0];
        exp = exp.mid(1);
        while (exp.size() > 2 && exp.startsWith(u'0'))
            exp.remove(0, 1);
        s = mant + u'E' + sign + exp;
    }
    s.replace(u'.', u',');
    return s;
}

std::uint8_t NullToByte(const Value& v, std::uint8_t def)
{
    return roundedInRange<std::uint8_t>(v).value_or(def);
}

std::int16_t NullToInteger(const Value& v, std::int16_t def)
{
    return roundedInRange<std::int16_t>(v).value_or(def);
}

std::int32_t NullToLong(const Value& v, std::int32_t def)
{
    return roundedInRange<std::int32_t>(v).value_or(def);
}

double NullToDouble(const Value& v, double def)
{
    return numericValue(v).value_or(def);
}

float NullToSingle(const Value& v, float def)
{
    const auto d = numericValue(v);
    if (!d || std::fabs(*d) > double(std::numeric_limits<float>::max()))
        return def;
    return float(*d);
}

QDateTime NullToDate(const Value& v, const QDateTime& def)
{
    switch (v.kind()) {
    case Value::Kind::DateTime: return v.toDateTime();
    case Value::Kind::Text: return ParseLocaleDate(*v.textPtr()).value_or(def);
    case Value::Kind::Bool: return fromSerial(v.toBool() ? -1.0 : 0.0);
    case Value::Kind::Int:
    case Value::Kind::Double:
    case Value::Kind::Currency: {
        const QDateTime dt = fromSerial(v.toDouble());
        return dt.isValid() ? dt : def;
    }
    default: return def;
    }
}

QDate NullToDate(const Value& v, const QDate& def)
{
    const QDateTime dt = NullToDate(v, QDateTime());
    return dt.isValid() ? dt.date() : def;
}

Currency NullToCurrency(const Value& v, Currency def)
{
    switch (v.kind()) {
    case Value::Kind::Currency: return v.toCurrency();
    case Value::Kind::Int: return Currency::tryFromUnits(v.toInt64()).value_or(def);
    case Value::Kind::Text: return ParseLocaleCurrency(*v.textPtr()).value_or(def);
    default: {
        const auto d = numericValue(v);
        if (!d)
            return def;
        return Currency::tryFromDouble(*d).value_or(def);
    }
    }
}

bool NullToBoolean(const Value& v, bool def)
{
    switch (v.kind()) {
    case Value::Kind::Null:
    case Value::Kind::Blob: return def;
    case Value::Kind::Text: {
        const QString t = v.textPtr()->trimmed();
        if (t.compare(u"true", Qt::CaseInsensitive) == 0 || t.compare(u"tosi", Qt::CaseInsensitive) == 0)
            return true;
        if (t.compare(u"false", Qt::CaseInsensitive) == 0
            || t.compare(QString::fromUtf8("epätosi"), Qt::CaseInsensitive) == 0)
            return false;
        const auto d = ParseLocaleNumber(t);
        return d ? *d != 0.0 : def;
    }
    default: return v.toBool();
    }
}

QString NullToString(const Value& v, const QString& def)
{
    switch (v.kind()) {
    case Value::Kind::Null:
    case Value::Kind::Blob: return def;
    case Value::Kind::Text: return *v.textPtr();
    case Value::Kind::Bool: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case Value::Kind::Int: return QString::number(v.toInt64());
    case Value::Kind::Double: return FormatLocaleNumber(v.toDouble());
    case Value::Kind::Currency: {
        QString s = v.toCurrency().toStorageText();
        s.replace(u'.', u',');
        return s;
    }
    case Value::Kind::DateTime: {
        const QDateTime dt = v.toDateTime();
        const QString date = dt.date().toString(QStringLiteral("d.M.yyyy"));
        const QString time = dt.time().toString(QStringLiteral("H.mm.ss"));
        if (dt.time() == QTime(0, 0))
            return date;
        if (dt.date() == QDate(1899, 12, 30))
            return time;
        return date + u' ' + time;
    }
    }
    return def;
}

QString JetDateLiteral(const QDate& d)
{
    if (!d.isValid())
        return {};
    return QStringLiteral("#%1/%2/%3#").arg(d.month()).arg(d.day()).arg(d.year());
}

QString JetDateLiteral(const Value& v)
{
    if (v.isNull())
        return {};
    return JetDateLiteral(NullToDate(v, QDate()));
}

QString StripLeadingZeros(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == u'0')
        ++i;
    return text.mid(i);
}

} // namespace tikkeli
