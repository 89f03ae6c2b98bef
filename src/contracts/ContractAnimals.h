#pragma once

#include "contracts/cElain.h"
#include "db/Database.h"

#include <QString>
#include <optional>
#include <vector>

namespace tikkeli {

// The game animals a contract names: its link rows in et and the names text
// vsEiKoskeSeuraavia, which the contract card and print show.
class ContractAnimals {
public:
    // What the names text holds at the most.
    static constexpr int NamesMaxLength = 255;

    // Every animal of the catalogue in name order (one without a name cannot be chosen).
    static std::vector<cElain> LoadAllAnimals(Database& db);
    // The animals the contract links to, in the order they were chosen; a link whose animal is
    // gone is left out.
    static std::vector<cElain> LoadContractAnimals(Database& db, qint64 vsId);
    // The names joined by ", ".
    static QString JoinNames(const std::vector<cElain>& animals);

    // Makes the animals the contract's whole list: its links and its names text are rewritten
    // together, all or nothing. A Finnish reason (nothing written) when the names do not fit the
    // names text; DbException when the database refuses (nothing written either).
    static std::optional<QString> SaveContractAnimals(Database& db, qint64 vsId, const std::vector<cElain>& animals);
};

} // namespace tikkeli
