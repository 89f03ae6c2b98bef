#pragma once

#include "contracts/ContractCardFields.h"
#include "contracts/ContractEstates.h"
#include "db/Database.h"

#include <QString>
#include <array>
#include <map>
#include <vector>

namespace tikkeli {

// What the contract window has pending: the boxes typed since the card was shown, the option of
// each group, and the estate rows typed into the grid.
struct ContractCardEdit {
    qint64 id = 0;                                             // the contract shown; 0 for a new one
    bool cardChanged = true;                                   // false: only estate rows are pending
    std::map<int, QString> boxes;                              // ContractCardFields box index → text
    std::array<int, ContractCardFields::GroupCount> options{}; // the chosen code; 0 for none
    std::vector<ContractEstates::Row> estates;
};

struct ContractCardStored {
    qint64 id = 0;
    std::vector<qint64> estateIds; // in the order of ContractCardEdit::estates
};

// Stores the contract window's card with its estate rows through the contract record, in one
// transaction: the contract is stored with all its typed estates or, after any failure, not
// changed at all (a new contract is then not stored). What the user typed is checked before
// anything is written; a text the card refuses throws DbException 13 naming the box. A contract
// deleted by another window throws DbException 3167.
class ContractCardStore {
public:
    static ContractCardStored save(Database& db, const ContractCardEdit& edit);
};

} // namespace tikkeli
