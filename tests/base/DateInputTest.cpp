#include "base/DateInput.h"

#include <gtest/gtest.h>

namespace tikkeli {
namespace {

struct ReadCase {
    const char* text;
    int y, m, d, h, mi, s;
};

TEST(DateInput, ReadsDatesAsTheyAreWritten)
{
    const ReadCase cases[] = {
        {"5.3.2024", 2024, 3, 5, 0, 0, 0},
        {"05.03.2024", 2024, 3, 5, 0, 0, 0},
        {" 5.3.2024 ", 2024, 3, 5, 0, 0, 0},
        {"5.3.2024 14.30", 2024, 3, 5, 14, 30, 0},
        {"5.3.2024 14:30:15", 2024, 3, 5, 14, 30, 15},
        {"2024-03-05", 2024, 3, 5, 0, 0, 0},
        {"2024-03-05 08:15", 2024, 3, 5, 8, 15, 0},
        {"29.2.2024", 2024, 2, 29, 0, 0, 0},
        {"30.12.1899", 1899, 12, 30, 0, 0, 0},
        // The two-digit window: 1930..2029.
        {"1.1.30", 1930, 1, 1, 0, 0, 0},
        {"1.1.29", 2029, 1, 1, 0, 0, 0},
        {"31.12.99", 1999, 12, 31, 0, 0, 0},
        {"1.1.00", 2000, 1, 1, 0, 0, 0},
        {"15.6.75 10.00", 1975, 6, 15, 10, 0, 0},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.text);
        const auto dt = ReadDateTime(QString::fromUtf8(c.text));
        ASSERT_TRUE(dt.has_value());
        EXPECT_EQ(dt->date(), QDate(c.y, c.m, c.d));
        EXPECT_EQ(dt->time(), QTime(c.h, c.mi, c.s));
        const auto date = ReadDate(QString::fromUtf8(c.text));
        ASSERT_TRUE(date.has_value());
        EXPECT_EQ(*date, QDate(c.y, c.m, c.d));
    }
}

TEST(DateInput, RefusesTimesAloneAndTextsThatAreNoDate)
{
    for (const char* text :
         {"10:30", "10.30", "10:30:15", "10.30.15 ", " 9:05", "", "   ", "31.2.2024", "32.1.2024", "1.13.2024", "2024-02-30",
          "1.1.", "5.3", "abc", "5.3.2024 25.00", "5/3/2024", "5.3.2024x", "1.1.123"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(ReadDateTime(QString::fromUtf8(text)).has_value());
        EXPECT_FALSE(ReadDate(QString::fromUtf8(text)).has_value());
    }
}

} // namespace
} // namespace tikkeli
