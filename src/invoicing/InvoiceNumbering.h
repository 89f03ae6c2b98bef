#pragma once

#include "db/Database.h"

#include <QString>

namespace tikkeli {

// Invoice numbers and the identities of invoices.
//
// The counter (shared state InvoiceNumberCounter, stored under "Laskunro") holds the number the
// next invoice gets. A run may start only while it lies above every number in use.
class InvoiceNumbering {
public:
    // The largest invoice number of the history and of the current invoices; 0 when both are empty.
    static qint32 LargestInvoiceNumber(Database& db);

    // Makes sure the next jm identity lies above every jmRivi.jmRjmID (and every jmhist.jmhjmID,
    // since history rows reach their invoice rows by that id), so rows left by earlier invoices
    // never attach to a new one. Raises the table's sequence directly; never lowers it.
    static void AdvanceInvoiceIdSeed(Database& db);
    // The identity the next jm row will get.
    static qint64 NextInvoiceId(Database& db);

    // The counter as stored under "Laskunro" (read as start-up reads it). Another program on the
    // same database may have stepped it since start-up, so whatever hands out numbers reads it
    // here, inside its write transaction, never from the shared state.
    static qint32 storedCounter(Database& db);
    // Writes the counter under "Laskunro" in the caller's database (and transaction). The shared
    // state is the caller's to update once the work is committed.
    static void storeCounter(Database& db, qint32 value);
};

} // namespace tikkeli
