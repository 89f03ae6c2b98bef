#pragma once

#include "base/Value.h"

#include <QString>
#include <memory>
#include <vector>

struct sqlite3;

namespace tikkeli {

// What recordsets need to know about a base table: its columns, their kinds and defaults, and
// the key that identifies a row.
struct TableInfo {
    struct Column {
        QString name;
        QString declaredType;
        Value::Kind kind = Value::Kind::Null;
        bool notNull = false;
        bool hasDefault = false;
        bool literalDefault = true; // false for CURRENT_TIMESTAMP and other expressions
        Value defaultValue;         // the literal default, converted to the column's kind
    };
    QString name;
    QString integerKey; // the INTEGER PRIMARY KEY column, empty when there is none
    bool hasRowid = true;
    bool autoIncrement = false; // the key is AUTOINCREMENT: its counter lives in sqlite_sequence
    std::vector<Column> columns;

    int columnIndex(const QString& name) const;
    // Reads the table's description; nullptr when there is no such table.
    static std::shared_ptr<const TableInfo> load(sqlite3* db, const QString& table);
    // value converted to the column kind; nullopt when it cannot be.
    static std::optional<Value> coerce(const Value& v, Value::Kind kind);
};

} // namespace tikkeli
