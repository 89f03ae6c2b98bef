#pragma once

#include "db/Database.h"

#include <QString>
#include <optional>
#include <vector>

namespace tikkeli {

// Recording a payment against a history invoice, and taking a paid invoice out of the books.
class InvoicePayments {
public:
    // The history invoice a typed reference stands for. Personal references repeat across
    // invoices, so an unpaid invoice wins over a paid one, and among those the oldest.
    static std::optional<qint64> FindHistoryByReference(Database& db, const QString& reference);

    // Marks one history invoice and its rows paid, and a fee invoice's member as having paid the
    // fee; all or nothing. An unknown id changes nothing and counts as done. A database error is
    // shown ("Virhe: n: text") and gives false.
    static bool MarkReminderPaid(Database& db, qint64 historyId);
    // Deletes the invoice's rows and its history row in one transaction. Throws DbException
    // (3021) when there is no such history row.
    static bool DeleteInvoiceRows(Database& db, qint64 historyId);
    static void SetMemberFeePaid(Database& db, qint64 memberId);
    // Whether the history still holds the invoice: another window may have deleted it.
    static bool HistoryRowExists(Database& db, qint64 historyId);

    // The rows of the payment marking grid, by reference number as text: filter 0 unpaid, 1 paid,
    // 2 all; any other filter gives none.
    struct GridRow {
        qint64 id = 0;
        QString reference;
        bool paid = false;
        QString member; // "surname firstname", empty when the member is gone
    };
    static std::vector<GridRow> GridRows(Database& db, int filter);
};

} // namespace tikkeli
