#include "MemberSearchTestDb.h"

#include "base/Clock.h"
#include "members/MemberCriteria.h"
#include "members/MemberCriteriaChoices.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tikkeli {
namespace {

TEST(MemberCriteriaBlock, FeatureSlotsAreElevenAndCounted)
{
    MemberCriteria block;
    EXPECT_EQ(block.hepiCount(), 0);
    block.setHepiID(0, 5);
    block.setHepiID(10, 7);
    EXPECT_EQ(block.hepiCount(), 2);
    EXPECT_EQ(block.hepiID(10), 7);
    EXPECT_THROW(block.hepiID(11), std::out_of_range);
    EXPECT_THROW(block.setHepiID(-1, 1), std::out_of_range);
}

TEST(MemberCriteriaBlock, WritingChoicesSetsEveryValueOfTheDialog)
{
    MemberCriteria block;
    block.TulostusMuoto = 3; // not the dialog's: stays
    for (int i = 0; i < MemberCriteria::FeatureSlots; ++i)
        block.setHepiID(i, 99);
    MemberCriteriaChoices c;
    c.owner = 1;
    c.fee = 0;
    c.postalStart = "90100";
    c.postalEnd = "90999";
    c.birthDate = DateCriterion{QDate(1970, 1, 1), {}};
    c.birthOperator = 0;
    c.joiningDate = DateCriterion{{}, QStringLiteral("2000")};
    c.joiningOperator = 2;
    c.features = {4, 8};
    c.negateFeatures = true;
    c.allFeatures = false;
    c.date = DateCriterion{{}, QStringLiteral("19*")};
    c.dateOperator = 2;
    c.number = 13;
    c.numberOperator = 0;
    c.value = Currency::parse(QStringLiteral("12,50"));
    c.valueOperator = 1;
    c.writeTo(block);
    EXPECT_EQ(block.OmistajaValinta, 1);
    EXPECT_EQ(block.JasenmaksuValinta, 0);
    EXPECT_EQ(block.PostinumeroAlku, "90100");
    EXPECT_EQ(block.PostinumeroLoppu, "90999");
    EXPECT_EQ(block.SyntymaAika, c.birthDate);
    EXPECT_EQ(block.SyntymaAikaVertailu, 0);
    EXPECT_EQ(block.LiittymisAika, c.joiningDate);
    EXPECT_EQ(block.LiittymisAikaVertailu, 2);
    EXPECT_TRUE(block.OminaisuusRajaus);
    EXPECT_FALSE(block.OminaisuudetJa);
    EXPECT_EQ(block.PvmArvo, c.date);
    EXPECT_EQ(block.PvmVertailu, 2);
    EXPECT_EQ(block.LukuArvo, 13);
    EXPECT_EQ(block.LukuVertailu, 0);
    EXPECT_EQ(block.ArvoArvo, c.value);
    EXPECT_EQ(block.ArvoVertailu, 1);
    EXPECT_EQ(block.hepiCount(), 2);
    EXPECT_EQ(block.hepiID(1), 8);
    EXPECT_EQ(block.hepiID(2), 0);
    EXPECT_EQ(block.TulostusMuoto, 3);
}

TEST(MemberCriteriaBlock, AtMostTenFeaturesAndSlotTenAlwaysCleared)
{
    MemberCriteria block;
    block.setHepiID(10, 1);
    MemberCriteriaChoices c;
    for (int id = 1; id <= 12; ++id)
        c.features.push_back(id * 10);
    c.writeTo(block);
    EXPECT_EQ(block.hepiCount(), 10);
    EXPECT_EQ(block.hepiID(9), 100);
    EXPECT_EQ(block.hepiID(10), 0);
    MemberCriteriaChoices none;
    none.writeTo(block);
    EXPECT_EQ(block.hepiCount(), 0);
    EXPECT_EQ(block.OmistajaValinta, 2);
    EXPECT_EQ(block.JasenmaksuValinta, 2);
    EXPECT_TRUE(block.OminaisuudetJa);
}

TEST(MemberCriteriaBoxes, RefinementTextsAreCheckedOnLeaving)
{
    using C = MemberCriteriaChoices;
    // A day and month alone mean this year's, also in the last second of the year.
    const FixedClock clock(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59)));
    const struct {
        std::optional<QString> (*check)(const QString&);
        const char* in;
        std::optional<QString> out;
    } cases[] = {
        {C::checkDate, "", QString()},
        {C::checkDate, "05.03.2024", QStringLiteral("5.3.2024")},
        {C::checkDate, "1.1.*", std::nullopt}, // a pattern is on the year alone
        {C::checkDate, "19?5", QStringLiteral("19?5")},
        {C::checkDate, "31.2.2024", std::nullopt},
        {C::checkDate, "huomenna", std::nullopt},
        {C::checkDate, "5.3.", QStringLiteral("5.3.2026")},
        {C::checkDate, "5.3", QStringLiteral("5.3.2026")},
        {C::checkDate, "31.2.", std::nullopt},
        {C::checkDate, "12.30", std::nullopt}, // a time, not a date
        {C::checkDate, "12:30", std::nullopt},
        {C::checkDate, "1.2.2024 12:30", QStringLiteral("1.2.2024")},
        {C::checkWholeNumber, "12,6", QStringLiteral("13")},
        {C::checkWholeNumber, "12,5", QStringLiteral("12")},
        {C::checkWholeNumber, "13,5", QStringLiteral("14")},
        {C::checkWholeNumber, "-3", QStringLiteral("-3")},
        {C::checkWholeNumber, "99999999999", std::nullopt}, // the selection cannot use it
        {C::checkWholeNumber, "1e3", std::nullopt},
        {C::checkWholeNumber, "12a", std::nullopt},
        {C::checkWholeNumber, "", QString()},
        {C::checkAmount, "12,50", QStringLiteral("12,50")},
        {C::checkAmount, "12.50", QStringLiteral("12.50")},
        {C::checkAmount, "12,50 €", QStringLiteral("12,50 €")},
        {C::checkAmount, "1e3", std::nullopt},
        {C::checkAmount, "x", std::nullopt},
        {C::checkAmount, "", QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(c.check(QString::fromUtf8(c.in)), c.out);
    }
}

TEST(MemberCriteriaFeatures, NamelessAndOtherTypesAreNotListed)
{
    test::MemberSearchTestDb t;
    const qint32 b = t.addFeature(QStringLiteral("Ampuja"));
    const qint32 a = t.addFeature(QStringLiteral("Öljy"));
    t.addFeature(Value());
    t.addFeature(QStringLiteral("Sopimuksen"), 2);
    const qint32 c = t.addFeature(QStringLiteral("koiramies"));
    EXPECT_EQ(MemberCriteriaChoices::memberFeatures(t.db()),
              (std::vector<MemberSearchEntry>{{"Ampuja", b}, {"koiramies", c}, {"Öljy", a}}));
    EXPECT_EQ(t.db().scalar("SELECT COUNT(*) FROM pi").toInt64(), 5);
}

} // namespace
} // namespace tikkeli
