#pragma once

#include "base/Currency.h"

#include <QDate>
#include <QString>
#include <optional>

namespace tikkeli {

// How the invoicing window's boxes read and show amounts and dates (Finnish form).
class InvoiceInput {
public:
    // "12,50", "-3", "1 234,5", also with the euro sign the total box shows ("12,50 €"); nullopt
    // for anything else, the empty text included.
    static std::optional<Currency> parseMoney(const QString& text);
    // Two decimals, groups of three split by a no-break space, and the euro sign: "1 234,50 €".
    static QString formatMoney(Currency amount);
    // A date as the user writes it ("5.3.2026", "05.03.26", "2026-03-05"); a time alone is no date.
    static std::optional<QDate> parseDate(const QString& text);
    // The short form the boxes show: "5.3.2026".
    static QString formatDate(const QDate& date);
};

} // namespace tikkeli
