#pragma once

#include "db/Database.h"

namespace tikkeli {

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
    Database m_db;
    QString m_savepoint;
    bool m_done = false;
};

} // namespace tikkeli
