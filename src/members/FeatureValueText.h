#pragma once

#include "base/Value.h"

#include <QString>
#include <optional>

namespace tikkeli {

// The four values a feature carries (a date, a whole number, an amount of money and a memo) as the
// user types them in a box, and the one reading every feature window applies to them.
class FeatureValueText {
public:
    enum class Kind { Date, Long, Currency, Memo };
    static constexpr int KindCount = 4;

    // "Päivämäärä", "Luku", "Arvo", "Muistio": the field's name in messages.
    static QString fieldName(Kind kind);
    // The longest text a box of the kind takes; the memo's limit keeps one value a readable size.
    static int maxLength(Kind kind);

    struct Reading {
        Value value;                    // Null for an empty box
        std::optional<QString> refusal; // Finnish, naming the field, when the text is refused
        bool ok() const { return !refusal.has_value(); }
    };
    // An empty text is Null. A date is a Finnish date; a number is a whole number in the 32-bit
    // range (a fraction such as "4,5" is refused, never rounded); an amount is money in the
    // currency range; a memo is any text up to its length.
    static Reading read(Kind kind, const QString& text);
    // The text a box shows for an accepted value (a date in its short form); other texts unchanged.
    static QString normalized(Kind kind, const QString& text);
};

} // namespace tikkeli
