#pragma once

#include "contracts/ContractCriteria.h"

namespace tikkeli {

// The set of contracts a list prints over lives in the database: vsMukaan marks the contracts of
// the set, vsMukaan2 is scratch space of one filter step. Filters intersect; only a reset widens
// the set again. Some lists print from the summary table mvs, one row per contract (or several
// when its texts would grow past 255 characters). Each operation is all-or-nothing.
class ContractSelection {
public:
    // Every contract selected.
    static void ResetSelection(Database& db);
    // Keeps selected only the selected contracts that the query returns (its column vsID; a
    // contract may come more than once). An empty query changes nothing.
    static void FilterSelection(Database& db, const ContractQuery& query);
    // Empties mvs and writes the summary rows of the contracts the query returns, in its order
    // (consecutive rows of one contract count once). The query returns the vs columns vsID,
    // vsNimi, vsVoimassa, vsVoimassaAlkaen and vsVoimassaPaattyy.
    static void RebuildSummaryTable(Database& db, const ContractQuery& query);
    // RebuildSummaryTable, then the total area of mvs in hectares (0 for none).
    static double SumSelectedArea(Database& db, const ContractQuery& query);

    // The query the lists use for the selected contracts.
    static ContractQuery selected(bool byName = false);
    static constexpr int TextLimit = 255;
};

// Sums areas without the drift of binary fractions: each addend is taken to six decimals
// (a hundredth of a square metre in hectares), so 0,1 + 0,2 gives 0,3.
class AreaTotal {
public:
    void add(double hectares);
    double value() const;
    bool isZero() const { return m_micro == 0; }

private:
    qint64 m_micro = 0;
};

} // namespace tikkeli
