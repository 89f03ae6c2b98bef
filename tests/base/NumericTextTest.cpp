#include "base/NullConversions.h"
#include "base/NumericText.h"

#include <gtest/gtest.h>

using namespace tikkeli;

TEST(NumericText, WholeNumbersRoundHalfToEvenAndFitTheirType)
{
    struct Case {
        const char* text;
        std::optional<qint32> whole;
    };
    const Case cases[] = {
        {"2,5", 2},
        {"3,5", 4},
        {"-2,5", -2},
        {"2,51", 3},
        {"12,", 12},
        {"abc", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"2147483647", 2147483647},
        {"2147483648", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WholeNumberText32(QString::fromLatin1(c.text)), c.whole) << c.text;
    EXPECT_EQ(WholeNumberText16(QStringLiteral("32767")), 32767);
    EXPECT_EQ(WholeNumberText16(QStringLiteral("32768")), std::nullopt);
    EXPECT_EQ(RoundToInt16(-32768.4), -32768);
}

TEST(NumericText, WrittenDatesReadBack)
{
    const QDateTime t(QDate(2024, 3, 5), QTime(7, 8, 9));
    EXPECT_EQ(DateTimeText(t), QStringLiteral("5.3.2024 7:08:09"));
    EXPECT_EQ(ParseLocaleDate(DateTimeText(t)), t);
}
