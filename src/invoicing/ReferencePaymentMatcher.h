#pragma once

#include "db/Database.h"
#include "platform/ReferencePaymentReader.h"

#include <QString>
#include <vector>

namespace tikkeli {

// Sorts the payments of one bank batch against the invoice history: arrived, reference not found,
// member gone, already paid, or wrong sum, each with the text the import window lists. A payment
// arrives when it equals the invoice's sum or the total of its latest reminder.
class ReferencePaymentMatcher {
public:
    enum class Outcome { Arrived, ReferenceNotFound, MemberMissing, WrongSum, AlreadyPaid };
    struct Match {
        Outcome outcome = Outcome::ReferenceNotFound;
        qint64 historyId = -1; // -1 when no history row carries the reference
        QString text;
    };

    explicit ReferencePaymentMatcher(const Database& db) : m_db(db) {}

    // One match per payment, in the batch's order. All references are looked up in one query,
    // as bound values.
    std::vector<Match> match(const ReferencePaymentBatch& batch);

    // 1234 -> "12,34", 5 -> "0,05", 0 -> "0,00": the Finnish decimal comma.
    static QString FormatCents(qint64 cents);
    // The reference as the history stores it: blanks and leading zeros dropped; an RF reference
    // whose check digits hold gives the domestic reference inside it. Anything else is returned
    // without blanks, so it matches nothing by accident.
    static QString historyReference(const QString& fileReference);

    // Marks the chosen history invoices paid, deleting them with their rows when deletePaid, all
    // in one transaction: either every one is marked or none. False after an error, which has
    // been shown.
    static bool markPaid(Database& db, const std::vector<qint64>& historyIds, bool deletePaid);

private:
    Database m_db;
};

} // namespace tikkeli
