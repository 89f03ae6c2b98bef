#include "maps/MapGeometry.h"
#include "maps/MapViewState.h"

#include <gtest/gtest.h>

namespace tikkeli {
namespace {

struct ConversionCase {
    double zoom;
    int h, v;
    QPointF view;
    QPointF map;
};

TEST(MapGeometry, ViewAndMapConvertBothWays)
{
    const ConversionCase cases[] = {
        {1.5, 50, 30, {3000, 1500}, {2666.6667, 1400}}, {1.0, 1, 1, {0, 0}, {20, 20}},
        {0.5, 1, 1, {1000, 600}, {2040, 1240}},         {0.1, 10, 4, {500, 250}, {7000, 3300}},
        {2.0, 458, 2, {5167.5, 100}, {7163.75, 70}},
    };
    for (const ConversionCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "zoom " << c.zoom << " H " << c.h << " V " << c.v);
        const QPointF map = ViewToMap(c.view, c.zoom, c.h, c.v);
        EXPECT_NEAR(map.x(), c.map.x(), 0.01);
        EXPECT_NEAR(map.y(), c.map.y(), 0.01);
        const QPointF back = MapToView(map, c.zoom, c.h, c.v);
        EXPECT_NEAR(back.x(), c.view.x(), 0.01);
        EXPECT_NEAR(back.y(), c.view.y(), 0.01);
    }
}

TEST(MapGeometry, ScrollRangesFollowTheZoomedMap)
{
    struct Case {
        double map, view, zoom;
        int maximum, large;
    } const cases[] = {
        {30000, 10335, 1.0, 983, 172},  // (30000 - 10335) / 20 = 983.25
        {30000, 10335, 2.0, 2483, 172}, // 49665 / 20 = 2483.25
        {30000, 10335, 0.25, 1, 172},   // the whole map fits: 1..1
        {5000, 10335, 1.0, 1, 172},     // a map smaller than the view
        {0, 10335, 1.0, 1, 172},        // no map
        {20670, 10335, 1.0, 517, 172},  // 516.75
        {10345, 10000, 1.0, 17, 167},   // 17.25; a third of 10000 / 20 = 166.67
        {10350, 10000, 1.0, 18, 167},   // 17.5 to the even 18
        {10370, 10000, 1.0, 18, 167},   // 18.5 to the even 18
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.map << " at " << c.zoom);
        const ScrollRange r = ScrollRangeFor(c.map, c.view, c.zoom);
        EXPECT_EQ(r.minimum, 1);
        EXPECT_EQ(r.maximum, c.maximum);
        EXPECT_EQ(r.smallChange, 25);
        EXPECT_EQ(r.largeChange, c.large);
    }
}

TEST(MapGeometry, ZoomChangeKeepsTheViewCentreWithinTheRange)
{
    struct Case {
        double map, view, oldZoom, newZoom;
        int value, expected;
    } const cases[] = {
        // the view centre left of one view width: still centred, not snapped to 1
        {30000, 10335, 1.0, 2.0, 100, 458},
        {30000, 10335, 1.0, 2.0, 1, 260}, // the point in the middle stays there: (5187.5*2 - 5167.5) / 20
        {30000, 10335, 2.0, 1.0, 458, 100},
        {30000, 10335, 1.0, 0.1, 500, 1},    // the whole map fits
        {30000, 10335, 2.0, 1.0, 2483, 983}, // zooming out at the right edge: clamped to the new maximum
        {0, 10335, 1.0, 2.0, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.oldZoom << " -> " << c.newZoom << " at " << c.value);
        const int max = ScrollRangeFor(c.map, c.view, c.newZoom).maximum;
        EXPECT_EQ(RecentredScrollValue(c.map, c.view, c.oldZoom, c.newZoom, c.value, max), c.expected);
    }
}

TEST(MapGeometry, CentringIsClampedToTheRange)
{
    EXPECT_EQ(CentredScrollValue(-500, 10335, 983), 1);
    EXPECT_EQ(CentredScrollValue(5000, 10335, 983), 1);
    EXPECT_EQ(CentredScrollValue(15167.5, 10335, 983), 500);
    EXPECT_EQ(CentredScrollValue(1e9, 10335, 983), 983);
    EXPECT_EQ(CentredScrollValue(15167.5, 10335, 0), 1);
}

TEST(MapGeometry, FallbackZoom)
{
    const int expected[] = {0, 0, 0, 0, 0, 4, 4};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(FallbackZoomIndex(i), expected[i]) << i;
    EXPECT_DOUBLE_EQ(ZoomFactor(7), 2.0);
    EXPECT_DOUBLE_EQ(ZoomFactor(-1), 2.0);
}

TEST(MapViewState, ZoomScrollAndVisibleArea)
{
    MapViewState s;
    s.setViewSize(QSizeF(10335, 6435));
    s.setMapSize(QSizeF(30000, 20000));
    EXPECT_EQ(s.zoomIndex(), kDefaultZoomIndex);
    EXPECT_EQ(s.hScroll(), 1);
    s.setScroll(100, 5000);
    EXPECT_EQ(s.hScroll(), 100);
    EXPECT_EQ(s.vScroll(), s.vRange().maximum); // kept within its range
    EXPECT_EQ(s.vRange().maximum, 678);         // (20000 - 6435) / 20 = 678.25

    s.setZoomIndex(6);
    EXPECT_EQ(s.hScroll(), 458);
    EXPECT_EQ(s.hRange().maximum, 2483);
    const QRectF visible = s.visibleMapRect();
    EXPECT_DOUBLE_EQ(visible.left(), 458 * 20 / 2.0);
    EXPECT_DOUBLE_EQ(visible.width(), 10335 / 2.0);

    // zooming out so far that the map fits: both scroll values 1
    s.setZoomIndex(0);
    EXPECT_EQ(s.hScroll(), 1);
    EXPECT_EQ(s.vScroll(), 1);
    EXPECT_EQ(s.hRange().maximum, 1);

    // a shrinking map pulls the scroll values back into the range
    s.setZoomIndex(6);
    s.setScroll(2000, 600);
    s.setMapSize(QSizeF(8000, 4000));
    EXPECT_EQ(s.hScroll(), s.hRange().maximum);
    EXPECT_EQ(s.vScroll(), s.vRange().maximum);
}

TEST(MapViewState, TopLeftStaysAtOneWhenZoomingWithASmallMap)
{
    MapViewState s;
    s.setViewSize(QSizeF(10335, 6435));
    s.setMapSize(QSizeF(4000, 3000));
    s.setZoomIndex(6);
    EXPECT_EQ(s.hScroll(), 1);
    EXPECT_EQ(s.vScroll(), 1);
}

TEST(MapViewState, CentreOnAMapPoint)
{
    MapViewState s;
    s.setViewSize(QSizeF(10335, 6435));
    s.setMapSize(QSizeF(30000, 20000));
    s.centreOn(QPointF(15000, 10000));
    EXPECT_EQ(s.hScroll(), 492); // (15000 - 5167.5) / 20 = 491.6
    EXPECT_EQ(s.vScroll(), 339); // (10000 - 3217.5) / 20 = 339.1
    const QPointF middle = s.toView(QPointF(15000, 10000));
    EXPECT_NEAR(middle.x(), 10335 / 2.0, 20);
    EXPECT_NEAR(middle.y(), 6435 / 2.0, 20);
    s.centreOn(QPointF(100, 100));
    EXPECT_EQ(s.hScroll(), 1);
    EXPECT_EQ(s.vScroll(), 1);
}

} // namespace
} // namespace tikkeli
