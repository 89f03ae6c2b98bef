#pragma once

#include "db/Database.h"

#include <QString>
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

    // Deletes every invoice of jm with its rows and gives back the fee-paid flags the run cleared.
    // While none of the run's invoices has reached a member, the counter winds back by the number
    // deleted, though never onto a number the history still holds: C = max(C - n, largest + 1).
    // Once one was printed or e-mailed the counter stays, so its number and reference are never
    // handed out again. The shared counter changes once this is committed. Returns the number
    // deleted.
    static int DeleteAll(Database& db);

    // Remembers that the run's invoices went to print (under "LaskutTulostettu": the largest
    // number printed so far).
    static void MarkRunPrinted(Database& db);
    // Whether any invoice of jm was printed or e-mailed: its number may be in a member's hands.
    static bool RunReachedMembers(Database& db);
    // The delete question, saying whether the numbers come back.
    static QString DeleteQuestion(Database& db);
};

} // namespace tikkeli
