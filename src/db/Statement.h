#pragma once

#include "base/Value.h"

#include <QByteArray>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace tikkeli {

class Connection;

// A prepared statement leased from a connection's cache; reset and handed back when it goes.
// Binding and reading follow the storage rules: Bool 0/1, Currency as a number rounded to four
// decimals, dates as ISO text; reading maps by the declared type of the column.
class Statement {
public:
    Statement(Connection& conn, const QByteArray& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    sqlite3_stmt* get() const { return m_stmt; }
    void bind(const std::vector<Value>& params);
    void bind(int index1, const Value& v);
    // Steps once: true when a row is ready. Throws on errors.
    bool step();
    // Steps to completion, ignoring rows.
    void run();
    int columnCount() const;
    Value column(int i) const;
    Value column(int i, Value::Kind kind) const;
    Value::Kind declaredKind(int i) const;

    static void bindValue(sqlite3_stmt* stmt, int index1, const Value& v);
    static Value readColumn(sqlite3_stmt* stmt, int i, Value::Kind kind);
    // The same when the caller already asked for the column's storage class.
    static Value readColumn(sqlite3_stmt* stmt, int i, Value::Kind kind, int storageType);
    // The kind a declared type reads as; Null means "by storage class".
    static Value::Kind kindOfDeclaredType(const char* decl);

private:
    Connection& m_conn;
    QByteArray m_sql;
    sqlite3_stmt* m_stmt = nullptr;
};

} // namespace tikkeli
