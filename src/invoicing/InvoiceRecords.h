#pragma once

#include "base/Currency.h"
#include "db/Database.h"

#include <QDate>
#include <QString>
#include <array>
#include <optional>

namespace tikkeli {

// The member fields an invoice freezes, read once per recipient.
struct InvoiceMember {
    qint64 id = 0;
    Value surname, firstName, street, postcode, postOffice, memberNumber;
    Value reference; // jrViitenumero
    Value feePaid;   // jrJasenmaksu
};

// The address block stored with an invoice: six lines, the postcode and the member number.
struct InvoiceAddress {
    std::array<QString, 6> lines;
    QString postcode;
    QString memberNumber;

    // Line 2 "surname firstname", line 3 the street, line 5 "postcode post office" (each trimmed
    // at both ends, Null parts empty); every line cut to 100 characters, the postcode to 5 and the
    // member number to 10. Lines 1, 4 and 6 stay empty.
    static InvoiceAddress of(const InvoiceMember& m);
};

struct InvoiceRecord {
    qint64 memberId = 0;
    QDate dueDate;
    QDate invoiceDate;
    qint32 number = 0;
    QString reference;
    Currency total;
    QString giroText;
    QString title;
    qint64 runTextId = 0;
    bool noReference = false; // the invoice stores no reference, whatever was worked out
    bool feeInvoice = false;
};

// The writers of an invoice run's records: the run text (me), the invoices (jm) and their rows
// (jmRivi). Every value is a bound parameter; an empty text is stored as Null. The caller holds the
// transaction that makes the run all-or-nothing.
class InvoiceRecords {
public:
    // The new meID, or 0 (nothing written) for an empty text.
    static qint64 CreateRunText(Database& db, const QString& text);
    // Reads the member itself; 3021 when there is no such member (nothing written).
    static qint64 CreateInvoiceRecord(Database& db, const InvoiceRecord& invoice);
    // With the member already read (the run reads all its recipients in one query).
    static qint64 CreateInvoiceRecord(Database& db, const InvoiceRecord& invoice, const InvoiceMember& member);
    // price nullopt stores a row without a price.
    static void CreateInvoiceRow(Database& db, qint64 memberId, qint64 invoiceId, qint64 runTextId, const QDate& rowDate,
                                 std::optional<Currency> price, const QString& text);

    // The member as the invoice writers read it; nullopt when there is none.
    static std::optional<InvoiceMember> readMember(Database& db, qint64 memberId);
    // The column list readMember and the run's recipient queries select, in InvoiceMember order.
    static QString memberColumns(const QString& tablePrefix = {});
    static InvoiceMember memberFromRow(const class Recordset& rs);
};

} // namespace tikkeli
