#include "maps/DrawingTool.h"
#include "maps/MeasuringTool.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace tikkeli {
namespace {

TEST(DrawingTool, StoresEachCornerAsItIsClickedAndEndsByCount)
{
    struct Case {
        int clicks;
        DrawingTool::Ending ending;
    } const cases[] = {
        {0, DrawingTool::Ending::NoPoints},  {1, DrawingTool::Ending::TooFewPoints}, {2, DrawingTool::Ending::TooFewPoints},
        {3, DrawingTool::Ending::AskToKeep}, {5, DrawingTool::Ending::AskToKeep},
    };
    for (const Case& c : cases) {
        DrawingTool tool;
        std::vector<std::tuple<qint64, int, QPointF>> stored;
        const auto store = [&](qint64 id, int order, QPointF p) { stored.emplace_back(id, order, p); };
        tool.start(42);
        for (int i = 0; i < c.clicks; ++i)
            tool.addPoint(QPointF(100 * i, 50 * i), store);
        ASSERT_EQ(stored.size(), std::size_t(c.clicks));
        for (int i = 0; i < c.clicks; ++i) {
            EXPECT_EQ(std::get<0>(stored[std::size_t(i)]), 42);
            EXPECT_EQ(std::get<1>(stored[std::size_t(i)]), i + 1);
        }
        EXPECT_TRUE(tool.active());
        EXPECT_EQ(tool.finish(), c.ending) << c.clicks;
        EXPECT_FALSE(tool.active());
        EXPECT_EQ(tool.points().size(), std::size_t(c.clicks));
        // clicks after the end are not corners
        tool.addPoint(QPointF(1, 1), store);
        EXPECT_EQ(stored.size(), std::size_t(c.clicks));
    }
}

TEST(DrawingTool, AFailedStoreKeepsNoCorner)
{
    DrawingTool tool;
    tool.start(7);
    tool.addPoint(QPointF(1, 2), [](qint64, int, QPointF) {});
    EXPECT_THROW(tool.addPoint(QPointF(3, 4), [](qint64, int, QPointF) { throw std::runtime_error("full"); }),
                 std::runtime_error);
    ASSERT_EQ(tool.points().size(), 1u);
    int order = 0;
    tool.addPoint(QPointF(5, 6), [&](qint64, int o, QPointF) { order = o; });
    EXPECT_EQ(order, 2);
}

TEST(MeasuringTool, TwoClicksWithTheLineFollowingTheMouse)
{
    MeasuringTool tool;
    EXPECT_FALSE(tool.active());
    EXPECT_EQ(tool.click(QPointF(1, 1)), MeasuringTool::Step::Ignored);
    tool.start();
    EXPECT_TRUE(tool.waitingForFirst());
    EXPECT_FALSE(tool.line());
    tool.move(QPointF(50, 50));
    EXPECT_FALSE(tool.line());
    EXPECT_EQ(tool.click(QPointF(100, 200)), MeasuringTool::Step::FirstPoint);
    EXPECT_EQ(*tool.line(), QLineF(100, 200, 100, 200));
    tool.move(QPointF(300, 400));
    EXPECT_EQ(*tool.line(), QLineF(100, 200, 300, 400));
    EXPECT_EQ(tool.click(QPointF(14500, 200)), MeasuringTool::Step::SecondPoint);
    EXPECT_EQ(tool.second(), QPointF(14500, 200));
    tool.move(QPointF(1, 1)); // the second point no longer follows
    EXPECT_EQ(*tool.line(), QLineF(100, 200, 14500, 200));
    EXPECT_EQ(tool.click(QPointF(9, 9)), MeasuringTool::Step::Ignored);
    tool.end();
    EXPECT_FALSE(tool.active());
    EXPECT_FALSE(tool.line());
}

} // namespace
} // namespace tikkeli
