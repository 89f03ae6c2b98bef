#pragma once

#include "base/Value.h"
#include "printing/ReportDefinition.h"

#include <QString>

namespace tikkeli {

// Turns field values into the texts a report prints: Finnish dates (d.M.yyyy), amounts and
// numbers with a decimal comma, yes/no fields as "Kyllä"/"Ei" or a check mark.
class FieldFormatter {
public:
    static QString format(const Value& v, const ReportDefinition::Format& f);
    // True for a Boolean true, a non-zero number or a non-empty text other than "0".
    static bool isTrue(const Value& v);
    // The text a `values` key or a print condition compares with: "" for Null, "true"/"false",
    // numbers without trailing zeros, anything else as stored.
    static QString valueKey(const Value& v);
    static QString amount(Currency c, int decimals = 2);
    static QString date(const QDate& d);
};

} // namespace tikkeli
