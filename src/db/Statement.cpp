#include "db/Statement.h"

#include "db/Connection.h"
#include "base/DateText.h"
#include "db/SqliteError.h"

#include <cmath>
#include <cstring>
#include <utility>
#include <sqlite3.h>

namespace tikkeli {

Statement::Statement(Connection& conn, const QByteArray& sql) : m_conn(conn), m_sql(sql)
{
    m_stmt = conn.acquire(sql);
}

Statement::~Statement()
{
    m_conn.release(m_sql, m_stmt);
}

void Statement::bind(const std::vector<Value>& params)
{
    const int expected = sqlite3_bind_parameter_count(m_stmt);
    if (int(params.size()) > expected)
        throw DbException(
            DbErr::InvalidArgument,
            QStringLiteral("Kyselylle annettiin %1 parametria, mutta se käyttää %2.").arg(params.size()).arg(expected));
    for (std::size_t i = 0; i < params.size(); ++i)
        bindValue(m_stmt, int(i) + 1, params[i]);
}

void Statement::bind(int index1, const Value& v)
{
    bindValue(m_stmt, index1, v);
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    SqliteError::raise(sqlite3_db_handle(m_stmt), rc);
}

void Statement::run()
{
    while (step()) {
    }
}

int Statement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

Value Statement::column(int i) const
{
    return readColumn(m_stmt, i, declaredKind(i));
}

Value Statement::column(int i, Value::Kind kind) const
{
    return readColumn(m_stmt, i, kind);
}

Value::Kind Statement::declaredKind(int i) const
{
    return kindOfDeclaredType(sqlite3_column_decltype(m_stmt, i));
}

void Statement::bindValue(sqlite3_stmt* stmt, int index1, const Value& v)
{
    switch (v.kind()) {
    case Value::Kind::Null: sqlite3_bind_null(stmt, index1); break;
    case Value::Kind::Bool: sqlite3_bind_int(stmt, index1, v.toBool() ? 1 : 0); break;
    case Value::Kind::Int: sqlite3_bind_int64(stmt, index1, v.toInt64()); break;
    case Value::Kind::Double: sqlite3_bind_double(stmt, index1, v.toDouble()); break;
    case Value::Kind::Currency: {
        // Whole amounts go in as integers; others as the double nearest to the four-decimal amount,
        // which reads back exactly after rounding to four decimals.
        const std::int64_t raw = v.toCurrency().raw();
        if (raw % Currency::Scale == 0)
            sqlite3_bind_int64(stmt, index1, raw / Currency::Scale);
        else
            sqlite3_bind_double(stmt, index1, double(raw) / double(Currency::Scale));
        break;
    }
    case Value::Kind::Text: {
        const QByteArray utf8 = v.textPtr()->toUtf8();
        sqlite3_bind_text(stmt, index1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        break;
    }
    case Value::Kind::DateTime: {
        const QByteArray iso = DateText::formatUtf8(v.toDate(), v.toTime());
        sqlite3_bind_text(stmt, index1, iso.constData(), int(iso.size()), SQLITE_TRANSIENT);
        break;
    }
    case Value::Kind::Blob: {
        const QByteArray b = v.toBlob();
        sqlite3_bind_blob(stmt, index1, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        break;
    }
    }
}

Value Statement::readColumn(sqlite3_stmt* stmt, int i, Value::Kind kind)
{
    return readColumn(stmt, i, kind, sqlite3_column_type(stmt, i));
}

Value Statement::readColumn(sqlite3_stmt* stmt, int i, Value::Kind kind, int type)
{
    if (type == SQLITE_NULL)
        return {};
    switch (kind) {
    case Value::Kind::Text:
        if (type == SQLITE_TEXT || type == SQLITE_BLOB) {
            const char* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
            return QString::fromUtf8(p, sqlite3_column_bytes(stmt, i));
        }
        break;
    case Value::Kind::Bool:
        if (type == SQLITE_INTEGER)
            return sqlite3_column_int64(stmt, i) != 0;
        if (type == SQLITE_FLOAT)
            return sqlite3_column_double(stmt, i) != 0.0;
        break;
    case Value::Kind::Int:
        if (type == SQLITE_INTEGER)
            return Value(qint64(sqlite3_column_int64(stmt, i)));
        break;
    case Value::Kind::Double:
        if (type == SQLITE_INTEGER || type == SQLITE_FLOAT)
            return sqlite3_column_double(stmt, i);
        break;
    case Value::Kind::Currency:
        if (type == SQLITE_INTEGER) {
            const qint64 n = sqlite3_column_int64(stmt, i);
            if (auto c = Currency::tryFromUnits(n))
                return *c;
            return double(n);
        }
        if (type == SQLITE_FLOAT) {
            if (auto c = Currency::tryFromDouble(sqlite3_column_double(stmt, i)))
                return *c;
            return sqlite3_column_double(stmt, i);
        }
        if (type == SQLITE_TEXT) {
            const char* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
            const QString s = QString::fromUtf8(p, sqlite3_column_bytes(stmt, i));
            if (auto c = Currency::parse(s))
                return *c;
            return s;
        }
        break;
    case Value::Kind::DateTime:
        if (type == SQLITE_TEXT) {
            const char* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
            const int n = sqlite3_column_bytes(stmt, i);
            QDate d;
            QTime t;
            if (DateText::parseUtf8(p, n, d, t))
                return Value::dateTime(d, t);
            return QString::fromUtf8(p, n);
        }
        if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
            // A day serial written by another tool.
            return Value(sqlite3_column_double(stmt, i)).toDateTime();
        }
        break;
    case Value::Kind::Blob:
        if (type == SQLITE_BLOB || type == SQLITE_TEXT)
            return QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, i)), sqlite3_column_bytes(stmt, i));
        break;
    default: break;
    }
    switch (type) {
    case SQLITE_INTEGER: return Value(qint64(sqlite3_column_int64(stmt, i)));
    case SQLITE_FLOAT: return sqlite3_column_double(stmt, i);
    case SQLITE_TEXT:
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)), sqlite3_column_bytes(stmt, i));
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, i)), sqlite3_column_bytes(stmt, i));
    default: return {};
    }
}

Value::Kind Statement::kindOfDeclaredType(const char* decl)
{
    if (!decl || !*decl)
        return Value::Kind::Null;
    QByteArray t(decl);
    const int paren = t.indexOf('(');
    if (paren >= 0)
        t.truncate(paren);
    t = t.trimmed().toUpper();
    static const struct {
        const char* name;
        Value::Kind kind;
    } table[] = {
        {"BOOLEAN", Value::Kind::Bool},       {"BOOL", Value::Kind::Bool},
        {"BIT", Value::Kind::Bool},           {"YESNO", Value::Kind::Bool},
        {"LOGICAL", Value::Kind::Bool},       {"DECIMAL", Value::Kind::Currency},
        {"CURRENCY", Value::Kind::Currency},  {"MONEY", Value::Kind::Currency},
        {"DATETIME", Value::Kind::DateTime},  {"DATE", Value::Kind::DateTime},
        {"TIMESTAMP", Value::Kind::DateTime}, {"TIME", Value::Kind::DateTime},
        {"INTEGER", Value::Kind::Int},        {"INT", Value::Kind::Int},
        {"SMALLINT", Value::Kind::Int},       {"TINYINT", Value::Kind::Int},
        {"BIGINT", Value::Kind::Int},         {"LONG", Value::Kind::Int},
        {"BYTE", Value::Kind::Int},           {"COUNTER", Value::Kind::Int},
        {"DOUBLE", Value::Kind::Double},      {"DOUBLE PRECISION", Value::Kind::Double},
        {"FLOAT", Value::Kind::Double},       {"REAL", Value::Kind::Double},
        {"SINGLE", Value::Kind::Double},      {"VARCHAR", Value::Kind::Text},
        {"NVARCHAR", Value::Kind::Text},      {"CHAR", Value::Kind::Text},
        {"TEXT", Value::Kind::Text},          {"CLOB", Value::Kind::Text},
        {"LONGTEXT", Value::Kind::Text},      {"BLOB", Value::Kind::Blob},
        {"LONGBINARY", Value::Kind::Blob},    {"BINARY", Value::Kind::Blob},
        {"VARBINARY", Value::Kind::Blob},     {"IMAGE", Value::Kind::Blob},
    };
    for (const auto& e : table)
        if (t == e.name)
            return e.kind;
    return Value::Kind::Null;
}

} // namespace tikkeli
