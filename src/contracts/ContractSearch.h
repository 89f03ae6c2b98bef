#pragma once

#include "db/Database.h"

#include <QString>
#include <vector>

namespace tikkeli {

// The queries of the contract search: the lists it offers and the lookups of a typed contract
// number or estate register number. Typed texts are bound parameters and compared exactly.
class ContractSearch {
public:
    struct Entry {
        QString text;
        qint64 id = 0; // vsID for contract numbers, tlID for register numbers
    };
    // Contract numbers that are not empty, in Finnish order, with their vsID.
    static std::vector<Entry> contractNumbers(Database& db);
    // Register numbers of estates that belong to an existing contract, in order, with their tlID.
    static std::vector<Entry> registerNumbers(Database& db);

    // The vsID of the first contract found, 0 when there is none.
    static qint64 byContractNumber(Database& db, const QString& number);
    static qint64 byRegisterNumber(Database& db, const QString& number);
    static qint64 byEstate(Database& db, qint64 tlId);
};

} // namespace tikkeli
