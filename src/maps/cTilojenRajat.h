#pragma once

#include "contracts/ContractCriteria.h"
#include "maps/cRajat.h"

#include <vector>

namespace tikkeli {

class BoundaryCache;

// The boundaries of many estates at once, built from the boundary cache (one query over rj for
// all of them, read again only when the database may have changed). Estates without points are
// included, with PointCount 0. Each call returns a new list.
class cTilojenRajat {
public:
    // The process's shared cache unless another is given (tests).
    explicit cTilojenRajat(const Database& db, BoundaryCache* cache = nullptr);

    // One boundary for every estate (row of tl), in tlID order.
    std::vector<cRajat> ReadTilojenRajat();
    // One boundary for every estate of the contracts the query returns (its column vsID; values
    // bound). A contract returned twice gives its estates once.
    std::vector<cRajat> ReadTilojenRajatSQL(const ContractQuery& contracts);
    // The estates of the contracts marked with vsMukaan.
    std::vector<cRajat> ReadMarked();
    // The one estate, when it exists and its contract does; else none.
    std::vector<cRajat> ReadEstate(qint64 tlId);

private:
    std::vector<cRajat> build(const QString& estateSql, const Params& params);

    Database m_db;
    BoundaryCache* m_cache;
};

} // namespace tikkeli
