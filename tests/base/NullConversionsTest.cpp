#include "db/DbTestSupport.h"
#include "base/NullConversions.h"

#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

struct LongCase {
    Value in;
    std::int32_t def;
    std::int32_t expected;
};

TEST(NullConversions, WholeNumbersRoundHalfToEvenAndFallBackToTheDefault)
{
    const LongCase cases[] = {
        {Value(), 7, 7},
        {Value(2.5), 0, 2},
        {Value(3.5), 0, 4},
        {Value(-2.5), 0, -2},
        {Value(2.4999), 0, 2},
        {Value(Currency::fromRaw(25000)), 0, 2},
        {Value(Currency::fromRaw(35000)), 0, 4},
        {Value("12,5"), 0, 12},
        {Value("13,5"), 0, 14},
        {Value(" 1 234 "), 0, 1234},
        {Value("12.5"), 9, 9}, // a decimal point is not a Finnish number
        {Value("abc"), 5, 5},
        {Value(""), 5, 5},
        {Value(true), 0, -1},
        {Value(false), 3, 0},
        {Value(3000000000.0), 1, 1}, // overflow
        {Value(qint64(2147483647)), 0, 2147483647},
        {Value(qint64(2147483648LL)), 8, 8},
        {Value(QDate(1900, 1, 1)), 0, 2},
        {Value(QByteArray("x")), 4, 4},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NullToLong(c.in, c.def), c.expected) << c.in.toString().toStdString();
}

TEST(NullConversions, NarrowTypesRefuseOverflow)
{
    EXPECT_EQ(NullToByte(Value(300), 0), 0);
    EXPECT_EQ(NullToByte(Value(255), 0), 255);
    EXPECT_EQ(NullToByte(Value(255.5), 1), 1); // rounds to 256
    EXPECT_EQ(NullToByte(Value(-1), 9), 9);
    EXPECT_EQ(NullToByte(Value(true), 9), 9); // True is -1
    EXPECT_EQ(NullToInteger(Value("abc"), 5), 5);
    EXPECT_EQ(NullToInteger(Value(32767), 0), 32767);
    EXPECT_EQ(NullToInteger(Value(32768), 0), 0);
    EXPECT_EQ(NullToInteger(Value(-32768.4), 0), -32768);
    EXPECT_EQ(NullToInteger(Value(0.5), 9), 0);
    EXPECT_EQ(NullToInteger(Value(1.5), 9), 2);
}

TEST(NullConversions, FloatingPointReadsFinnishText)
{
    EXPECT_DOUBLE_EQ(NullToDouble(Value("12,75"), 0), 12.75);
    EXPECT_DOUBLE_EQ(NullToDouble(Value("-0,5"), 0), -0.5);
    EXPECT_DOUBLE_EQ(NullToDouble(Value(QString::fromUtf8("1\u00a0234,5")), 0), 1234.5);
    EXPECT_DOUBLE_EQ(NullToDouble(Value("1,5E3"), 0), 1500.0);
    EXPECT_DOUBLE_EQ(NullToDouble(Value("1,5.3"), 2), 2.0);
    EXPECT_DOUBLE_EQ(NullToDouble(Value(), 3.25), 3.25);
    EXPECT_DOUBLE_EQ(NullToDouble(Value(Currency::fromRaw(12345)), 0), 1.2345);
    EXPECT_DOUBLE_EQ(NullToDouble(Value(true), 0), -1.0);
    EXPECT_FLOAT_EQ(NullToSingle(Value("0,25"), 0), 0.25f);
    EXPECT_FLOAT_EQ(NullToSingle(Value(1e300), 7.0f), 7.0f);
}

TEST(NullConversions, CurrencyRoundsToFourDecimalsHalfToEven)
{
    EXPECT_EQ(NullToCurrency(Value(1.23455), {}).raw(), 12346); // binary value just above the half
    EXPECT_EQ(NullToCurrency(Value(0.00005), {}).raw(), 0);
    EXPECT_EQ(NullToCurrency(Value(0.00015), {}).raw(), 2);
    EXPECT_EQ(NullToCurrency(Value("12,34565"), {}).raw(), 123456);
    EXPECT_EQ(NullToCurrency(Value("12,34575"), {}).raw(), 123458);
    EXPECT_EQ(NullToCurrency(Value(QString::fromUtf8("1 250,50 €")), {}).raw(), 12505000);
    EXPECT_EQ(NullToCurrency(Value("x"), Currency::fromUnits(3)), Currency::fromUnits(3));
    EXPECT_EQ(NullToCurrency(Value(1e30), Currency::fromUnits(3)), Currency::fromUnits(3));
    EXPECT_EQ(NullToCurrency(Value(), Currency::fromUnits(1)), Currency::fromUnits(1));
    EXPECT_EQ(NullToCurrency(Value(42), {}), Currency::fromUnits(42));
}

TEST(NullConversions, BooleansDatesAndText)
{
    EXPECT_TRUE(NullToBoolean(Value(2), false));
    EXPECT_FALSE(NullToBoolean(Value(0.0), true));
    EXPECT_TRUE(NullToBoolean(Value("True"), false));
    EXPECT_FALSE(NullToBoolean(Value("false"), true));
    EXPECT_TRUE(NullToBoolean(Value("Tosi"), false));
    EXPECT_TRUE(NullToBoolean(Value("abc"), true));
    EXPECT_FALSE(NullToBoolean(Value(), false));

    EXPECT_EQ(NullToDate(Value("5.3.2024"), QDate()), QDate(2024, 3, 5));
    EXPECT_EQ(NullToDate(Value("5.3.24"), QDate()), QDate(2024, 3, 5));
    EXPECT_EQ(NullToDate(Value("5.3.1987 14.30"), QDateTime()), QDateTime(QDate(1987, 3, 5), QTime(14, 30)));
    EXPECT_EQ(NullToDate(Value("2024-03-05"), QDate()), QDate(2024, 3, 5));
    EXPECT_EQ(NullToDate(Value("31.2.2024"), QDate(2000, 1, 1)), QDate(2000, 1, 1));
    EXPECT_EQ(NullToDate(Value(45356), QDate()), QDate(2024, 3, 5));
    EXPECT_EQ(NullToDate(Value(1.5), QDateTime()), QDateTime(QDate(1899, 12, 31), QTime(12, 0)));
    EXPECT_EQ(NullToDate(Value(), QDate(2001, 2, 3)), QDate(2001, 2, 3));

    EXPECT_EQ(NullToString(Value(), QString()), QString());
    EXPECT_EQ(NullToString(Value(), QStringLiteral("-")), QStringLiteral("-"));
    EXPECT_EQ(NullToString(Value(12.5), {}), QStringLiteral("12,5"));
    EXPECT_EQ(NullToString(Value(0.1 + 0.2), {}), QStringLiteral("0,3"));
    EXPECT_EQ(NullToString(Value(1e20), {}), QStringLiteral("1E+20"));
    EXPECT_EQ(NullToString(Value(Currency::fromRaw(125000)), {}), QStringLiteral("12,5"));
    EXPECT_EQ(NullToString(Value(true), {}), QStringLiteral("True"));
    EXPECT_EQ(NullToString(Value(QDate(2024, 3, 5)), {}), QStringLiteral("5.3.2024"));
    EXPECT_EQ(NullToString(Value(QDateTime(QDate(2024, 3, 5), QTime(9, 5, 7))), {}), QStringLiteral("5.3.2024 9.05.07"));
    EXPECT_EQ(NullToString(Value(qint64(-42)), {}), QStringLiteral("-42"));
}

TEST(NullConversions, JetDateLiteralAndStripLeadingZeros)
{
    EXPECT_EQ(JetDateLiteral(Value(QDate(2023, 12, 31))), QStringLiteral("#12/31/2023#"));
    EXPECT_EQ(JetDateLiteral(Value(QDate(2024, 2, 1))), QStringLiteral("#2/1/2024#"));
    EXPECT_EQ(JetDateLiteral(Value(QDateTime(QDate(2024, 3, 5), QTime(23, 59)))), QStringLiteral("#3/5/2024#"));
    EXPECT_EQ(JetDateLiteral(Value()), QString());
    EXPECT_EQ(JetDateLiteral(QDate()), QString());

    EXPECT_EQ(StripLeadingZeros(QStringLiteral("000123")), QStringLiteral("123"));
    EXPECT_EQ(StripLeadingZeros(QStringLiteral("0")), QString());
    EXPECT_EQ(StripLeadingZeros(QStringLiteral("1020")), QStringLiteral("1020"));
    EXPECT_EQ(StripLeadingZeros(QStringLiteral(" 0012")), QStringLiteral(" 0012"));
    EXPECT_EQ(StripLeadingZeros(QString()), QString());
}

} // namespace
