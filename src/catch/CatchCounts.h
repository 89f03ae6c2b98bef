#pragma once

#include "base/Value.h"
#include "db/Database.h"

#include <QString>
#include <vector>

namespace tikkeli {

// The catch of one species counted by age and sex, as the catch report sums it up.
struct CatchCounts {
    int adultMales = 0;
    int adultFemales = 0;
    int calfMales = 0;
    int calfFemales = 0;

    int adults() const { return adultMales + adultFemales; }
    int calves() const { return calfMales + calfFemales; }
    bool operator==(const CatchCounts&) const = default;

    // One class of catches: the stored age (siIka, true = adult) and sex (siSukupuoli, true =
    // male) and how many rows have them.
    struct Class {
        Value adult;
        Value male;
        qint64 rows = 0;
    };
    // The counts of the classes; a class whose age or sex is Null is counted in no cell.
    static CatchCounts tally(const std::vector<Class>& classes);
    // The counts of the rows of the species, however their letters are cased (as the report
    // selects them).
    static CatchCounts of(Database& db, const QString& species);
};

} // namespace tikkeli
