#include "printing/FieldFormatter.h"

#include <cmath>

namespace tikkeli {

namespace {

using Kind = ReportDefinition::Format::Kind;

QString withComma(QString s)
{
    s.replace(u'.', u',');
    return s;
}

QString number(double d, int decimals)
{
    if (decimals >= 0)
        return withComma(QString::number(d, 'f', decimals));
    if (d == std::floor(d) && std::abs(d) < 1e15)
        return QString::number(qint64(d));
    return withComma(QString::number(d, 'g', 15));
}

bool isZero(const Value& v)
{
    switch (v.kind()) {
    case Value::Kind::Int: return v.toInt64() == 0;
    case Value::Kind::Double: return v.toDouble() == 0.0;
    case Value::Kind::Currency: return v.toCurrency().raw() == 0;
    default: return false;
    }
}

QString key(const Value& v)
{
    switch (v.kind()) {
    case Value::Kind::Bool: return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case Value::Kind::Double: return number(v.toDouble(), -1);
    case Value::Kind::Currency: return number(v.toCurrency().toDouble(), -1);
    default: return v.toString();
    }
}

QDateTime dateTimeOf(const Value& v)
{
    if (v.kind() == Value::Kind::DateTime)
        return v.toDateTime();
    if (v.kind() == Value::Kind::Text) {
        const QString s = v.toString().trimmed();
        QDateTime dt = QDateTime::fromString(s, Qt::ISODate);
        if (!dt.isValid())
            dt = QDateTime::fromString(s, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (!dt.isValid())
            dt = QDateTime(QDate::fromString(s.left(10), Qt::ISODate), QTime(0, 0));
        return dt;
    }
    return {};
}

} // namespace

bool FieldFormatter::isTrue(const Value& v)
{
    switch (v.kind()) {
    case Value::Kind::Null: return false;
    case Value::Kind::Bool: return v.toBool();
    case Value::Kind::Int: return v.toInt64() != 0;
    case Value::Kind::Double: return v.toDouble() != 0.0;
    case Value::Kind::Currency: return v.toCurrency().raw() != 0;
    case Value::Kind::Text: return !v.toString().isEmpty() && v.toString() != QLatin1String("0");
    default: return true;
    }
}

QString FieldFormatter::valueKey(const Value& v)
{
    return v.isNull() ? QString() : key(v);
}

QString FieldFormatter::amount(Currency c, int decimals)
{
    decimals = std::clamp(decimals, 0, 4);
    const std::int64_t raw = c.rounded(decimals).raw();
    const std::uint64_t a = raw < 0 ? std::uint64_t(-raw) : std::uint64_t(raw);
    QString s = QString::number(a / std::uint64_t(Currency::Scale));
    if (decimals > 0)
        s += u',' + QStringLiteral("%1").arg(a % std::uint64_t(Currency::Scale), 4, 10, QLatin1Char('0')).left(decimals);
    return raw < 0 ? u'-' + s : s;
}

QString FieldFormatter::date(const QDate& d)
{
    return d.isValid() ? d.toString(QStringLiteral("d.M.yyyy")) : QString();
}

QString FieldFormatter::format(const Value& v, const ReportDefinition::Format& f)
{
    if (!f.values.empty()) {
        auto it = f.values.find(valueKey(v));
        if (it != f.values.end())
            return it->second;
    }
    if (v.isNull())
        return {};
    if (f.blankWhenZero && isZero(v))
        return {};

    switch (f.kind) {
    case Kind::Check: return isTrue(v) ? QStringLiteral("X") : QString();
    case Kind::YesNo: return isTrue(v) ? QStringLiteral("Kyllä") : QStringLiteral("Ei");
    case Kind::Date: {
        const QDateTime dt = dateTimeOf(v);
        return dt.isValid() ? date(dt.date()) : v.toString();
    }
    case Kind::DateTime: {
        const QDateTime dt = dateTimeOf(v);
        return dt.isValid() ? dt.toString(QStringLiteral("d.M.yyyy H.mm")) : v.toString();
    }
    case Kind::Amount:
        if (v.kind() == Value::Kind::Text) {
            auto c = Currency::parse(v.toString());
            return c ? amount(*c, f.decimals < 0 ? 2 : f.decimals) : v.toString();
        }
        return amount(v.kind() == Value::Kind::Currency ? v.toCurrency() : Currency::fromDouble(v.toDouble()),
                      f.decimals < 0 ? 2 : f.decimals);
    case Kind::Integer:
        if (v.kind() == Value::Kind::Text)
            return v.toString();
        return QString::number(
            qint64(std::llround(v.kind() == Value::Kind::Currency ? v.toCurrency().toDouble() : v.toDouble())));
    case Kind::Number:
        if (v.kind() == Value::Kind::Int && f.decimals <= 0)
            return QString::number(v.toInt64());
        if (v.kind() == Value::Kind::Currency)
            return f.decimals >= 0 ? amount(v.toCurrency(), f.decimals) : number(v.toCurrency().toDouble(), -1);
        if (v.kind() == Value::Kind::Text)
            return v.toString();
        return number(v.toDouble(), f.decimals);
    case Kind::Text: return v.kind() == Value::Kind::Text ? v.toString() : format(v, ReportDefinition::Format{});
    case Kind::Auto: break;
    }
    switch (v.kind()) {
    case Value::Kind::Bool: return v.toBool() ? QStringLiteral("Kyllä") : QStringLiteral("Ei");
    case Value::Kind::Int: return QString::number(v.toInt64());
    case Value::Kind::Double: return number(v.toDouble(), f.decimals);
    case Value::Kind::Currency: return amount(v.toCurrency(), f.decimals < 0 ? 2 : f.decimals);
    case Value::Kind::DateTime: {
        const QDateTime dt = v.toDateTime();
        if (dt.time() == QTime(0, 0))
            return date(dt.date());
        return dt.toString(QStringLiteral("d.M.yyyy H.mm"));
    }
    case Value::Kind::Blob: return {};
    default: return v.toString();
    }
}

} // namespace tikkeli
