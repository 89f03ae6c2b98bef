#pragma once

#include "base/Value.h"

#include <QString>
#include <array>

namespace tikkeli {

// What the contract card's boxes and option groups hold: the field behind each box, its kind
// and typing limit, the conversions between box text and field value, and the option codes.
class ContractCardFields {
public:
    enum Box {
        SopimusNo,
        Nimi,
        Osoite0,
        Osoite1,
        Osoite2,
        Osoite3,
        Elaimet,
        SopimIrtisAika,
        Alkaa,
        Paattyy,
        VuosiVastike,
        VuosiErapaiva,
        KausiVastike,
        KausiErapaiva,
        Pankkiyhteys,
        MetsOikSiirto,
        Muutokset,
        MetsastysOikeus,
        YleisetEhdot,
        MuutEhdot,
        PaikkaJaAika,
        Count
    };
    enum class Kind { Text, Memo, Date, Months, Money };
    struct BoxDef {
        const char* objectName;
        const char* field;
        Kind kind;
        int maxLength;     // 0: no limit of the box itself
        const char* label; // names the box in messages
    };
    static const BoxDef& box(int index);
    static bool isDate(int index) { return box(index).kind == Kind::Date; }

    // The text a box shows for a stored value (dates in the short form d.M.yyyy, amounts with a
    // decimal comma).
    static QString textOf(int index, const Value& value);
    // The value written for a box's text: an empty text gives Null. A date box reads its text as
    // the member card does (ReadDate). A text that is no date, a number box whose text is no
    // number in its range and a negative rent throw DbException 13 naming the box, so the save
    // fails with the reason and the typed card stays.
    static Value valueOf(int index, const QString& text);
    // A date box's text when it is left: a valid date in the short form; a text that is no date
    // is given back as typed with valid = false. An empty text stays empty and valid.
    static QString normalisedDateText(const QString& text, bool* valid);
    // The message for a date box holding a text that is no date.
    static QString notADateMessage(int index, const QString& text);

    // The option groups: the stored code is the option's number (1..count).
    struct OptionGroup {
        const char* name; // control prefix: optKoskee_1 .. optKoskee_4
        const char* field;
        int count;
        int shownForNull;
    };
    static constexpr int GroupCount = 5;
    enum Group { Koskee, Voimassa, Vastike, Oikeus, Koira };
    static const std::array<OptionGroup, GroupCount>& optionGroups();
    // The option shown for a stored code: Null shows the group's default, 0 or an unknown code none.
    static int shownOption(int group, const Value& stored);
    // Coverage codes 3 and 4 name animals: the animal box and button are usable only then.
    static bool coverageNamesAnimals(int code) { return code == 3 || code == 4; }

    // The general terms of a new contract: four clauses joined by CR LF.
    static QString defaultClauses();
    // The information shown when an option is chosen with no contract to write it to.
    static QString newContractHint();
    // The lessor's contact block for the clipboard: name, street, postal code and post office;
    // CR LF between the lines, none at the end; the phone number is left out.
    static QString contactBlock(const QString& name, const QString& street, const QString& postalCode,
                                const QString& postOffice);
};

} // namespace tikkeli
