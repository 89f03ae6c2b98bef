#include "catch/CatchCounts.h"
#include "CatchTestDb.h"

#include <gtest/gtest.h>

using namespace tikkeli;
using test::CatchTestDb;

TEST(CatchCountsTest, ClassesAreCountedByAgeAndSex)
{
    using C = CatchCounts::Class;
    struct Case {
        const char* what;
        std::vector<C> classes;
        CatchCounts expected;
        int adults, calves;
    };
    const Case cases[] = {
        {"none", {}, {0, 0, 0, 0}, 0, 0},
        {"2 adult males, 1 adult female, 3 female calves",
         {{Value(true), Value(true), 2}, {Value(true), Value(false), 1}, {Value(false), Value(false), 3}},
         {2, 1, 0, 3},
         3,
         3},
        {"the flags as the older files hold them (-1 true)",
         {{Value(-1), Value(-1), 1}, {Value(0), Value(-1), 4}},
         {1, 0, 4, 0},
         1,
         4},
        {"a Null age or sex is counted nowhere",
         {{Value(), Value(true), 5}, {Value(true), Value(), 6}, {Value(false), Value(true), 1}},
         {0, 0, 1, 0},
         0,
         1},
    };
    for (const Case& c : cases) {
        const CatchCounts got = CatchCounts::tally(c.classes);
        EXPECT_EQ(got, c.expected) << c.what;
        EXPECT_EQ(got.adults(), c.adults) << c.what;
        EXPECT_EQ(got.calves(), c.calves) << c.what;
    }
}

TEST(CatchCountsTest, TheSampleClubsMooseAndASpeciesWithAnApostrophe)
{
    CatchTestDb t(CatchTestDb::Source::Sample);
    const CatchCounts moose = CatchCounts::of(t.db, QStringLiteral("Hirvi"));
    EXPECT_EQ(moose, (CatchCounts{4, 7, 1, 6}));
    EXPECT_EQ(moose.adults(), 11);
    EXPECT_EQ(moose.calves(), 7);
    t.add(QStringLiteral("Metsä'kauris"), QDate(2026, 10, 1), false, true);
    t.add(QStringLiteral("Metsä'kauris"), QDate(2026, 10, 2), false, true);
    EXPECT_EQ(CatchCounts::of(t.db, QStringLiteral("Metsä'kauris")), (CatchCounts{0, 0, 2, 0}));
    EXPECT_EQ(CatchCounts::of(t.db, QStringLiteral("' OR 1=1 OR siLaji = '")), CatchCounts{});
}
