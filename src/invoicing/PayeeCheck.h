#pragma once

#include "db/Database.h"
#include "invoicing/Reminders.h"

#include <QDate>
#include <QString>
#include <QStringList>

namespace tikkeli {

// What an invoice or a reminder must hold before it goes to a payer: the club's name, an IBAN
// whose check holds, and references whose check digits hold. Printing or e-mailing anything
// else would give a payer a form his bank refuses or, worse, a payment that finds no invoice.
class PayeeCheck {
public:
    // Everything that fails, named in one Finnish message; empty when all holds. Invoices that
    // carry no reference are not checked for one.
    static QString problems(const QStringList& references);

    // The references of the run's invoices (memberId < 1: all of them).
    static QStringList runReferences(Database& db, qint64 memberId = 0);
    // The references of the invoices a reminder run over the range would take.
    static QStringList reminderReferences(Database& db, const ReminderRange& range, const QDate& today);
};

} // namespace tikkeli
