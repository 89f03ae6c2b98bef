#pragma once

#include "db/Database.h"

#include <QString>
#include <optional>
#include <vector>

namespace tikkeli {

// A member's invoices in the invoice history (jmhist) and their payment marking.
class MemberInvoices {
public:
    struct Entry {
        qint32 id = 0; // jmhID
        QString line;  // amount " - " text
    };
    // The detail texts as the tab shows them.
    struct Details {
        QString otsake, erapaiva, laskupaiva, laskunumero, viitenumero, hinta, teksti;
        QString jasenmaksu; // "Kyllä", "Ei" or "-"
        QString maksettu;   // "Kyllä" or "Ei"
    };
    struct MarkOutcome {
        bool found = false;
        qint32 invoiceId = 0;       // jmhID of the row marked
        qint32 feePaidMemberId = 0; // member whose jrJasenmaksu was set, 0 for none
    };

    // Oldest invoice first.
    static std::vector<Entry> list(Database& db, qint32 memberId);
    static std::optional<Details> details(Database& db, qint32 invoiceId);
    // Marks the history invoice invoiceId (jmhID) paid, with its rows and, for a membership-fee
    // invoice, the member's fee; all in one transaction. Throws DbException. The invoice is named by
    // its id, not by its reference: a reference may be empty, padded or shared by several invoices.
    static MarkOutcome markPaid(Database& db, qint32 invoiceId);
    static QString notFoundMessage(const QString& reference);
};

} // namespace tikkeli
