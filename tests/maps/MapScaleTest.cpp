#include "maps/MapScale.h"

#include <gtest/gtest.h>

namespace tikkeli {
namespace {

TEST(MapScale, Captions)
{
    const std::pair<qint32, const char*> cases[] = {
        {20000, "1:20000"},   {-1, "1 pikseli = 1 metri"}, {-2, "1 pikseli = 2 metriä"}, {-4, "1 pikseli = 4 metriä"},
        {0, "Ei määritelty"}, {-3, "Ei määritelty"},       {-5, "Ei määritelty"},        {1, "1:1"},
    };
    for (const auto& [scale, caption] : cases)
        EXPECT_EQ(ScaleCaption(scale), QString::fromUtf8(caption)) << scale;
}

TEST(MapScale, ScaleText)
{
    const std::pair<const char*, std::optional<qint32>> cases[] = {
        {"10000", 10000},    {" 25000 ", 25000},   {"1", 1},           {"12,5", 12},          {"13,5", 14},
        {"0", std::nullopt}, {"-1", std::nullopt}, {"", std::nullopt}, {"abc", std::nullopt}, {"99999999999", std::nullopt},
    };
    for (const auto& [text, scale] : cases)
        EXPECT_EQ(ScaleFromText(QString::fromUtf8(text)), scale) << text;
}

TEST(MapScale, MeasuredProportion)
{
    // 14400 map twips measured as 100 mm on the paper map: 144 twips per millimetre.
    EXPECT_DOUBLE_EQ(*MeasuredPixelRatio({1000, 2000}, {15400, 2000}, 100.0), 144.0);
    EXPECT_DOUBLE_EQ(*MeasuredPixelRatio({0, 0}, {3000, 4000}, 50.0), 100.0);
    EXPECT_FALSE(MeasuredPixelRatio({0, 0}, {3000, 4000}, 0.0));
    EXPECT_FALSE(MeasuredPixelRatio({0, 0}, {3000, 4000}, -5.0));
    EXPECT_FALSE(MeasuredPixelRatio({10, 10}, {10, 10}, 5.0)); // both clicks on one spot

    const std::pair<const char*, std::optional<double>> answers[] = {
        {"100", 100.0},     {"12,5", 12.5},         {"0", std::nullopt},    {"-3", std::nullopt},
        {"", std::nullopt}, {"sata", std::nullopt}, {"12.5", std::nullopt},
    };
    for (const auto& [text, mm] : answers)
        EXPECT_EQ(MillimetresFromText(QString::fromUtf8(text)), mm) << text;
}

TEST(MapScale, Kinds)
{
    EXPECT_TRUE(IsPixelScale(-1));
    EXPECT_TRUE(IsPixelScale(-4));
    EXPECT_FALSE(IsPixelScale(-3));
    EXPECT_FALSE(IsPixelScale(0));
    EXPECT_TRUE(IsScanScale(1));
    EXPECT_FALSE(IsScanScale(0));
}

} // namespace
} // namespace tikkeli
