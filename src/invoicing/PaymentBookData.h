#pragma once

#include "db/Database.h"

namespace tikkeli {

// The payment book's whole-table work on the invoice history.
class PaymentBookData {
public:
    // Both leave the invoices' rows (jmRivi) in place; each returns the rows deleted.
    static int DeleteAllHistory(Database& db);
    static int DeletePaidHistory(Database& db);
    // Fills the address snapshot of history rows written before invoices carried one (all six
    // lines Null) from their member; a row whose member is gone has nothing to fill. Rows with
    // any line set are left alone, so a second call changes nothing. One transaction; returns
    // the rows filled.
    static int TarkistaJmHistOsoitteet(Database& db);
};

} // namespace tikkeli
