#include "contracts/ContractTestDb.h"
#include "maps/MapBoundaries.h"
#include "maps/MeasuringTool.h"

#include <gtest/gtest.h>

namespace tikkeli {
namespace {

// A drawing stores its corners only at the end, all at once, and never over a boundary stored
// elsewhere meanwhile unless the user says so.
TEST(DrawnBoundary, ReplacesOnlyWhatTheDrawingSawOrWhatTheUserAllowed)
{
    struct Case {
        const char* what;
        int before, meanwhile;       // points of the estate at the start, and added by another drawing
        std::optional<bool> replace; // the answer to the question; none: no question
        bool stored;
        int rows;
    } const cases[] = {
        {"nothing stored", 0, 0, std::nullopt, true, 3},
        {"a leftover seen at the start", 2, 0, std::nullopt, true, 3},
        {"another boundary meanwhile, kept", 0, 4, false, false, 4},
        {"another boundary meanwhile, replaced", 2, 4, true, true, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::ContractTestDb t;
        const auto add = [&](int n) {
            for (int i = 0; i < n; ++i)
                t.db.execute(QStringLiteral("INSERT INTO rj (rjtlID, rjOrderID, rjX, rjY, rjMukaan) VALUES (5, ?, 1, 1, 0)"),
                             {Value(i + 1)});
        };
        add(c.before);
        const std::vector<qint64> seen = StoredPointIds(t.db, 5);
        add(c.meanwhile);
        int asked = 0;
        const bool stored = StoreDrawnBoundary(t.db, 5, {{10, 20}, {30, 20}, {30, 40}}, seen, [&] {
            ++asked;
            return c.replace.value_or(false);
        });
        EXPECT_EQ(stored, c.stored);
        EXPECT_EQ(asked, c.replace ? 1 : 0);
        EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM rj WHERE rjtlID = 5")), c.rows);
        if (c.stored) {
            EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM rj WHERE rjtlID = 5 AND rjX = 30 AND rjOrderID = 3")), 1);
        }
    }
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
