#pragma once

#include <QString>

namespace tikkeli {

// Where one kind of record keeps the values of its features: members in pt (ptjrID), contracts in
// mt (mtvsID). Both kinds take their definitions from pi, told apart by piType. The names are the
// program's own constants, never text from a user.
struct FeatureTable {
    QString table;      // "pt"; its fields are the prefix and ID, piID, ValDate, ValLong, ValMemo, ValCurrency
    QString ownerField; // "ptjrID"
    int definitionType; // piType of the definitions offered
    // A new value starts with the defaults of its definition (members) or empty (contracts).
    bool attachCopiesDefaults;
    QString ownerTable; // "jr"
    QString ownerKey;   // "jrID"

    QString field(const char* name) const { return table + QLatin1String(name); }

    static const FeatureTable& members();
    static const FeatureTable& contracts();
};

} // namespace tikkeli
