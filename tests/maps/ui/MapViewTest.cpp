#include "maps/ui/MapView.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace tikkeli {
namespace {

const std::vector<QPoint> kCorners{{100, 100}, {300, 100}, {300, 300}, {100, 300}, {640, 480}};
const QColor kMark(0, 0, 255);

QImage markedPicture()
{
    QImage image(1200, 900, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (const QPoint& p : kCorners)
        painter.fillRect(QRect(p - QPoint(3, 3), QSize(7, 7)), kMark);
    return image;
}

// Lines are drawn without smoothing through positions between pixels: the colour is looked for in
// the pixel's neighbourhood.
bool colourNear(const QImage& image, QPointF pos, const QColor& colour)
{
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy)
            if (image.pixelColor(pos.toPoint() + QPoint(dx, dy)) == colour)
                return true;
    return false;
}

MapView::Chain chainOf(const std::vector<QPoint>& pixels)
{
    MapView::Chain chain;
    for (const QPoint& p : pixels)
        chain.push_back(QPointF(p) * 15.0);
    return chain;
}

struct ViewCase {
    int zoomIndex;
    int h, v;
};

TEST(MapView, BoundaryCornersLieOnThePictureMarksAtEveryZoom)
{
    MapViewState state;
    MapView view;
    view.resize(700, 500);
    view.setViewState(&state);
    view.setPicture(markedPicture());
    state.setViewSize(view.sizeInTwips());
    state.setMapSize(QSizeF(1200 * 15.0, 900 * 15.0));
    const ViewCase cases[] = {{4, 1, 1}, {6, 150, 100}, {2, 1, 1}, {5, 40, 70}};
    for (const ViewCase& c : cases) {
        state.setZoomIndex(c.zoomIndex);
        state.setScroll(c.h, c.v);
        view.setEstates({});
        const QImage bare = view.grab().toImage();
        view.setEstates({chainOf(kCorners)});
        const QImage drawn = view.grab().toImage();
        int seen = 0;
        for (const QPoint& p : kCorners) {
            const QPointF pos = view.widgetPosOf(QPointF(p) * 15.0);
            if (!QRectF(view.rect()).adjusted(2, 2, -2, -2).contains(pos))
                continue;
            ++seen;
            SCOPED_TRACE(testing::Message() << "zoom " << c.zoomIndex << " corner " << p.x() << "," << p.y());
            EXPECT_EQ(bare.pixelColor(pos.toPoint()), kMark);
            EXPECT_TRUE(colourNear(drawn, pos, MapView::boundaryColor()));
        }
        EXPECT_GE(seen, 2) << c.zoomIndex;
    }
}

TEST(MapView, EverythingDrawnIsPaintedFromItsData)
{
    MapViewState state;
    MapView view;
    view.resize(400, 300);
    view.setViewState(&state);
    state.setViewSize(view.sizeInTwips());
    state.setMapSize(QSizeF(1200 * 15.0, 900 * 15.0));
    view.setPicture(markedPicture());
    view.setFoundEstate(chainOf({{20, 20}, {120, 20}}));
    view.setDrawing(chainOf({{20, 60}, {120, 60}}));
    view.setMeasureLine(QLineF(QPointF(20, 100) * 15.0, QPointF(120, 100) * 15.0));
    const QImage image = view.grab().toImage();
    const auto near = [&](QPoint pixel, const QColor& c) {
        return colourNear(image, view.widgetPosOf(QPointF(pixel) * 15.0), c);
    };
    EXPECT_TRUE(near({70, 20}, MapView::boundaryColor()));
    EXPECT_TRUE(near({70, 60}, MapView::boundaryColor()));
    EXPECT_TRUE(near({70, 100}, MapView::measureColor()));
    EXPECT_FALSE(near({70, 140}, MapView::boundaryColor()));
    // One corner alone draws nothing.
    view.setDrawing(chainOf({{70, 140}}));
    EXPECT_FALSE(colourNear(view.grab().toImage(), view.widgetPosOf(QPointF(70, 140) * 15.0), MapView::boundaryColor()));
}

TEST(MapView, MouseComesOutAsMapPoints)
{
    MapViewState state;
    MapView view;
    view.resize(400, 300);
    view.setViewState(&state);
    state.setViewSize(view.sizeInTwips());
    state.setMapSize(QSizeF(30000, 20000));
    state.setZoomIndex(2);
    QSignalSpy pressed(&view, &MapView::mapPressed);
    QSignalSpy released(&view, &MapView::mapReleased);
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(100, 60));
    ASSERT_EQ(pressed.count(), 1);
    EXPECT_EQ(pressed[0][0].value<Qt::MouseButton>(), Qt::LeftButton);
    // (1 x 20 + 100 x 15) / 0.5, (1 x 20 + 60 x 15) / 0.5
    EXPECT_EQ(pressed[0][1].toPointF(), QPointF(3040, 1840));
    ASSERT_EQ(released.count(), 1);
}

} // namespace
} // namespace tikkeli
