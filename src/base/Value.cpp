#include "base/Value.h"

#include "base/DateText.h"

#include <QLocale>
#include <cmath>

namespace tikkeli {

namespace {

// Day serials, which stored dates may still hold, count days from 30 December 1899 (day 0).
constexpr std::int64_t SerialEpochJulianDay = 2415019;
constexpr int MsecsPerDay = 86400000;

} // namespace

Value::Value(const QDateTime& dt)
{
    if (dt.isValid())
        m_v = Stamp{dt.date().toJulianDay(), dt.time().msecsSinceStartOfDay()};
}

Value::Value(const QDate& d)
{
    if (d.isValid())
        m_v = Stamp{d.toJulianDay(), 0};
}

Value Value::dateTime(const QDate& d, const QTime& t)
{
    Value v;
    if (d.isValid())
        v.m_v = Stamp{d.toJulianDay(), t.isValid() ? t.msecsSinceStartOfDay() : 0};
    return v;
}

bool Value::toBool() const
{
    switch (kind()) {
    case Kind::Null: return false;
    case Kind::Bool: return std::get<bool>(m_v);
    case Kind::Int: return std::get<std::int64_t>(m_v) != 0;
    case Kind::Double: return std::get<double>(m_v) != 0.0;
    case Kind::Currency: return std::get<Currency>(m_v).raw() != 0;
    case Kind::Text: {
        const QString t = std::get<QString>(m_v).trimmed();
        if (t.compare(u"true", Qt::CaseInsensitive) == 0)
            return true;
        bool ok = false;
        const double d = t.toDouble(&ok);
        return ok && d != 0.0;
    }
    case Kind::DateTime: {
        const Stamp& s = std::get<Stamp>(m_v);
        return s.julianDay != SerialEpochJulianDay || s.msecs != 0;
    }
    case Kind::Blob: return !std::get<QByteArray>(m_v).isEmpty();
    }
    return false;
}

std::int64_t Value::toInt64() const
{
    switch (kind()) {
    case Kind::Null: return 0;
    case Kind::Bool: return std::get<bool>(m_v) ? 1 : 0;
    case Kind::Int: return std::get<std::int64_t>(m_v);
    case Kind::Double: {
        const double d = std::nearbyint(std::get<double>(m_v));
        if (!std::isfinite(d) || d >= 9.2e18 || d <= -9.2e18)
            return 0;
        return std::int64_t(d);
    }
    case Kind::Currency: return std::get<Currency>(m_v).rounded(0).raw() / Currency::Scale;
    case Kind::Text: {
        const QString t = std::get<QString>(m_v).trimmed();
        bool ok = false;
        const qlonglong n = t.toLongLong(&ok);
        if (ok)
            return n;
        return Value(t.toDouble()).toInt64();
    }
    case Kind::DateTime: return std::get<Stamp>(m_v).julianDay - SerialEpochJulianDay;
    case Kind::Blob: return 0;
    }
    return 0;
}

double Value::toDouble() const
{
    switch (kind()) {
    case Kind::Null: return 0.0;
    case Kind::Bool: return std::get<bool>(m_v) ? 1.0 : 0.0;
    case Kind::Int: return double(std::get<std::int64_t>(m_v));
    case Kind::Double: return std::get<double>(m_v);
    case Kind::Currency: return std::get<Currency>(m_v).toDouble();
    case Kind::Text: return std::get<QString>(m_v).trimmed().toDouble();
    case Kind::DateTime: {
        const Stamp& s = std::get<Stamp>(m_v);
        return double(s.julianDay - SerialEpochJulianDay) + double(s.msecs) / MsecsPerDay;
    }
    case Kind::Blob: return 0.0;
    }
    return 0.0;
}

Currency Value::toCurrency() const
{
    switch (kind()) {
    case Kind::Currency: return std::get<Currency>(m_v);
    case Kind::Int: return Currency::tryFromUnits(std::get<std::int64_t>(m_v)).value_or(Currency());
    case Kind::Text: return Currency::parse(std::get<QString>(m_v)).value_or(Currency());
    default: return Currency::tryFromDouble(toDouble()).value_or(Currency());
    }
}

QString Value::toString() const
{
    switch (kind()) {
    case Kind::Null: return {};
    case Kind::Bool: return std::get<bool>(m_v) ? QStringLiteral("True") : QStringLiteral("False");
    case Kind::Int: return QString::number(std::get<std::int64_t>(m_v));
    case Kind::Double: return QString::number(std::get<double>(m_v), 'g', QLocale::FloatingPointShortest);
    case Kind::Currency: return std::get<Currency>(m_v).toStorageText();
    case Kind::Text: return std::get<QString>(m_v);
    case Kind::DateTime: {
        const Stamp& s = std::get<Stamp>(m_v);
        return DateText::format(QDate::fromJulianDay(s.julianDay), QTime::fromMSecsSinceStartOfDay(s.msecs));
    }
    case Kind::Blob: return QString::fromUtf8(std::get<QByteArray>(m_v));
    }
    return {};
}

QDateTime Value::toDateTime() const
{
    switch (kind()) {
    case Kind::DateTime: {
        const Stamp& s = std::get<Stamp>(m_v);
        return QDateTime(QDate::fromJulianDay(s.julianDay), QTime::fromMSecsSinceStartOfDay(s.msecs));
    }
    case Kind::Text: {
        QDate d;
        QTime t;
        if (DateText::parse(std::get<QString>(m_v).trimmed(), d, t))
            return QDateTime(d, t);
        return {};
    }
    case Kind::Int:
    case Kind::Double:
    case Kind::Currency: {
        const double serial = toDouble();
        if (!std::isfinite(serial) || std::fabs(serial) > 3e6)
            return {};
        double day = std::floor(serial);
        // The fraction is the time of day, also for days before the epoch (its sign is ignored).
        double frac = std::fabs(serial - std::trunc(serial));
        if (serial < 0)
            day = std::trunc(serial);
        const int ms = int(std::llround(frac * MsecsPerDay));
        QDate d = QDate::fromJulianDay(SerialEpochJulianDay + std::int64_t(day));
        if (ms >= MsecsPerDay)
            return QDateTime(d.addDays(1), QTime(0, 0));
        return QDateTime(d, QTime::fromMSecsSinceStartOfDay(ms));
    }
    default: return {};
    }
}

QDate Value::toDate() const
{
    if (const Stamp* s = std::get_if<Stamp>(&m_v))
        return QDate::fromJulianDay(s->julianDay);
    return toDateTime().date();
}

QTime Value::toTime() const
{
    if (const Stamp* s = std::get_if<Stamp>(&m_v))
        return QTime::fromMSecsSinceStartOfDay(s->msecs);
    const QDateTime dt = toDateTime();
    return dt.isValid() ? dt.time() : QTime(0, 0);
}

QByteArray Value::toBlob() const
{
    switch (kind()) {
    case Kind::Null: return {};
    case Kind::Blob: return std::get<QByteArray>(m_v);
    default: return toString().toUtf8();
    }
}

} // namespace tikkeli
