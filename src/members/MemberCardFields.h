#pragma once

#include "base/Value.h"

#include <QString>
#include <QStringList>
#include <optional>

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

    static const QStringList& textFields();  // index 0..12
    static const QStringList& labels();      // caption of each box's label ("" where it shares one)
    static const QStringList& checkFields(); // jrEmailLasku, jrJasenmaksu, jrMaanomistaja
    // The most characters the field behind box index holds (from the table's definition).
    static int maxLength(int index);
    // The field's name in messages: "Sukunimi", "Postitoimipaikka"...
    static QString caption(int index);
    static bool isDate(int index) { return index == BirthDate || index == JoiningDate; }

    // The text a box shows for a stored value (dates in the locale's short form).
    static QString textOf(int index, const Value& value);
    // The value written for a box's text: empty text gives Null. A date box whose text is no
    // date gives nullopt: a typing error must never store Null over the member's date.
    static std::optional<Value> valueOf(int index, const QString& text);
    // A date box's text when it is left: a valid date in the short form, an empty text stays
    // empty; nullopt for a text that is no date (the box keeps it for correction).
    static std::optional<QString> normalisedDateText(const QString& text);
    // "Syntymäpäivä: "31.2.2024" ei ole päivämäärä." - the refusal of a date box's text.
    static QString notADateMessage(int index, const QString& text);
    // The Finnish message for a refused write whose database text names one of the card's fields
    // (a too long value), or "" when the text names none.
    static QString refusalMessage(const QString& databaseText);
    // "Sukunimen tulee alkaa kirjaimella." applies: a non-empty surname whose upper-cased first
    // character comes before "A".
    static bool surnameNeedsLetter(const QString& text);
};

} // namespace tikkeli
