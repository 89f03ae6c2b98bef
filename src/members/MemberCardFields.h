#pragma once

#include "base/Value.h"

#include <QString>
#include <QStringList>

namespace tikkeli {

// What the member card's boxes hold: the field behind each box of the contact block (by its fixed
// index), the typing limits and the conversions between box text and field value.
class MemberCardFields {
public:
    static constexpr int Count = 13;
    static constexpr int Number = 0;
    static constexpr int Surname = 1;
    static constexpr int Reference = 9;
    static constexpr int BirthDate = 11;
    static constexpr int JoiningDate = 12;

    static const QStringList& textFields();      // index 0..12
    static const QStringList& labels();          // caption of each box's label ("" where it shares one)
    static const QStringList& checkFields();     // jrEmailLasku, jrJasenmaksu, jrMaanomistaja
    static int maxLength(int index);             // 0 = no limit of the box itself
    static bool isDate(int index) { return index == BirthDate || index == JoiningDate; }

    // The text a box shows for a stored value (dates in the locale's short form).
    static QString textOf(int index, const Value& value);
    // The value written for a box's text: empty text and an invalid date give Null.
    static Value valueOf(int index, const QString& text);
    // A date box's text when it is left: a valid date in the short form, anything else "" (the
    // box then beeps). nullopt-free: an empty text stays empty.
    static QString normalisedDateText(const QString& text, bool* valid);
    // "Sukunimen tulee alkaa kirjaimella." applies: a non-empty surname whose upper-cased first
    // character comes before "A".
    static bool surnameNeedsLetter(const QString& text);
};

} // namespace tikkeli
