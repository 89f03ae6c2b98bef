#pragma once

#include "db/Database.h"
#include "members/FeatureAttach.h"

#include <vector>

namespace tikkeli {

// The contracts a feature can be attached to at once.
class ContractFeatureAttach {
public:
    // Every contract by name, shown as "name - post office" (a missing part as empty). A contract
    // without a name is listed too: it still holds its estates and features.
    static std::vector<AttachListEntry> contracts(Database& db);
};

} // namespace tikkeli
