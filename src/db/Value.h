#pragma once

#include "db/Currency.h"

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

    Value() = default;                      // Null
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
    Value(const QDateTime& dt) : m_v(dt) {}
    Value(const QDate& d) : m_v(QDateTime(d, QTime(0, 0))) {}
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
    QString toString() const;       // Text as is; numbers with '.', dates ISO; Null ""
    QDateTime toDateTime() const;
    QByteArray toBlob() const;

    bool operator==(const Value& o) const = default;

private:
    std::variant<std::monostate, bool, std::int64_t, double, tikkeli::Currency, QString, QDateTime, QByteArray> m_v;
};

} // namespace tikkeli
