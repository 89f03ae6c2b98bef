#include "base/NullConversions.h"
#include "members/FeatureValueText.h"

#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

using Kind = FeatureValueText::Kind;

TEST(FeatureValueText, EachKindReadsItsOwnTextAndRefusesTheRestNamingTheField)
{
    const struct {
        Kind kind;
        QString text;
        QString stored; // NullToString of the value; "" with refused = false is Null
        bool refused;
    } cases[] = {
        {Kind::Long, "", "", false},
        {Kind::Long, "4", "4", false},
        {Kind::Long, "-2 147 483 648", "-2147483648", false},
        {Kind::Long, "4,0", "4", false},
        {Kind::Long, "4,5", "", true}, // never rounded to 4
        {Kind::Long, "0,1", "", true},
        {Kind::Long, "2147483648", "", true},
        {Kind::Long, "12a", "", true},
        {Kind::Long, "1.5", "", true},
        {Kind::Date, "5.3.2024", "5.3.2024", false},
        {Kind::Date, "05.03.24", "5.3.2024", false},
        {Kind::Date, "10:30", "", true}, // a time alone is no date
        {Kind::Date, "31.2.2024", "", true},
        {Kind::Currency, "12,50", "12,5", false},
        {Kind::Currency, "12.50", "", true},
        {Kind::Currency, "kymppi", "", true},
        {Kind::Memo, "rivi\nrivi", "rivi\nrivi", false},
        {Kind::Memo, QString(65536, u'm'), "", true},
        {Kind::Date, QString(20, u'1'), "", true}, // longer than the box takes
    };
    for (const auto& c : cases) {
        const FeatureValueText::Reading r = FeatureValueText::read(c.kind, c.text);
        EXPECT_EQ(!r.ok(), c.refused) << c.text.left(30).toStdString();
        if (c.refused) {
            ASSERT_TRUE(r.refusal.has_value());
            EXPECT_TRUE(r.refusal->startsWith(FeatureValueText::fieldName(c.kind))) << r.refusal->toStdString();
            EXPECT_TRUE(r.value.isNull());
        } else {
            EXPECT_EQ(NullToString(r.value), c.stored) << c.text.toStdString();
        }
    }
}

TEST(FeatureValueText, ADateIsShownInItsShortFormAndOtherTextsAsTyped)
{
    EXPECT_EQ(FeatureValueText::normalized(Kind::Date, "5.3.24"), QStringLiteral("5.3.2024"));
    // A time of day typed with the date stays with it.
    EXPECT_EQ(FeatureValueText::normalized(Kind::Date, "5.3.2024 14:30"), QStringLiteral("5.3.2024 14.30.00"));
    EXPECT_EQ(FeatureValueText::normalized(Kind::Date, "10:30"), QStringLiteral("10:30"));
    EXPECT_EQ(FeatureValueText::normalized(Kind::Date, ""), QString());
    EXPECT_EQ(FeatureValueText::normalized(Kind::Date, "huomenna"), QStringLiteral("huomenna"));
    EXPECT_EQ(FeatureValueText::normalized(Kind::Long, "1 000"), QStringLiteral("1 000"));
}

} // namespace
