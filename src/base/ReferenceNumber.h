#pragma once

#include <QString>

namespace tikkeli {

// Finnish domestic reference numbers (weights 7, 3, 1 from the right). A reference is a base of
// 3 to 19 digits followed by its check digit; blanks only group the digits for the eye.
class ReferenceNumber {
public:
    static constexpr int MinBaseDigits = 3;
    static constexpr int MaxBaseDigits = 19;

    // The check digit of base, "0" to "9", over its digits only: blanks and any other character
    // are skipped and take no place in the weight cycle. An empty text gives "0". For a text a
    // user typed, use checked(), which refuses what is no reference base.
    static QString checkDigit(const QString& base);

    // A typed base read strictly: blanks are removed; any other character that is not a digit, or
    // fewer than 3 or more than 19 digits, is refused with a Finnish message (error).
    struct Checked {
        QString base;      // the digits
        QString reference; // the digits and the check digit
        QString error;
        bool ok() const { return error.isEmpty(); }
    };
    static Checked checked(const QString& typedBase);

    // A domestic reference as written (blanks group digits): 2 to 20 digits whose last is the
    // check digit of the others.
    static bool holds(const QString& reference);
    // ISO 7064 mod 97-10 over a compact text (an IBAN, an RF reference): the first four characters
    // moved to the end, letters read as 10..35; true when the remainder is 1.
    static bool mod97Holds(const QString& compact);
    // An IBAN as written (blanks allowed): two letters, two check digits, 11 to 30 letters or
    // digits, and its mod 97 check holds.
    static bool ibanHolds(const QString& iban);

    // The reference of an invoice number: its decimal text followed by the check digit (123 -> 1232).
    static QString fromInvoiceNumber(qint32 invoiceNumber);

    // The member card's "Lisää viitetarkiste": the typed base as digits with one check digit
    // appended, or the notice to show instead (nothing appended, text unchanged).
    struct CardResult {
        QString text;
        QString notice;
        bool ok() const { return notice.isEmpty(); }
    };
    static CardResult appendToCardText(const QString& boxText);
    static constexpr int MaxCardTextLength = MaxBaseDigits;
};

// The name the invoicing code calls it by; the bare digit, so callers have nothing to trim.
inline QString ReferenceCheckDigit(const QString& base)
{
    return ReferenceNumber::checkDigit(base);
}

} // namespace tikkeli
