#include "db/Transaction.h"

#include "base/ErrorHandling.h"
#include "db/ClubChanges.h"
#include "db/Connection.h"
#include "db/SqliteError.h"

#include <sqlite3.h>

namespace tikkeli {

namespace {

void exec(sqlite3* db, const QString& sql)
{
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_exec(db, utf8.constData(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        SqliteError::raise(db, rc);
}

} // namespace

Transaction::Transaction(Database& db) : m_db(db)
{
    Connection& c = m_db.conn();
    sqlite3* h = c.db();
    if (c.savepointDepth == 0 || sqlite3_get_autocommit(h)) {
        // Take the write lock at once, so two writers wait for each other instead of failing later.
        exec(h, QStringLiteral("BEGIN IMMEDIATE"));
        c.savepointDepth = 1;
    } else {
        m_savepoint = QStringLiteral("tikkeli_sp%1").arg(c.savepointDepth);
        exec(h, QStringLiteral("SAVEPOINT ") + m_savepoint);
        ++c.savepointDepth;
    }
}

Transaction::~Transaction()
{
    if (!m_done) {
        IgnoringErrors("transaction: roll back on leaving", [&] { rollback(); });
    }
}

void Transaction::commit()
{
    if (m_done)
        return;
    Connection& c = m_db.conn();
    sqlite3* h = c.db();
    // SQLite ends a transaction by itself after some failures (a full disk, an I/O error); a caller
    // that caught such an error and went on would otherwise be told its work was saved while the
    // statements after the failure ran one by one outside any transaction.
    if (sqlite3_get_autocommit(h)) {
        m_done = true;
        // The whole transaction is gone, so nothing announced inside it reached the file.
        ClubChanges::rolledBack(m_db.path());
        if (m_savepoint.isEmpty())
            c.savepointDepth = 0;
        else
            --c.savepointDepth;
        throw DbException(DbErr::NoTransaction,
                          QStringLiteral("Tapahtuma keskeytyi aiemman virheen vuoksi, eikä sen muutoksia tallennettu."));
    }
    if (m_savepoint.isEmpty()) {
        exec(h, QStringLiteral("COMMIT"));
        c.savepointDepth = 0;
        m_done = true;
        ClubChanges::committed(m_db.path());
        return;
    }
    exec(h, QStringLiteral("RELEASE ") + m_savepoint);
    --c.savepointDepth;
    m_done = true;
}

void Transaction::rollback()
{
    if (m_done)
        return;
    m_done = true;
    Connection& c = m_db.conn();
    if (!c.isOpenNow())
        return;
    sqlite3* h = c.db();
    if (m_savepoint.isEmpty()) {
        c.savepointDepth = 0;
        ClubChanges::rolledBack(m_db.path());
        if (!sqlite3_get_autocommit(h))
            exec(h, QStringLiteral("ROLLBACK"));
    } else {
        --c.savepointDepth;
        if (!sqlite3_get_autocommit(h))
            exec(h, QStringLiteral("ROLLBACK TO ") + m_savepoint + QStringLiteral("; RELEASE ") + m_savepoint);
    }
}

} // namespace tikkeli
