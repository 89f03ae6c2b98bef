#include "maps/MapHitTest.h"

#include <gtest/gtest.h>

namespace tikkeli {
namespace {

using Boundary = std::vector<QPointF>;

const Boundary kSquare{{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}};
const Boundary kTriangle{{0, 1000}, {500, 0}, {1000, 1000}};
const Boundary kDiamond{{500, 0}, {1000, 500}, {500, 1000}, {0, 500}};
// An arrow head pointing right with a notch reaching in from the left to (500, 500).
const Boundary kConcave{{0, 0}, {1000, 500}, {0, 1000}, {500, 500}};

TEST(MapHitTest, PointsAgainstBoundaries)
{
    struct Case {
        const char* what;
        const Boundary* boundary;
        QPointF point;
        bool inside;
    } const cases[] = {
        {"square centre", &kSquare, {500, 500}, true},
        {"square top edge", &kSquare, {500, 0}, false},
        {"square bottom edge", &kSquare, {500, 1000}, true},
        {"square below", &kSquare, {500, 1500}, false},
        {"square right of", &kSquare, {1500, 500}, false},
        {"square left edge", &kSquare, {0, 500}, true},
        {"square right edge", &kSquare, {1000, 500}, false},
        {"triangle centre under the top corner", &kTriangle, {500, 500}, true},
        {"triangle above the top corner", &kTriangle, {500, -10}, false},
        {"triangle beside a slope", &kTriangle, {100, 500}, false},
        {"diamond centre", &kDiamond, {500, 500}, true},
        {"diamond through the left corner's row", &kDiamond, {200, 500}, true},
        {"diamond outside its top left side", &kDiamond, {100, 100}, false},
        {"concave in the notch", &kConcave, {250, 500}, false},
        {"concave in the head", &kConcave, {750, 500}, true},
        {"concave upper barb", &kConcave, {250, 200}, true},
        {"concave lower barb", &kConcave, {250, 800}, true},
        {"concave through the notch corner", &kConcave, {500, 300}, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BoundaryContains(*c.boundary, c.point), c.inside) << c.what;
}

TEST(MapHitTest, TheSameInDoublePrecisionFarFromTheOrigin)
{
    // Map twips of a large scanned map: products near 1e13 must not lose the sign of a difference.
    Boundary far;
    for (const QPointF& p : kTriangle)
        far.push_back(p + QPointF(3000000, 3000000));
    EXPECT_TRUE(BoundaryContains(far, QPointF(3000500, 3000500)));
    EXPECT_FALSE(BoundaryContains(far, QPointF(3000500, 2999999)));
}

TEST(MapHitTest, TooFewPointsContainNothing)
{
    EXPECT_FALSE(BoundaryContains(Boundary{}, QPointF(0, 0)));
    EXPECT_FALSE(BoundaryContains(Boundary{{0, 0}}, QPointF(0, 0)));
    EXPECT_FALSE(BoundaryContains(Boundary{{0, 0}, {1000, 1000}}, QPointF(500, 600)));
}

TEST(MapHitTest, IndexFindsTheLaterOfOverlappingEstates)
{
    EstateHitIndex index;
    index.add(7, kSquare);
    index.add(8, Boundary{{500, 500}, {1500, 500}, {1500, 1500}, {500, 1500}});
    index.add(9, Boundary{{0, 0}, {3000, 3000}}); // two points: never found
    index.add(10, kDiamond);
    EXPECT_EQ(index.size(), 3u);
    EXPECT_EQ(index.find(QPointF(100, 100)), 7);
    EXPECT_EQ(index.find(QPointF(800, 800)), 8);  // 7 and 8 overlap; the diamond does not reach here
    EXPECT_EQ(index.find(QPointF(600, 400)), 10); // square 7 and the diamond: the diamond is later
    EXPECT_EQ(index.find(QPointF(1400, 1400)), 8);
    EXPECT_EQ(index.find(QPointF(2000, 2000)), 0);
    index.clear();
    EXPECT_EQ(index.find(QPointF(100, 100)), 0);
}

} // namespace
} // namespace tikkeli
