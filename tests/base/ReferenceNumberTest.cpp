#include "base/ReferenceNumber.h"

#include <gtest/gtest.h>

namespace tikkeli {

TEST(ReferenceNumberTest, CheckDigitByWeightsFromTheRight)
{
    const struct { const char* base; const char* digit; } cases[] = {
        {"", "0"},            // nothing to weigh
        {"1", "3"},           // 7 -> 3
        {"123", "2"},         // 3*7 + 2*3 + 1*1 = 28
        {"1234", "4"},        // 28 + 9 + 2 + 7 = 46
        {"12344", "0"},       // 28 + 12 + 3 + 14 + 3 = 60
        {"12a4", "3"},        // a letter counts 0 but keeps its weight: 28 + 0 + 2 + 7 = 37
        {"137", "1"},         // 49 + 9 + 1 = 59
        {"7", "1"},           // 49 -> 1
        {"10", "7"},          // 0*7 + 1*3 = 3 -> 7
        {"0000", "0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReferenceCheckDigit(QString::fromLatin1(c.base)), QString::fromLatin1(c.digit)) << c.base;
}

TEST(ReferenceNumberTest, FromInvoiceNumber)
{
    EXPECT_EQ(ReferenceNumber::fromInvoiceNumber(123), QStringLiteral("1232"));
    EXPECT_EQ(ReferenceNumber::fromInvoiceNumber(1), QStringLiteral("13"));
    EXPECT_EQ(ReferenceNumber::fromInvoiceNumber(2147483647).size(), 11);
}

TEST(ReferenceNumberTest, CardButtonAppendsOneDigitPerPress)
{
    auto r = ReferenceNumber::appendToCardText(QStringLiteral("1234"));
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.text, QStringLiteral("12344"));
    r = ReferenceNumber::appendToCardText(r.text);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.text.size(), 6);
    EXPECT_TRUE(r.text.startsWith(QStringLiteral("12344")));

    const QString nineteen(19, QLatin1Char('1'));
    r = ReferenceNumber::appendToCardText(nineteen);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.text.size(), 20);

    r = ReferenceNumber::appendToCardText(nineteen + QLatin1Char('1'));
    EXPECT_EQ(r.notice, QStringLiteral("Viitenumero voi olla korkeintaan 20 numeroa pitkä."));
    EXPECT_EQ(r.text, nineteen + QLatin1Char('1'));

    r = ReferenceNumber::appendToCardText(QString());
    EXPECT_EQ(r.notice, QStringLiteral("Viitetarkistetta ei voi lisätä 'tyhjään' - kirjoita ensin numero."));
}

TEST(ReferenceNumberTest, BlanksAroundTheNumberDoNotShiftTheWeights)
{
    const auto r = ReferenceNumber::appendToCardText(QStringLiteral(" 1234  "));
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.text, QStringLiteral("12344"));
    // The digit, the blank (weight 3) and the digit 2 give 5.
    EXPECT_EQ(ReferenceCheckDigit(QStringLiteral("1 2")), QStringLiteral("5"));
    EXPECT_EQ(ReferenceCheckDigit(QStringLiteral("100")), QStringLiteral("9"));
    EXPECT_EQ(ReferenceCheckDigit(QStringLiteral("55")), QStringLiteral("0"));
}

TEST(ReferenceNumberTest, BlanksAloneAreAnEmptyBox)
{
    for (const char* blank : {" ", "   ", "\t"}) {
        const auto r = ReferenceNumber::appendToCardText(QString::fromLatin1(blank));
        EXPECT_FALSE(r.ok()) << blank;
        EXPECT_EQ(r.notice, QStringLiteral("Viitetarkistetta ei voi lisätä 'tyhjään' - kirjoita ensin numero."));
        EXPECT_EQ(r.text, QString::fromLatin1(blank));
    }
}

} // namespace tikkeli
