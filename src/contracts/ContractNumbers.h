#pragma once

#include "db/Database.h"

#include <QString>

namespace tikkeli {

// The automatic contract numbers. Two windows, or two program instances on one database, never
// hand out the same number: the counter is read from the database (not from memory), checked
// against the numbers the contracts already hold, written and stepped inside one write
// transaction, which another writer waits for.
class ContractNumbers {
public:
    // The number a new contract gets: the counter "Sopimusnro" of the section "TIKKELI", or one
    // past the largest number a contract holds when that is larger. The counter is stored as the
    // number after it, and the program's counter follows. DbException 6 when it would overflow;
    // nothing is stored then.
    static QString next(Database& db);
};

} // namespace tikkeli
