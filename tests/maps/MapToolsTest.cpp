#include "AnotherProgram.h"
#include "base/ScriptedPrompter.h"
#include "contracts/ContractTestDb.h"
#include "maps/DrawingTool.h"
#include "maps/MapBoundaries.h"
#include "maps/MapStorage.h"
#include "maps/MeasuringTool.h"

#include <gtest/gtest.h>

namespace tikkeli {
namespace {

const char* const kFourCorners = "INSERT INTO rj (rjtlID, rjOrderID, rjX, rjY, rjMukaan) VALUES "
                                 "(%1, 1, 7, 7, 0), (%1, 2, 907, 7, 0), (%1, 3, 907, 907, 0), (%1, 4, 7, 907, 0)";

// A drawing stores its corners only at the end, all at once, and never over a boundary stored
// elsewhere meanwhile unless the user says so, nor for an estate removed meanwhile.
TEST(DrawnBoundary, ReplacesOnlyWhatTheDrawingSawOrWhatTheUserAllowed)
{
    using R = DrawnBoundaryStore;
    struct Case {
        const char* what;
        int before;                // points of the estate when the drawing began
        const char* meanwhile;     // what another program does before the drawing is stored (%1: the estate)
        std::vector<bool> answers; // the answers to the question, one per asking
        const char* whileAsked;    // what another program does while the question is first open
        R result;
        int rows;  // the estate's points afterwards
        bool ours; // the drawn ones
    } const cases[] = {
        {"nothing stored", 0, "", {}, "", R::Stored, 3, true},
        {"a leftover seen at the start", 2, "", {}, "", R::Stored, 3, true},
        {"a leftover seen at the start and removed meanwhile",
         2,
         "DELETE FROM rj WHERE rjtlID = %1",
         {},
         "",
         R::Stored,
         3,
         true},
        {"another boundary meanwhile, kept", 0, kFourCorners, {false}, "", R::OthersKept, 4, false},
        {"another boundary meanwhile, replaced", 2, kFourCorners, {true}, "", R::Stored, 3, true},
        {"as many points moved meanwhile",
         3,
         "UPDATE rj SET rjX = rjX + 500 WHERE rjtlID = %1",
         {false},
         "",
         R::OthersKept,
         3,
         false},
        {"as many points written anew meanwhile",
         3,
         "DELETE FROM rj WHERE rjtlID = %1; INSERT INTO rj (rjtlID, rjOrderID, rjX, rjY, rjMukaan) VALUES "
         "(%1, 1, 5, 5, 0), (%1, 2, 6, 5, 0), (%1, 3, 6, 6, 0)",
         {false},
         "",
         R::OthersKept,
         3,
         false},
        {"written again while asked, replaced",
         0,
         kFourCorners,
         {true, true},
         "UPDATE rj SET rjX = 77 WHERE rjtlID = %1 AND rjOrderID = 1",
         R::Stored,
         3,
         true},
        {"written again while asked, kept",
         0,
         kFourCorners,
         {true, false},
         "INSERT INTO rj (rjtlID, rjOrderID, rjX, rjY, rjMukaan) VALUES (%1, 5, 9, 9, 0)",
         R::OthersKept,
         5,
         false},
        {"the estate removed meanwhile", 0, "DELETE FROM tl WHERE tlID = %1", {}, "", R::EstateGone, 0, false},
        {"the estate removed while asked",
         0,
         kFourCorners,
         {true},
         "DELETE FROM rj WHERE rjtlID = %1; DELETE FROM tl WHERE tlID = %1",
         R::EstateGone,
         0,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::ContractTestDb t;
        const qint64 estate = t.estate(t.contract(QStringLiteral("Metsä")), QStringLiteral("Kallio"));
        const auto other = [&](const char* sql) {
            if (*sql)
                test::writeFromAnotherProgram(t.path, QString::fromLatin1(sql).arg(estate).toUtf8().constData());
        };
        for (int i = 0; i < c.before; ++i)
            t.db.execute(QStringLiteral("INSERT INTO rj (rjtlID, rjOrderID, rjX, rjY, rjMukaan) VALUES (?, ?, 1, 1, 0)"),
                         {Value(estate), Value(i + 1)});
        const std::vector<BoundaryPoint> seen = StoredPoints(t.db, estate);
        other(c.meanwhile);
        std::size_t asked = 0;
        const R result = StoreDrawnBoundary(t.db, estate, {{10, 20}, {30, 20}, {30, 40}}, seen, [&] {
            if (asked == 0)
                other(c.whileAsked);
            return asked < c.answers.size() && c.answers[asked++];
        });
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(asked, c.answers.size());
        EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM rj WHERE rjtlID = ?"), {Value(estate)}), c.rows);
        EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM rj WHERE rjtlID = ? AND rjX = 30 AND rjOrderID = 3"),
                          {Value(estate)}),
                  c.ours ? 1 : 0);
    }
}

// The drawing asks its questions through the window's answers, never itself. The right click has
// ended the drawing when it asks; interrupted (Escape, a close), the drawing may go on.
TEST(DrawingTool, AsksThroughTheWindowAndAnInterruptedDrawingMayGoOn)
{
    using Keep = DrawingTool::Questions::Keep;
    struct Case {
        const char* what;
        int corners;
        bool interrupted;
        Keep keep;                     // the answer to the storing question
        bool stop;                     // the answer to the stopping question
        std::optional<bool> keepAsked; // asked as interrupted
        bool stopAsked;
        bool ended;
        int rows;
        QString message;
    } const cases[] = {
        {"right click, stored", 3, false, Keep::Store, false, false, false, true, 3, {}},
        {"right click, dropped", 4, false, Keep::Drop, false, false, false, true, 0, {}},
        {"right click, going back to the drawing", 3, false, Keep::GoOn, false, false, false, false, 0, {}},
        {"right click, two corners", 2, false, Keep::Store, false, std::nullopt, false, true, 0,
         QStringLiteral("Tilan rajaan tarvitaan vähintään kolme pistettä. Pisteitä ei tallennettu.")},
        {"interrupted, stored", 3, true, Keep::Store, false, true, false, true, 3, {}},
        {"interrupted, dropped", 3, true, Keep::Drop, false, true, false, true, 0, {}},
        {"interrupted, going on", 3, true, Keep::GoOn, false, true, false, false, 0, {}},
        {"interrupted, two corners, stopped", 2, true, Keep::Store, true, std::nullopt, true, true, 0, {}},
        {"interrupted, one corner, going on", 1, true, Keep::Store, false, std::nullopt, true, false, 0, {}},
        {"interrupted before any corner", 0, true, Keep::Store, false, std::nullopt, false, true, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::ContractTestDb t;
        ScriptedPrompter prompter;
        const qint64 estate = t.estate(t.contract(QStringLiteral("Metsä")), QStringLiteral("Kallio"));
        std::optional<bool> keepAsked;
        bool stopAsked = false;
        DrawingTool::Questions q;
        q.keepBoundary = [&](bool interrupted) {
            keepAsked = interrupted;
            return c.keep;
        };
        q.stopDrawing = [&] {
            stopAsked = true;
            return c.stop;
        };
        q.replaceOthers = [] { return false; };
        DrawingTool tool(t.db, estate, q);
        for (int i = 0; i < c.corners; ++i)
            tool.press(Qt::LeftButton, QPointF(100 * i, 100 * (i % 2)));
        const MapTool::Outcome o = c.interrupted ? tool.cancel() : tool.release(Qt::RightButton, QPointF());
        EXPECT_EQ(keepAsked, c.keepAsked);
        EXPECT_EQ(stopAsked, c.stopAsked);
        EXPECT_EQ(o.ended, c.ended);
        EXPECT_EQ(o.message, c.message);
        EXPECT_EQ(o.estateStored, c.rows ? estate : 0);
        EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM rj WHERE rjtlID = ?"), {Value(estate)}), c.rows);
        if (!c.ended) {
            EXPECT_EQ(int(tool.chain().size()), c.corners);
        }
        EXPECT_TRUE(prompter.shown().empty());
    }
}

// The measuring asks the distance through the window and hands back what to tell.
TEST(MeasuringTool, AsksTheDistanceThroughTheWindow)
{
    test::ContractTestDb t;
    ScriptedPrompter prompter;
    int asked = 0;
    MeasuringTool tool(t.db, [&] {
        ++asked;
        return std::optional<QString>(QStringLiteral("100"));
    });
    tool.start();
    EXPECT_FALSE(tool.press(Qt::LeftButton, QPointF(0, 0)).ended);
    const MapTool::Outcome o = tool.press(Qt::LeftButton, QPointF(14400, 0));
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(o.ended);
    EXPECT_EQ(o.pixelRatio, 144.0);
    EXPECT_EQ(o.message, QStringLiteral("Kartan mittasuhde asetettu."));
    EXPECT_DOUBLE_EQ(MapStorage::ReadScale(t.db).pixelRatio, 144.0);
    EXPECT_TRUE(prompter.shown().empty());
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
