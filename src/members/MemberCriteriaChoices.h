#pragma once

#include "db/Database.h"
#include "members/CriteriaValues.h"
#include "members/MemberCriteria.h"
#include "members/MemberSearchEntry.h"

#include <optional>
#include <vector>

namespace tikkeli {

// What the user chose in the member criteria dialog, written into the criteria block in one go
// when the user moves on. Defaults are the dialog's design defaults.
struct MemberCriteriaChoices {
    int owner = 2; // 0 member, 1 landowner, 2 no matter
    int fee = 2;   // 0 paid, 1 unpaid, 2 no matter
    QString postalStart;
    QString postalEnd;
    // The typed values as the dialog read them (CriteriaValues), nullopt where nothing is typed.
    std::optional<DateCriterion> birthDate;
    int birthOperator = 1; // 0 "<", 1 "=", 2 ">"
    std::optional<DateCriterion> joiningDate;
    int joiningOperator = 1;
    std::vector<qint32> features; // piIDs of the selected rows in list order
    bool negateFeatures = false;
    bool allFeatures = true; // "JA"; false "TAI"
    std::optional<DateCriterion> date;
    int dateOperator = 1;
    std::optional<qint32> number;
    int numberOperator = 1;
    std::optional<Currency> value;
    int valueOperator = 1;

    // At most ten features are taken; every later slot (always slot 10) becomes 0.
    static constexpr int MaxFeatures = 10;
    void writeTo(MemberCriteria& block) const;

    // Member feature definitions (piType 1) with a name, by name; nameless ones are left out (and
    // left in the table).
    static std::vector<MemberSearchEntry> memberFeatures(Database& db);

    // The checks of the date and refinement boxes when the user leaves them, by the readers the
    // selection uses: the text to show, or nullopt when the text is rejected (the box is emptied
    // with a beep). Empty text passes. A date is rewritten as d.M.yyyy, a year pattern stays; a
    // number becomes the whole number it rounds to; an amount stays as typed.
    static std::optional<QString> checkDate(const QString& text);
    static std::optional<QString> checkWholeNumber(const QString& text);
    static std::optional<QString> checkAmount(const QString& text);
};

} // namespace tikkeli
