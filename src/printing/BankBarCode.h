#pragma once

#include "base/Currency.h"

#include <QDate>
#include <QString>
#include <vector>

namespace tikkeli {

// The Finnish bank transfer bar code and its drawing.
class BankBarCode {
public:
    // The version 4 virtual bar code (54 digits): "4", the 16 digits of a Finnish IBAN, euros
    // (6 digits) and cents (2), "000", the national reference (20 digits, zeros in front) and the
    // due date as YYMMDD ("000000" for none). An amount of one million or more, or a negative
    // one, is written as zero, which leaves the amount to the payer. Empty when the IBAN is not
    // a Finnish one or the reference is missing or longer than 20 digits.
    static QString version4(const QString& iban, Currency amount, const QString& reference, const QDate& due);
    // The same from the texts a report prints: amount "1234,50", due date "d.M.yyyy".
    static QString version4FromTexts(const QString& iban, const QString& amount, const QString& reference,
                                     const QString& due);

    // A bar of a drawn bar code: left edge and width, as fractions of the symbol's width.
    struct Bar {
        double x;
        double width;
    };
    // The bars of a Code 128 symbol of the text; empty when the text cannot be encoded.
    static std::vector<Bar> code128(const QString& text);
};

} // namespace tikkeli
