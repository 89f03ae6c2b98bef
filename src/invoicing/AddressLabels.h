#pragma once

#include "db/Database.h"
#include "invoicing/HistoryRange.h"

namespace tikkeli {

// The label print's data: marks the history rows of a range for print and refills the label
// table from the marked rows, in the history print order.
class AddressLabels {
public:
    // Empties Tarra and writes one label per marked history row whose address has any non-empty
    // line. One transaction with the marking; returns the labels written.
    static int PrepareLabels(Database& db, const HistoryRange& range);
    // The refill alone, over the rows already marked.
    static int FillLabelTable(Database& db);
};

} // namespace tikkeli
