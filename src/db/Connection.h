#pragma once

#include "db/HeldChanges.h"
#include "db/TableInfo.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace tikkeli {

// The process's single connection to one database file, shared by every Database handle to it.
// The registry may close the SQLite connection for a file operation; the next use reopens it.
class Connection {
public:
    explicit Connection(QString canonicalPath);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    const QString& path() const { return m_path; }
    // The open SQLite connection, reopening the file if the registry closed it.
    sqlite3* db();
    bool isOpenNow() const { return m_db != nullptr; }
    bool inTransaction() const;
    // Closes the SQLite connection (statements finalised); false while a transaction is open.
    bool closeNow();
    // Whether the file open here has left its path (another file has taken it, or it is gone).
    bool fileMoved() const;
    // The open SQLite connection for a statement. Outside a transaction, a file that has left its
    // path is let go before anything more is read of it, the windows are told of a replaced file,
    // and statements are refused with the replaced file's DbException until they have been told:
    // no journal beside the path is ever taken for the old file's own, and the command that met
    // the new file writes nothing into it. A transaction keeps to the file it began on.
    sqlite3* forStatement();

    sqlite3_stmt* acquire(const QByteArray& sql);
    void release(const QByteArray& sql, sqlite3_stmt* stmt);

    std::shared_ptr<const TableInfo> tableInfo(const QString& table);
    // NormalizeSql of a statement, remembered: the same statements run again and again.
    QByteArray normalized(const QString& sql);

    int changes = 0;
    // The open transaction's levels, outermost first (its BEGIN, then each SAVEPOINT), each with
    // the changes announced at that level (ClubChanges); empty outside one.
    std::vector<HeldChanges> levels;
    // Counts the transactions begun here: a Transaction whose transaction SQLite ended by itself
    // must never commit or roll back one begun after it.
    quint64 transactionsBegun = 0;

    // Opens a file for the layer: never creates it, classifies every failure (DbException).
    static sqlite3* openFile(const QString& path);
    // Settings every connection gets: journal, synchronous writes, collation and LIKE.
    static void configure(sqlite3* db);
    static bool isWritable(const QString& path);
    // A file where a read met damage is checked fully on its every open until it checks clean.
    static void noteDamaged(const QString& path);
    // Another program replaced or removed the file: its connection reads the file at the path
    // again at its next use outside a transaction, and the windows are told (ClubChanges).
    static void noteReplaced(const QString& path);
    static void setWritableProbe(std::function<bool(const QString&)> probe);

private:
    void finalizeCache();

    QString m_path;
    sqlite3* m_db = nullptr;
    QHash<QByteArray, sqlite3_stmt*> m_idle;
    QHash<QString, std::shared_ptr<const TableInfo>> m_tables;
    QHash<QString, QByteArray> m_normalized;
    int m_schemaVersion = -1;
    unsigned m_replacedSeen = 0;
};

} // namespace tikkeli
