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

// SQLite ends the whole transaction by itself after some failures (a full disk, an I/O error):
// nothing announced inside it reached the file, and no later transaction may tell it.
void forgetEndedTransaction(Connection& c)
{
    if (!c.levels.empty() && !c.inTransaction())
        c.levels.clear();
}

HeldChanges allChanges(const std::vector<HeldChanges>& levels, std::size_t from)
{
    HeldChanges changes;
    for (std::size_t i = from; i < levels.size(); ++i)
        changes.add(levels[i]);
    return changes;
}

} // namespace

Transaction::Transaction(Database& db) : m_db(db)
{
    Connection& c = m_db.conn();
    sqlite3* h = c.forStatement();
    forgetEndedTransaction(c);
    if (c.levels.empty()) {
        // Take the write lock at once, so two writers wait for each other instead of failing later.
        exec(h, QStringLiteral("BEGIN IMMEDIATE"));
        c.levels.assign(1, HeldChanges{});
        ++c.transactionsBegun;
    } else {
        m_savepoint = QStringLiteral("tikkeli_sp%1").arg(c.levels.size());
        exec(h, QStringLiteral("SAVEPOINT ") + m_savepoint);
        c.levels.emplace_back();
    }
    m_level = c.levels.size();
    m_begun = c.transactionsBegun;
}

Transaction::~Transaction()
{
    if (!m_done) {
        IgnoringErrors("transaction: roll back on leaving", [&] { rollback(); });
    }
}

bool Transaction::holdChanges(const Database& db, const HeldChanges& changes)
{
    if (!db.isOpen())
        return false;
    Connection& c = db.conn();
    forgetEndedTransaction(c);
    if (c.levels.empty())
        return false;
    c.levels.back().add(changes);
    return true;
}

bool Transaction::stillOpen(Connection& c) const
{
    forgetEndedTransaction(c);
    return c.transactionsBegun == m_begun && c.levels.size() >= m_level;
}

void Transaction::commit()
{
    if (m_done)
        return;
    Connection& c = m_db.conn();
    // A caller that caught the failure after which SQLite ended the transaction, and went on,
    // would otherwise be told its work was saved while the statements after the failure ran one
    // by one outside any transaction.
    if (!stillOpen(c)) {
        m_done = true;
        throw DbException(DbErr::NoTransaction,
                          QStringLiteral("Tapahtuma keskeytyi aiemman virheen vuoksi, eikä sen muutoksia tallennettu."));
    }
    sqlite3* h = c.db();
    if (m_savepoint.isEmpty()) {
        try {
            exec(h, QStringLiteral("COMMIT"));
        } catch (const DbException&) {
            // SQLite keeps a transaction whose COMMIT it refused (busy) open, holding a lock that
            // keeps every other program waiting, and would take in the statements run after it.
            // The work is not saved, and ends here.
            m_done = true;
            c.levels.clear();
            if (c.inTransaction())
                IgnoringErrors("transaction: roll back a refused commit", [&] { exec(h, QStringLiteral("ROLLBACK")); });
            throw;
        }
        const HeldChanges changes = allChanges(c.levels, 0);
        c.levels.clear();
        m_done = true;
        ClubChanges::committed(changes);
        return;
    }
    exec(h, QStringLiteral("RELEASE ") + m_savepoint);
    // Released, the savepoint's changes (and those of any savepoint left open inside it) are its
    // parent's, told or dropped with it.
    const HeldChanges changes = allChanges(c.levels, m_level - 1);
    c.levels.resize(m_level - 1);
    c.levels.back().add(changes);
    m_done = true;
}

void Transaction::rollback()
{
    if (m_done)
        return;
    m_done = true;
    Connection& c = m_db.conn();
    // Gone already: SQLite ended it, or the connection was closed after that.
    if (!stillOpen(c))
        return;
    // What was announced at this level and inside it never reaches the file.
    c.levels.resize(m_level - 1);
    sqlite3* h = c.db();
    if (m_savepoint.isEmpty())
        exec(h, QStringLiteral("ROLLBACK"));
    else
        exec(h, QStringLiteral("ROLLBACK TO ") + m_savepoint + QStringLiteral("; RELEASE ") + m_savepoint);
}

} // namespace tikkeli
