#pragma once

#include "base/Value.h"

#include <QString>
#include <QStringList>

namespace tikkeli {

// The member fields a column of an import file can go to. The code of a field is its position in
// the field choice list; 0 leaves the column out.
class MemberImportFields {
public:
    enum Code {
        NotImported = 0,
        FirstName,
        Surname,
        Address,
        PostalCode,
        PostOffice,
        Phone,
        Mobile,
        Email,
        Title,
        BirthDate,
        JoinDate,
        MemberNumber,
    };
    static constexpr int Count = 13;

    // The field choice entries in code order ("[Ei tuoda]", "Etunimi", ...).
    static const QStringList& entries();
    // The jr field of a code ("jrEtunimi"); empty for NotImported or a code out of range.
    static QString fieldName(int code);

    // The value a column's text gives its field: text cut to the field's width, a date when the text
    // is one in the Finnish form (else Null). Null for an empty text or when nothing is written.
    static Value FitValue(int code, const QString& text);
    // The same, telling whether the text was cut to the width.
    struct Fitted {
        Value value;
        bool cut = false;
    };
    static Fitted Fit(int code, const QString& text);
};

} // namespace tikkeli
