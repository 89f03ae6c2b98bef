#pragma once

#include "db/DbError.h"
#include "base/Value.h"

#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

struct sqlite3;

namespace tikkeli {

class Connection;
class Recordset;

enum class RecordsetType { Table, Dynaset, Snapshot };

using Params = std::vector<Value>;

// A handle to one club database file. Every handle to the same file shares the process's single
// connection to it (see ConnectionRegistry); copying a handle is cheap. A handle whose connection
// the registry closed for a file operation reopens it on its next use.
//
// Statements may be written in the program's older SQL dialect (DELETE * FROM, #m/d/yyyy# dates,
// * and ? wildcards in LIKE, double-quoted strings): they pass through NormalizeSql first.
// Values that come from a user, a file or another record are always bound as parameters (?1..).
// Handles to a file share one connection and its statement cache: use them from one thread at a
// time (the windows' thread).
//
// Text order: the file declares no collation (the stock sqlite3 shell must read it), and
// NormalizeSql gives every ORDER BY term the Finnish case-insensitive collation FI. Comparisons
// with = stay exact; compare without regard to case with LIKE (Finnish case folding, no wildcards
// needed) or "= ? COLLATE FI".
class Database {
public:
    Database() = default;

    // Opens an existing file, never creating one. Throws DbException classified by number:
    // 3024/3044 not found, 3051 in use or not writable, 3344 an Access file, 3343 not a database,
    // 3049 a damaged SQLite file.
    static Database open(const QString& path);
    // Creates a new, empty database file; 58 when the file already exists.
    static Database create(const QString& path);

    bool isOpen() const;
    QString path() const;
    // Releases this handle; the connection itself closes when its last handle is released.
    void close();

    void execute(const QString& sql, const Params& params = {});
    // Several statements without parameters, for the program's own DDL.
    void executeScript(const QString& sql);
    // Rows changed by the last execute on this connection.
    int rowsAffected() const;
    std::int64_t lastInsertId() const;
    // First column of the first row, Null when there is no row.
    Value scalar(const QString& sql, const Params& params = {});
    // The first column of every row as whole numbers (a Null as 0): a long list of keys, read
    // without the cost of a recordset's values.
    QList<qint64> wholeNumbers(const QString& sql, const Params& params = {});
    // sqlOrTable is a table name or a SELECT. Table and Dynaset recordsets are updatable when they
    // read one table; Snapshot never is.
    Recordset openRecordset(const QString& sqlOrTable, RecordsetType type = RecordsetType::Dynaset,
                            const Params& params = {});

    bool inTransaction() const;
    sqlite3* handle() const;

    // Whether a file or folder may be written; tests replace it (they run as root, who may write
    // anything). An empty function restores the real check.
    static void setWritableProbe(std::function<bool(const QString&)> probe);

private:
    explicit Database(std::shared_ptr<Connection> c) : m_conn(std::move(c)) {}
    Connection& conn() const;
    std::shared_ptr<Connection> m_conn;
    friend class ConnectionRegistry;
    friend class Recordset;
    friend class Transaction;
};

// The process's connections, one per database file (by canonical path). File operations
// (backup, restore, compaction, repair, rename) ask it to close a file first.
class ConnectionRegistry {
public:
    // Closes the connection to the file; handles reopen it on their next use. False (nothing
    // closed) when a transaction is open on it.
    static bool closeAll(const QString& path);
    static bool isOpen(const QString& path);
    // Whether a transaction is open on the file's connection.
    static bool inTransaction(const QString& path);

private:
    static std::shared_ptr<Connection> acquire(const QString& canonicalPath);
    friend class Database;
};

} // namespace tikkeli
