#pragma once

#include "db/SchemaTypes.h"

#include <QString>
#include <vector>

namespace tikkeli {

class Database;

// What a database holds, read from its own schema: tables (the engine's sqlite_* objects hidden),
// fields with their declared type codes, widths and attributes, indexes under their logical names
// with the key reported as "PrimaryKey", and saved queries (views). Every lookup ignores letter
// case, as the engine's own name resolution does.
//
// A Catalogue is a snapshot: it does not follow later changes to the file.
class Catalogue {
public:
    static Catalogue read(Database& db);

    const std::vector<TableDef>& tables() const { return m_tables; }
    const std::vector<QueryDef>& queries() const { return m_queries; }

    const TableDef* table(const QString& name) const;
    const QueryDef* query(const QString& name) const;
    const FieldDef* field(const QString& tableName, const QString& fieldName) const;

    bool hasTable(const QString& name) const { return table(name) != nullptr; }
    bool hasQuery(const QString& name) const { return query(name) != nullptr; }
    bool hasField(const QString& tableName, const QString& fieldName) const;
    bool hasIndex(const QString& tableName, const QString& indexName) const;
    // Indexes of the table including the synthesised "PrimaryKey"; 0 for a missing table.
    int indexCount(const QString& tableName) const;

    // Index names are per table in the schema but global in SQLite: the file holds
    // "<table>_<name>".
    static QString physicalIndexName(const QString& tableName, const QString& logicalName);

    // The table a CREATE TABLE statement describes (fields and the key's "PrimaryKey"; the other
    // indexes live in their own statements). Accepts any SQLite spelling, not only ours.
    static TableDef parseCreateTable(const QString& sql);

private:
    std::vector<TableDef> m_tables;
    std::vector<QueryDef> m_queries;
};

} // namespace tikkeli
