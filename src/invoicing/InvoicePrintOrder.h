#pragma once

#include "db/Database.h"

#include <QString>

namespace tikkeli {

// Print order and print marks of the invoices. Every print first numbers its rows 0, 1, 2, ...
// so that the reports can sort on that number, and the history prints take exactly the rows
// marked for them.
class InvoicePrintOrder {
public:
    // Numbers every jm row: order 0 by the address lines 1 and 2 (line 2 holds the name, so in
    // effect by name), any other order by postcode. One transaction.
    static void NumberInvoicePrintOrder(Database& db, int order);
    // The same over jmhist.
    static void NumberReminderPrintOrder(Database& db, int order);
    // Clears every print mark and marks the history rows that `where` (a condition over jmhist
    // with its values bound as params) selects; returns how many were marked. One transaction.
    static int MarkRemindersForPrint(Database& db, const QString& where, const Params& params = {});
    static bool ClearReminderPrintMarks(Database& db);
    static int CountInvoices(Database& db);

private:
    static void number(Database& db, const QString& table, const QString& key, const QString& orderBy, const QString& field);
};

} // namespace tikkeli
