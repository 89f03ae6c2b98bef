#include "db/TableInfo.h"

#include "base/DateText.h"
#include "db/Statement.h"

#include <cmath>
#include <sqlite3.h>

namespace tikkeli {

namespace {

QString quoteIdent(const QString& s)
{
    QString t = s;
    t.replace(u'"', QStringLiteral("\"\""));
    return u'"' + t + u'"';
}

// A column default as written in the schema: 'text', a number, NULL, TRUE/FALSE; anything else
// (CURRENT_TIMESTAMP, an expression) is not a literal.
std::optional<Value> parseDefault(const QString& text)
{
    const QString t = text.trimmed();
    if (t.compare(u"NULL", Qt::CaseInsensitive) == 0)
        return Value();
    if (t.compare(u"TRUE", Qt::CaseInsensitive) == 0)
        return Value(qint64(1));
    if (t.compare(u"FALSE", Qt::CaseInsensitive) == 0)
        return Value(qint64(0));
    if (t.size() >= 2 && t.front() == u'\'' && t.back() == u'\'') {
        QString body = t.mid(1, t.size() - 2);
        body.replace(QStringLiteral("''"), QStringLiteral("'"));
        return Value(body);
    }
    QString num = t;
    while (num.startsWith(u'(') && num.endsWith(u')'))
        num = num.mid(1, num.size() - 2).trimmed();
    bool ok = false;
    const qlonglong n = num.toLongLong(&ok);
    if (ok)
        return Value(n);
    const double d = num.toDouble(&ok);
    if (ok)
        return Value(d);
    return std::nullopt;
}

} // namespace

int TableInfo::columnIndex(const QString& n) const
{
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (columns[i].name.compare(n, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

std::shared_ptr<const TableInfo> TableInfo::load(sqlite3* db, const QString& table)
{
    auto info = std::make_shared<TableInfo>();
    sqlite3_stmt* st = nullptr;
    const QByteArray sql = "PRAGMA main.table_info(" + quoteIdent(table).toUtf8() + ")";
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        return nullptr;
    }
    int pkCount = 0;
    QString pkName, pkType;
    while (sqlite3_step(st) == SQLITE_ROW) {
        Column c;
        c.name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
        c.declaredType = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 2)));
        c.kind = Statement::kindOfDeclaredType(c.declaredType.toUtf8().constData());
        c.notNull = sqlite3_column_int(st, 3) != 0;
        if (sqlite3_column_type(st, 4) != SQLITE_NULL) {
            c.hasDefault = true;
            const auto d = parseDefault(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 4))));
            c.literalDefault = d.has_value();
            if (d)
                c.defaultValue = coerce(*d, c.kind).value_or(*d);
        }
        if (sqlite3_column_int(st, 5) > 0) {
            ++pkCount;
            pkName = c.name;
            pkType = c.declaredType;
        }
        info->columns.push_back(std::move(c));
    }
    sqlite3_finalize(st);
    if (info->columns.empty())
        return nullptr;
    info->name = table;
    if (pkCount == 1 && pkType.compare(u"INTEGER", Qt::CaseInsensitive) == 0)
        info->integerKey = pkName;
    const QByteArray probe = "SELECT _rowid_ FROM main." + quoteIdent(table).toUtf8();
    info->hasRowid = sqlite3_prepare_v2(db, probe.constData(), -1, &st, nullptr) == SQLITE_OK;
    sqlite3_finalize(st);
    st = nullptr;
    if (!info->integerKey.isEmpty()
        && sqlite3_prepare_v2(db, "SELECT sql FROM main.sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE", -1,
                              &st, nullptr)
               == SQLITE_OK) {
        const QByteArray name = table.toUtf8();
        sqlite3_bind_text(st, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(st) == SQLITE_ROW)
            info->autoIncrement = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)))
                                      .contains(QLatin1String("AUTOINCREMENT"), Qt::CaseInsensitive);
    }
    sqlite3_finalize(st);
    return info;
}

std::optional<Value> TableInfo::coerce(const Value& v, Value::Kind kind)
{
    if (v.isNull() || kind == Value::Kind::Null || v.kind() == kind)
        return v;
    switch (kind) {
    case Value::Kind::Bool:
        switch (v.kind()) {
        case Value::Kind::Int:
        case Value::Kind::Double:
        case Value::Kind::Currency: return Value(v.toBool());
        case Value::Kind::Text: {
            const QString t = v.textPtr()->trimmed();
            if (t.compare(u"true", Qt::CaseInsensitive) == 0 || t == u"1" || t == u"-1")
                return Value(true);
            if (t.compare(u"false", Qt::CaseInsensitive) == 0 || t == u"0")
                return Value(false);
            return std::nullopt;
        }
        default: return std::nullopt;
        }
    case Value::Kind::Int:
        switch (v.kind()) {
        case Value::Kind::Bool: return Value(qint64(v.toBool() ? 1 : 0));
        case Value::Kind::Double: {
            const double d = v.toDouble();
            if (!std::isfinite(d) || std::fabs(d) > 9.2e18)
                return std::nullopt;
            return Value(qint64(std::nearbyint(d)));
        }
        case Value::Kind::Currency: return Value(qint64(v.toInt64()));
        case Value::Kind::Text: {
            bool ok = false;
            const qlonglong n = v.textPtr()->trimmed().toLongLong(&ok);
            if (ok)
                return Value(n);
            return std::nullopt;
        }
        default: return std::nullopt;
        }
    case Value::Kind::Double:
        switch (v.kind()) {
        case Value::Kind::Bool:
        case Value::Kind::Int:
        case Value::Kind::Currency: return Value(v.toDouble());
        case Value::Kind::Text: {
            bool ok = false;
            const double d = v.textPtr()->trimmed().toDouble(&ok);
            if (ok)
                return Value(d);
            return std::nullopt;
        }
        default: return std::nullopt;
        }
    case Value::Kind::Currency:
        switch (v.kind()) {
        case Value::Kind::Bool:
        case Value::Kind::Int:
            if (auto c = Currency::tryFromUnits(v.toInt64()))
                return Value(*c);
            return std::nullopt;
        case Value::Kind::Double:
            if (auto c = Currency::tryFromDouble(v.toDouble()))
                return Value(*c);
            return std::nullopt;
        case Value::Kind::Text:
            if (auto c = Currency::parse(*v.textPtr()))
                return Value(*c);
            return std::nullopt;
        default: return std::nullopt;
        }
    case Value::Kind::Text:
        if (v.kind() == Value::Kind::Blob)
            return std::nullopt;
        return Value(v.toString());
    case Value::Kind::DateTime: {
        if (v.kind() == Value::Kind::Text) {
            QDate d;
            QTime t;
            if (DateText::parse(v.textPtr()->trimmed(), d, t))
                return Value::dateTime(d, t);
            return std::nullopt;
        }
        if (v.kind() == Value::Kind::Double || v.kind() == Value::Kind::Int)
            return Value(v.toDateTime());
        return std::nullopt;
    }
    case Value::Kind::Blob:
        if (v.kind() == Value::Kind::Text)
            return Value(v.textPtr()->toUtf8());
        return std::nullopt;
    default: return v;
    }
}

} // namespace tikkeli
