#pragma once

#include "db/SchemaTypes.h"

#include <QString>

namespace tikkeli {

// SQL for the schema's definitions, in SQLite's own dialect (never the older dialect NormalizeSql reads).
//
// Storage of the schema's types: Text(n) VARCHAR(n) with its width checked and "" refused unless
// allowed; Memo TEXT; Long/Integer/Byte INTEGER/SMALLINT/TINYINT with their ranges checked;
// Currency DECIMAL(19,4); Date DATETIME holding "YYYY-MM-DD HH:MM:SS"; Boolean 0/1, never Null;
// the key INTEGER PRIMARY KEY AUTOINCREMENT so numbers are never handed out twice. No declared
// type gives text a NUMERIC affinity, so "00100" stays "00100".
class SchemaDdl {
public:
    static QString quoteName(const QString& name);
    static QString declaredType(const FieldDef& field);
    static QString columnDefinition(const FieldDef& field);

    // The table with its fields; the key carries "PrimaryKey" by being the INTEGER PRIMARY KEY, the
    // table's other indexes need createIndex.
    static QString createTable(const TableDef& table);
    static QString addField(const QString& table, const FieldDef& field);
    static QString dropField(const QString& table, const QString& field);
    static QString createIndex(const QString& table, const IndexDef& index);
    static QString createQuery(const QueryDef& query);
};

} // namespace tikkeli
