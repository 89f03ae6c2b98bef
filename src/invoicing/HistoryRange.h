#pragma once

#include "db/Database.h"

#include <QString>
#include <vector>

namespace tikkeli {

// Which history invoices a copy, list or label print covers: the answer of the range dialog.
// The invoice numbers are digits or empty (empty = open end); state 0 all, 1 paid, 2 unpaid;
// kind 0 all, 1 membership-fee invoices, 2 others.
struct HistoryRange {
    QString LaskunroAlku;
    QString LaskunroLoppu;
    int LaskunTila = 0;
    int LaskunLaji = 0;

    // A condition over jmhist for SQL, with its values bound in `params`.
    QString sqlCondition(Params& params, bool withKind = true) const;
    // The selection formula of a history list: the initial selection extended by the range. The
    // numbers go in as numbers only (anything else is dropped), so a typed text never becomes
    // part of the formula.
    QString listSelection(const QString& initial) const;
    // The list's heading, e.g. "LASKUTUSLISTA: 100 - 120 : Maksetut : Kaikki".
    QString listHeading(const QString& title) const;
    // What a copy print tells when the range holds no invoice, naming the state chosen:
    // "Ei löydy maksettuja laskuja väliltä: 100 - 120".
    QString nothingFoundText() const;
};

} // namespace tikkeli
