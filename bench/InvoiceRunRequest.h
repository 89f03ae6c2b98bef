#pragma once

#include "invoicing/InvoiceRun.h"

namespace tikkeli::bench {

// The run the invoicing benchmarks make: a membership fee and a magazine for every member.
inline InvoiceRunRequest membershipRun()
{
    InvoiceRunRequest r;
    r.title = QStringLiteral("Jäsenmaksu 2027");
    r.invoiceDate = QStringLiteral("15.1.2027");
    r.dueDate = QStringLiteral("15.2.2027");
    r.giroText = QStringLiteral("Jäsenmaksu ja lehti");
    r.runText = QStringLiteral("Kiitos tuesta!");
    r.feeInvoice = true;
    r.rows[0] = {true, QStringLiteral("Jäsenmaksu"), QStringLiteral("40,00")};
    r.rows[1] = {true, QStringLiteral("Lehti"), QStringLiteral("5,50")};
    r.total = QStringLiteral("45,50 €");
    return r;
}

} // namespace tikkeli::bench
