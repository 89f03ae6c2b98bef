#pragma once

#include "invoicing/HistoryRange.h"

#include <QString>

namespace tikkeli {

// The layout chosen for invoice prints; kept while the program runs.
struct InvoiceLayoutChoice {
    bool InvoiceGiroForm = false;
    bool InvoiceFinnishOnly = false;
    bool InvoiceMemberCard = false; // handed on, selects nothing
};
InvoiceLayoutChoice& InvoiceLayout();

// How every invoice, copy, list and label print fills the report control (MainReport()): each
// resets it, then sets the report file, destination and copies from the print dialog's answer,
// section fonts, margins, formulas, selection formula and sort field. Run it with setAction(1).
class InvoicePrints {
public:
    // "latilis1.rpt" .. "lalask2.rpt": the run's invoices.
    static QString InvoiceReportFile(bool giro, bool finnishOnly);
    // "lhtilis1.rpt" .. "lhlask2.rpt": one history invoice or its copies.
    static QString HistoryReportFile(bool giro, bool finnishOnly);

    // The run's invoices (jm) in print order: memberId < 1 all of them (only those not e-mailed
    // when asked), otherwise that member's.
    static void PrepareRunInvoices(qint64 memberId, bool onlyNotEmailed);
    // One history invoice.
    static void PrepareHistoryInvoice(qint64 historyId);
    // The history rows marked for print.
    static void PrepareMarkedHistoryInvoices();
    // The reminders of the history rows marked for print, on the transfer form in print order,
    // with the club's data and the reminder's opening and closing texts; only those not e-mailed
    // when asked.
    static void PrepareReminders(bool onlyNotEmailed);
    // A billing or reference list: the initial selection extended by the range, the heading
    // from the title.
    static void PrepareHistoryList(const QString& file, const QString& initialSelection, const QString& title,
                                   const HistoryRange& range);
    // The label sheet over the table Tarra, with the label margins.
    static void PrepareLabels();
};

} // namespace tikkeli
