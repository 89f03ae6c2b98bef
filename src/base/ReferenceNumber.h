#pragma once

#include <QString>

namespace tikkeli {

// Finnish domestic reference numbers (weights 7, 3, 1 from the right).
class ReferenceNumber {
public:
    // The check digit of base, "0" to "9". A character that is not a digit counts 0 but keeps its
    // place in the weight cycle; an empty text gives "0".
    static QString checkDigit(const QString& base);
    // The reference of an invoice number: its decimal text followed by the check digit (123 -> 1232).
    static QString fromInvoiceNumber(qint32 invoiceNumber);

    // The member card's "Lisää viitetarkiste": the trimmed text with one check digit appended, or
    // the notice to show instead (nothing appended).
    struct CardResult {
        QString text;
        QString notice;
        bool ok() const { return notice.isEmpty(); }
    };
    static CardResult appendToCardText(const QString& boxText);
    static constexpr int MaxCardTextLength = 19;
};

// The name the invoicing code calls it by; the bare digit, so callers have nothing to trim.
inline QString ReferenceCheckDigit(const QString& base) { return ReferenceNumber::checkDigit(base); }

} // namespace tikkeli
