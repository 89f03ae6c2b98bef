#include "app/NumericText.h"

#include <gtest/gtest.h>

using namespace tikkeli;

TEST(NumericText, NumberTexts)
{
    struct Case { const char* text; bool numeric; double value; };
    const Case cases[] = {
        {"12", true, 12}, {"12,5", true, 12.5}, {"12.5", true, 12.5}, {"12,", true, 12}, {",5", true, 0.5},
        {"-3", true, -3}, {" 7 ", true, 7}, {"+4", true, 4}, {"-", false, 0}, {",", false, 0}, {"", false, 0},
        {"abc", false, 0}, {"1e3", false, 0}, {"1,2,3", false, 0}, {"12a5", false, 0}, {"1 000", false, 0},
    };
    for (const Case& c : cases) {
        const auto v = ParseNumberText(QString::fromLatin1(c.text));
        EXPECT_EQ(v.has_value(), c.numeric) << c.text;
        if (v && c.numeric) {
            EXPECT_DOUBLE_EQ(*v, c.value) << c.text;
        }
    }
}

TEST(NumericText, WholeNumbersRoundHalfToEven)
{
    EXPECT_EQ(WholeNumberText32(QStringLiteral("2,5")), 2);
    EXPECT_EQ(WholeNumberText32(QStringLiteral("3,5")), 4);
    EXPECT_EQ(WholeNumberText32(QStringLiteral("-2,5")), -2);
    EXPECT_EQ(WholeNumberText32(QStringLiteral("2,51")), 3);
    EXPECT_EQ(WholeNumberText32(QStringLiteral("abc")), std::nullopt);
    EXPECT_EQ(WholeNumberText32(QStringLiteral("2147483647")), 2147483647);
    EXPECT_EQ(WholeNumberText32(QStringLiteral("2147483648")), std::nullopt);
    EXPECT_EQ(WholeNumberText16(QStringLiteral("32767")), 32767);
    EXPECT_EQ(WholeNumberText16(QStringLiteral("32768")), std::nullopt);
}

TEST(NumericText, DatesReadBackWhatIsWritten)
{
    const QDateTime t(QDate(2024, 3, 5), QTime(7, 8, 9));
    EXPECT_EQ(DateTimeText(t), QStringLiteral("5.3.2024 7:08:09"));
    EXPECT_EQ(ParseDateText(DateTimeText(t)), t);
    EXPECT_EQ(ParseDateText(QStringLiteral("31.12.2023")), QDateTime(QDate(2023, 12, 31), QTime(0, 0)));
    EXPECT_EQ(ParseDateText(QStringLiteral("2023-12-31 23:59:58")), QDateTime(QDate(2023, 12, 31), QTime(23, 59, 58)));
    EXPECT_FALSE(ParseDateText(QStringLiteral("31.2.2023")));
    EXPECT_FALSE(ParseDateText(QStringLiteral("ei päivä")));
    EXPECT_FALSE(ParseDateText(QString()));
}
