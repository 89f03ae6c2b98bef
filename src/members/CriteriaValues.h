#pragma once

#include "base/Currency.h"

#include <QDate>
#include <QString>
#include <optional>

namespace tikkeli {

// The readers of the values typed into criteria boxes (the member criteria dialog's refinements
// and dates, the contract criteria's feature tests). The dialog's check on leaving a box, the
// member selection and the contract lists read a text by the same reader, so a value the dialog
// lets through is one the selection uses, and the dialog hands on the value read.

// A date criterion: a day, or a pattern on the four-digit year ("19*", "198?", "19?5").
struct DateCriterion {
    QDate date;          // the day, when there is no pattern
    QString yearPattern; // digits with the wildcards * (any digits) and ? (one digit)

    bool isYearPattern() const { return !yearPattern.isEmpty(); }
    // As the box and the criteria line show it: "5.3.2024", or the pattern as typed.
    QString text() const;
    bool operator==(const DateCriterion&) const = default;
};

// What a typed text reads as: nothing (an empty or blank text), a value, or not a value of its
// kind (readable false: the dialog empties the box with a beep).
template <typename T>
struct CriterionReading {
    bool readable = true;
    std::optional<T> value;
};

// A Finnish date ("5.3.2024", "05.03.24"; a day and month alone, "5.3.", are this year's) or a
// year pattern of digits, * and ?. A time alone and an impossible day are no date.
CriterionReading<DateCriterion> ReadDateCriterion(const QString& typed);
// A number as typed into a criteria or width box: an optional sign, a decimal comma or point and
// blanks between digit groups. No exponent: "1e3" is a typing slip, not a thousand. Nothing for a
// blank text or one that is no such number.
std::optional<double> ReadTypedNumber(const QString& typed);
// A typed number (ReadTypedNumber) rounded to the nearest whole number (a half to the even one);
// it must fit 32 bits.
CriterionReading<qint32> ReadWholeNumberCriterion(const QString& typed);
// An amount with a decimal comma or point, blanks between digit groups and an optional euro
// sign after it, as Currency holds it (four decimals). No exponent.
CriterionReading<Currency> ReadMoneyCriterion(const QString& typed);

} // namespace tikkeli
