#pragma once

#include "contracts/ContractCriteria.h"

#include <QString>
#include <vector>

namespace tikkeli {

// What the criteria dialogs of the contract lists read from the database.
namespace ContractCriteriaLists {

struct Entry {
    qint32 id;
    QString name;
};

// The feature definitions of one piType by name. Definitions without a name are removed from
// the catalogue first (they cannot be chosen anywhere); withBlank false also skips names of
// blanks only.
std::vector<Entry> features(Database& db, qint32 piType, bool withBlank);
// The game animals by name; animals without a name are removed from the catalogue first, with
// their contract links.
std::vector<Entry> animals(Database& db);

// How many contracts carry the feature with values passing the tests, their estates and the
// estates' area (exact to the stored decimals). A contract with the feature twice counts once.
struct FeatureCount {
    qint64 contracts = 0;
    qint64 estates = 0;
    double area = 0.0;
};
FeatureCount countFeature(Database& db, const ContractCriteria::Feature& f);

} // namespace ContractCriteriaLists

} // namespace tikkeli
