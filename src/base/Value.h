#pragma once

#include "base/Currency.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <variant>

namespace tikkeli {

// A field value as the database holds it, Null included. The kind follows the field's declared
// type: BOOLEAN reads as Bool, DECIMAL as Currency, DATETIME as DateTime, integer types as Int,
// DOUBLE/FLOAT as Double, text types as Text, BLOB as Blob.
class Value {
public:
    enum class Kind { Null, Bool, Int, Double, Currency, Text, DateTime, Blob };

    Value() = default; // Null
    Value(std::nullptr_t) {}
    Value(bool b) : m_v(b) {}
    Value(int i) : m_v(std::int64_t(i)) {}
    Value(unsigned i) : m_v(std::int64_t(i)) {}
    Value(long i) : m_v(std::int64_t(i)) {}
    Value(long long i) : m_v(std::int64_t(i)) {}
    Value(double d) : m_v(d) {}
    Value(tikkeli::Currency c) : m_v(c) {}
    Value(const QString& s) : m_v(s) {}
    Value(const char* s) : m_v(QString::fromUtf8(s)) {}
    // An invalid date or date-time is Null: clearing a date field writes Null.
    Value(const QDateTime& dt);
    Value(const QDate& d);
    Value(const QByteArray& b) : m_v(b) {}

    static Value null() { return {}; }

    Kind kind() const { return Kind(m_v.index()); }
    bool isNull() const { return kind() == Kind::Null; }

    // Strict accessors: the value of that kind, or a best effort conversion without locale rules.
    // Null gives 0 / "" / invalid date. For user-facing, locale-aware conversions use NullTo*.
    bool toBool() const;
    std::int64_t toInt64() const;
    double toDouble() const;
    tikkeli::Currency toCurrency() const;
    QString toString() const; // Text as is; numbers with '.', dates ISO; Null ""
    // Dates are wall-clock times without a zone, as the database stores them; toDateTime gives
    // them as local time.
    QDateTime toDateTime() const;
    QDate toDate() const;
    QTime toTime() const; // the time of day of a date-time (00:00 for other kinds)
    QByteArray toBlob() const;
    // Text without a copy when the value is Text (else nullptr).
    const QString* textPtr() const { return std::get_if<QString>(&m_v); }
    // A date-time from its wall-clock parts; an invalid date gives Null.
    static Value dateTime(const QDate& d, const QTime& t);

    bool operator==(const Value& o) const = default;

private:
    // A date and time as the file holds it: no zone, so reading one never consults the time zone
    // database (which is slow) and two values compare by their wall-clock parts.
    struct Stamp {
        std::int64_t julianDay = 0;
        int msecs = 0;
        bool operator==(const Stamp&) const = default;
    };
    std::variant<std::monostate, bool, std::int64_t, double, tikkeli::Currency, QString, Stamp, QByteArray> m_v;
};

} // namespace tikkeli
