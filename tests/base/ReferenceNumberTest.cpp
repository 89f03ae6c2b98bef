#include "base/ReferenceNumber.h"

#include <gtest/gtest.h>

namespace tikkeli {

TEST(ReferenceNumberTest, CheckDigitByWeightsFromTheRight)
{
    const struct {
        const char* base;
        const char* digit;
    } cases[] = {
        {"", "0"},      // nothing to weigh
        {"1", "3"},     // 7 -> 3
        {"123", "2"},   // 3*7 + 2*3 + 1*1 = 28
        {"1234", "4"},  // 28 + 9 + 2 + 7 = 46
        {"12344", "0"}, // 28 + 12 + 3 + 14 + 3 = 60
        {"12 34", "4"}, // a blank only groups: the digit of 1234
        {"12a4", "5"},  // anything else is skipped too: the digit of 124 (checked() refuses it)
        {"137", "1"},   // 49 + 9 + 1 = 59
        {"7", "1"},     // 49 -> 1
        {"10", "7"},    // 0*7 + 1*3 = 3 -> 7
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

TEST(ReferenceNumberTest, TypedBaseIsDigitsGroupedByBlanks)
{
    const struct {
        const char* typed;
        const char* stored; // "" when refused
        const char* notice;
    } cases[] = {
        {"12 34", "12344", ""},
        {" 1234  ", "12344", ""},
        {"1234 5678 9012 3456 789", "12345678901234567894", ""}, // 19 digits in groups fit
        {"123", "1232", ""},
        {"12", "", "Viitenumeron perusosassa tulee olla vähintään 3 numeroa."},
        {"0", "", "Viitenumeron perusosassa tulee olla vähintään 3 numeroa."},
        {"abc", "", "Viitenumerossa voi olla vain numeroita ja välilyöntejä, ei merkkiä \"a\"."},
        {"12-34", "", "Viitenumerossa voi olla vain numeroita ja välilyöntejä, ei merkkiä \"-\"."},
        {"RF1234", "", "Viitenumerossa voi olla vain numeroita ja välilyöntejä, ei merkkiä \"R\"."},
        {"1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8 9 0", "", "Viitenumero voi olla korkeintaan 20 numeroa pitkä."},
    };
    for (const auto& c : cases) {
        const auto r = ReferenceNumber::appendToCardText(QString::fromUtf8(c.typed));
        EXPECT_EQ(r.notice, QString::fromUtf8(c.notice)) << c.typed;
        EXPECT_EQ(r.text, r.ok() ? QString::fromUtf8(c.stored) : QString::fromUtf8(c.typed)) << c.typed;
        const auto checked = ReferenceNumber::checked(QString::fromUtf8(c.typed));
        EXPECT_EQ(checked.ok(), r.ok()) << c.typed;
        if (checked.ok()) {
            EXPECT_EQ(checked.reference, QString::fromUtf8(c.stored)) << c.typed;
        }
    }
}

TEST(ReferenceNumberTest, BlanksAroundOrBetweenTheDigitsDoNotShiftTheWeights)
{
    EXPECT_EQ(ReferenceCheckDigit(QStringLiteral("1 2")), QStringLiteral("3")); // the digit of 12
    EXPECT_EQ(ReferenceCheckDigit(QStringLiteral(" 100 ")), QStringLiteral("9"));
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
