#pragma once

#include "db/Database.h"
#include "db/HeldChanges.h"

namespace tikkeli {

class Connection;

// All-or-nothing work: rolls back on destruction unless committed. Nests as savepoints.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();
    void rollback();

private:
    friend class ClubChanges;
    // Keeps the changes announced on db with the innermost level of its open transaction, to be
    // told when the whole transaction commits; false when none is open, so the change is in the
    // file already.
    static bool holdChanges(const Database& db, const HeldChanges& changes);
    // Whether this transaction's level is still open in SQLite.
    bool stillOpen(Connection& c) const;

    Database m_db;
    QString m_savepoint;
    std::size_t m_level = 0; // 1 for the outermost, one more for each savepoint inside it
    quint64 m_begun = 0;     // which of the connection's transactions this is part of
    bool m_done = false;
};

} // namespace tikkeli
