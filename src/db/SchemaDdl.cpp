#include "db/SchemaDdl.h"

#include "db/Catalogue.h"

#include <QRegularExpression>
#include <QStringList>
#include <sqlite3.h>

namespace tikkeli {

QString SchemaDdl::quoteName(const QString& name)
{
    // Bare names where possible keep the DDL readable in the sqlite3 shell; brackets otherwise
    // (never double quotes, which the older dialect reads as string literals).
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    const QByteArray utf8 = name.toUtf8();
    if (plain.match(name).hasMatch() && !sqlite3_keyword_check(utf8.constData(), int(utf8.size())))
        return name;
    QString escaped = name;
    escaped.replace(QLatin1Char(']'), QLatin1String("]]"));
    return QLatin1Char('[') + escaped + QLatin1Char(']');
}

QString SchemaDdl::declaredType(const FieldDef& f)
{
    switch (f.type) {
    case FieldType::Boolean: return QStringLiteral("BOOLEAN");
    case FieldType::Byte: return QStringLiteral("TINYINT");
    case FieldType::Integer: return QStringLiteral("SMALLINT");
    case FieldType::Long: return QStringLiteral("INTEGER");
    case FieldType::Currency: return QStringLiteral("DECIMAL(19,4)");
    case FieldType::Single: return QStringLiteral("FLOAT");
    case FieldType::Double: return QStringLiteral("DOUBLE");
    case FieldType::Date: return QStringLiteral("DATETIME");
    case FieldType::Text: return QStringLiteral("VARCHAR(%1)").arg(f.size);
    case FieldType::LongBinary: return QStringLiteral("BLOB");
    case FieldType::Memo: return QStringLiteral("TEXT");
    }
    return QStringLiteral("BLOB");
}

QString SchemaDdl::columnDefinition(const FieldDef& f)
{
    const QString c = quoteName(f.name);
    QString def = c + QLatin1Char(' ') + declaredType(f);
    if (f.autoIncrement)
        return def + QLatin1String(" PRIMARY KEY AUTOINCREMENT");
    auto check = [&](const QString& expr) { def += QLatin1String(" CHECK(") + expr + QLatin1Char(')'); };
    auto range = [&](const char* low, const char* high) {
        check(QStringLiteral("%1 BETWEEN %2 AND %3").arg(c, QLatin1String(low), QLatin1String(high)));
    };
    // Each rule lets Null through (a comparison with Null is not false), so Null stays "no value".
    switch (f.type) {
    case FieldType::Boolean:
        def += QLatin1String(" NOT NULL DEFAULT 0");
        check(c + QLatin1String(" IN (0, 1)"));
        return def;
    case FieldType::Byte: range("0", "255"); break;
    case FieldType::Integer: range("-32768", "32767"); break;
    case FieldType::Long: range("-2147483648", "2147483647"); break;
    case FieldType::Currency: range("-922337203685477.5808", "922337203685477.5807"); break;
    case FieldType::Single: range("-3.402823466e38", "3.402823466e38"); break;
    case FieldType::Double: range("-1.7976931348623157e308", "1.7976931348623157e308"); break;
    case FieldType::Date:
        check(c + QLatin1String(" GLOB '[0-9][0-9][0-9][0-9]-[01][0-9]-[0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9]'"));
        break;
    case FieldType::Text: check(QStringLiteral("length(%1) <= %2").arg(c).arg(f.size)); break;
    case FieldType::Memo:
    case FieldType::LongBinary: break;
    }
    if (f.required)
        def += QLatin1String(" NOT NULL");
    if ((f.type == FieldType::Text || f.type == FieldType::Memo) && !f.allowZeroLength)
        check(c + QLatin1String(" <> ''"));
    return def;
}

QString SchemaDdl::createTable(const TableDef& t)
{
    QStringList cols;
    for (const FieldDef& f : t.fields)
        cols << columnDefinition(f);
    return QStringLiteral("CREATE TABLE %1 (%2)").arg(quoteName(t.name), cols.join(QLatin1String(", ")));
}

QString SchemaDdl::addField(const QString& table, const FieldDef& field)
{
    return QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(quoteName(table), columnDefinition(field));
}

QString SchemaDdl::dropField(const QString& table, const QString& field)
{
    return QStringLiteral("ALTER TABLE %1 DROP COLUMN %2").arg(quoteName(table), quoteName(field));
}

QString SchemaDdl::createIndex(const QString& table, const IndexDef& index)
{
    return QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
        .arg(index.unique ? QStringLiteral("UNIQUE ") : QString(),
             quoteName(Catalogue::physicalIndexName(table, index.name)), quoteName(table), quoteName(index.field));
}

QString SchemaDdl::createQuery(const QueryDef& q)
{
    QString select = q.sql.trimmed();
    while (select.endsWith(QLatin1Char(';')))
        select.chop(1);
    return QStringLiteral("CREATE VIEW %1 AS %2").arg(quoteName(q.name), select);
}

} // namespace tikkeli
