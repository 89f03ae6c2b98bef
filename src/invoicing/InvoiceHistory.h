#pragma once

#include "db/Database.h"

#include <functional>

namespace tikkeli {

// The current run's invoices (jm) after the run: counted, moved to the history (jmhist) or deleted.
// Each batch command is one transaction: all of the invoices or none.
class InvoiceHistory {
public:
    static int CountRunInvoices(Database& db);
    static int CountEmailedInvoices(Database& db);

    using Progress = std::function<void(int done, int total)>;
    // Copies every invoice to the history and removes it from jm; returns the number moved. The
    // invoice rows (jmRivi) and run texts (me) stay, reached through jmhjmID and jmhjmmeID.
    static int MoveToHistory(Database& db, const Progress& progress = {});

    // Deletes every invoice of jm with its rows, gives back the fee-paid flags the run cleared, and
    // winds the counter back by the number deleted, though never onto a number the history still
    // holds: C = max(C - n, largest + 1). The shared counter changes once this is committed.
    // Returns the number deleted.
    static int DeleteAll(Database& db);
};

} // namespace tikkeli
