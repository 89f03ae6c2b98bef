#include "maps/MapPrint.h"
#include "maps/MapPrintLayout.h"
#include "printing/ReportDefinition.h"
#include "printing/TextMeasurer.h"

#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

constexpr double Pt = ReportDefinition::PointsPerMm;

MapPrinterMetrics a4(double margin = 10)
{
    return MapPrinterMetrics{QSizeF(210, 297), QRectF(margin, margin, 210 - 2 * margin, 297 - 2 * margin)};
}

std::shared_ptr<const QImage> picture(int w, int h)
{
    auto image = std::make_shared<QImage>(w, h, QImage::Format_RGB32);
    image->fill(Qt::white);
    return image;
}

} // namespace

TEST(MapFitScaleTest, WholePictureOnOneSheet)
{
    struct Case {
        const char* what;
        MapPrintBase base;
        QSizeF pictureTwips;
        QSizeF printable;
        double band;
        qint32 expected;
    };
    const Case cases[] = {
        // 400 x 300 mm of a 1:20000 map on 200 x 287 mm: twice as wide as the paper.
        {"scanned, fit by width", {20000, 100}, {40000, 30000}, {200, 287}, 0, 40000},
        // 3000 x 2000 pixels at 2 m/px: 600 x 400 mm of a 1:10000 map; the band does not bind.
        {"pixel map with band", {10000, 75}, {45000, 30000}, {190, 277}, 6.63, 31579},
        // A tall picture fits by height, and the band takes its share of the height.
        {"fit by height with band", {10000, 150}, {15000, 150000}, {190, 277}, 17, 38462},
        // Half to even: 2.5 of the base rounds to 2, 3.5 to 4.
        {"half to even down", {2, 100}, {12500, 100}, {100, 287}, 0, 2},
        {"half to even up", {2, 100}, {17500, 100}, {100, 287}, 0, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto n = MapFitScale(c.base, c.pictureTwips, c.printable, c.band);
        ASSERT_TRUE(n.has_value());
        EXPECT_EQ(*n, c.expected);
    }
}

TEST(MapFitScaleTest, UnusableInputsGiveNoScale)
{
    EXPECT_FALSE(MapFitScale({0, 100}, {1000, 1000}, {200, 287}, 0));
    EXPECT_FALSE(MapFitScale({20000, 0}, {1000, 1000}, {200, 287}, 0));
    EXPECT_FALSE(MapFitScale({20000, 100}, {0, 1000}, {200, 287}, 0));
    EXPECT_FALSE(MapFitScale({20000, 100}, {1000, 1000}, {200, 10}, 12)); // the band eats the page
    // A scale that no longer fits a 32-bit number is refused, not wrapped around.
    EXPECT_FALSE(MapFitScale({2000000000, 1}, {1e6, 1e6}, {200, 287}, 0));
}

TEST(MapPrintBaseTest, KindsOfMap)
{
    struct Case {
        qint32 scale;
        double ratio;
        std::optional<double> B, R;
        MapPrintRefusal refusal;
    };
    const Case cases[] = {
        {20000, 144, 20000, 144, MapPrintRefusal::None},
        {-1, 0, 10000, 150, MapPrintRefusal::None},
        {-2, 0, 10000, 75, MapPrintRefusal::None},
        {-4, 0, 10000, 37.5, MapPrintRefusal::None},
        {0, 144, {}, {}, MapPrintRefusal::ScaleUndefined},
        {-3, 144, {}, {}, MapPrintRefusal::ScaleUndefined},
        {-7, 144, {}, {}, MapPrintRefusal::ScaleUndefined},
        {20000, 0, {}, {}, MapPrintRefusal::RatioUndefined},
        {20000, -5, {}, {}, MapPrintRefusal::RatioUndefined},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scale);
        const auto base = MapPrintBaseFor(c.scale, c.ratio);
        ASSERT_EQ(base.has_value(), c.B.has_value());
        if (base) {
            EXPECT_DOUBLE_EQ(base->B, *c.B);
            EXPECT_DOUBLE_EQ(base->R, *c.R);
        }
        EXPECT_EQ(MapPrintRefusalFor(c.scale, c.ratio, {15000, 15000}), c.refusal);
    }
    EXPECT_EQ(MapPrintRefusalFor(20000, 144, {}), MapPrintRefusal::NoPicture);
    EXPECT_EQ(MapPrintRefusalText(MapPrintRefusal::NoPicture), QStringLiteral("Kartalla ei ole kuvaa."));
    EXPECT_TRUE(MapPrintRefusalText(MapPrintRefusal::RatioUndefined).startsWith("Kartan mittasuhdetta ei ole määrätty."));
    EXPECT_TRUE(MapPrintRefusalText(MapPrintRefusal::ScaleUndefined).startsWith("Kartan mittakaavaa ei ole määritelty."));
}

TEST(MapPrintLayoutTest, WholeMapAtOneToNWhateverTheBand)
{
    MapPrintRequest r;
    r.base = {20000, 100};
    r.N = 20000;
    r.pictureTwips = {40000, 30000};
    const MapPrintLayout plain = LayoutMapPrint(r, {200, 287});
    EXPECT_DOUBLE_EQ(plain.widthMm, 400);
    EXPECT_DOUBLE_EQ(plain.heightMm, 300);
    EXPECT_DOUBLE_EQ(plain.topMm, 0);
    EXPECT_EQ(plain.startTwips, QPointF(0, 0));
    // Only what fits the paper is printed.
    EXPECT_DOUBLE_EQ(plain.shownTwips.width(), 20000);
    EXPECT_DOUBLE_EQ(plain.shownTwips.height(), 28700);

    // A band moves the picture down and never shrinks it below 1:N.
    r.bandMm = 6.63;
    r.N = 40000;
    const MapPrintLayout banded = LayoutMapPrint(r, {200, 287});
    EXPECT_DOUBLE_EQ(banded.widthMm, 200);
    EXPECT_DOUBLE_EQ(banded.heightMm, 150);
    EXPECT_DOUBLE_EQ(banded.topMm, 6.63);
    // A distance d mm on the paper map prints as d B / N mm: 100 mm of map = R 100 twips.
    EXPECT_DOUBLE_EQ(banded.pagePointMm({10000, 0}).x() - banded.pagePointMm({0, 0}).x(), 100.0 * 20000 / 40000);
    const QPointF p = banded.pagePointMm({3000, 1000});
    EXPECT_DOUBLE_EQ(p.x(), 3000.0 * 200 / 40000);
    EXPECT_DOUBLE_EQ(p.y(), 1000.0 * 150 / 30000 + 6.63);
}

TEST(MapPrintLayoutTest, VisibleAreaCentredAndKeptOnThePicture)
{
    struct Case {
        const char* what;
        QSizeF picture;
        QPointF centre;
        double band;
        QPointF start;
    };
    // 1:10000 printed at 1:10000 with R = 37.5: the 200 x 287 mm paper holds 7500 x 10762.5 twips.
    const Case cases[] = {
        {"inside", {100000, 100000}, {50000, 50000}, 0, {46250, 50000 - 10762.5 / 2}},
        {"pulled back at the right and bottom edges", {100000, 100000}, {99000, 99500}, 0, {92500, 100000 - 10762.5}},
        {"the band shortens the span", {100000, 100000}, {50000, 50000}, 7, {46250, 50000 - (280 * 37.5) / 2}},
        {"near the top left corner", {100000, 100000}, {1000, 2000}, 0, {0, 0}},
        {"picture smaller than the page", {5000, 8000}, {2500, 4000}, 0, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MapPrintRequest r;
        r.base = {10000, 37.5};
        r.N = 10000;
        r.pictureTwips = c.picture;
        r.bandMm = c.band;
        r.wholeMap = false;
        r.centreTwips = c.centre;
        const MapPrintLayout layout = LayoutMapPrint(r, {200, 287});
        EXPECT_NEAR(layout.startTwips.x(), c.start.x(), 1e-6);
        EXPECT_NEAR(layout.startTwips.y(), c.start.y(), 1e-6);
        // The start point lands at the corner below the band.
        EXPECT_NEAR(layout.pagePointMm(layout.startTwips).x(), 0, 1e-9);
        EXPECT_NEAR(layout.pagePointMm(layout.startTwips).y(), c.band, 1e-9);
    }
}

TEST(MapPrintComposeTest, OneImageTheTitleAndOneLinePerSegment)
{
    TextMeasurer measurer;
    MapPrintJob job;
    job.picture = picture(1800, 1500); // 27000 x 22500 twips
    job.scale = 20000;
    job.pixelRatio = 150; // 180 x 150 mm of map
    job.N = 20000;
    job.title = QStringLiteral("Metsästysalueet Åkerö");
    job.boundaries = {
        QPolygonF({QPointF(1500, 1500)}),                                                    // one point: nothing
        QPolygonF({QPointF(1500, 1500), QPointF(3000, 1500)}),                               // one segment
        QPolygonF({QPointF(0, 0), QPointF(1500, 0), QPointF(1500, 1500), QPointF(0, 1500)}), // three sides
    };
    const MapPrinterMetrics metrics = a4(10);
    const ReportDocument doc = ComposeMapPrint(job, metrics, measurer);
    ASSERT_EQ(doc.pages.size(), 1u);
    int images = 0;
    std::vector<QLineF> lines;
    std::vector<ReportDocument::Item> texts;
    for (const auto& item : doc.pages[0].items) {
        if (item.kind == ReportDocument::Item::Kind::Image)
            ++images;
        else if (item.kind == ReportDocument::Item::Kind::Line)
            lines.push_back(item.line);
        else if (item.kind == ReportDocument::Item::Kind::Text)
            texts.push_back(item);
    }
    EXPECT_EQ(images, 1);
    ASSERT_EQ(lines.size(), 4u);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, job.title);
    EXPECT_EQ(texts[0].font.family, QStringLiteral("Arial"));
    EXPECT_DOUBLE_EQ(texts[0].font.size, 12);
    // The title's corner is 100 printer twips inside the printable area, over the scanned picture.
    EXPECT_NEAR(texts[0].rect.left(), (10 + 100 * 25.4 / 1440) * Pt, 1e-4);
    EXPECT_NEAR(texts[0].rect.top(), (10 + 100 * 25.4 / 1440) * Pt, 1e-4);
    // Each boundary point lies on the image where the picture shows it: 1500 twips = 100 px = 10 mm.
    const auto image = doc.pages[0].items.shape(0);
    EXPECT_NEAR(lines[0].p1().x(), image.rect.left() + 10 * Pt, 1e-6);
    EXPECT_NEAR(lines[0].p1().y(), image.rect.top() + 10 * Pt, 1e-6);
    EXPECT_NEAR(lines[0].p2().x(), image.rect.left() + 20 * Pt, 1e-6);
    // The square's open side: no segment back from (0, 1500) to (0, 0).
    for (const QLineF& l : lines)
        EXPECT_FALSE(l.p1() == QPointF(image.rect.left(), image.rect.top() + 10 * Pt)
                     && l.p2() == QPointF(image.rect.topLeft()));
    EXPECT_NEAR(image.rect.width(), 180 * Pt, 1e-6);
    EXPECT_NEAR(image.rect.height(), 150 * Pt, 1e-6);
}

TEST(MapPrintComposeTest, TitleBandOnlyForPixelMapsWithATitle)
{
    TextMeasurer measurer;
    MapPrintJob job;
    job.picture = picture(3000, 2000);
    job.N = 10000;
    const auto imageTop = [&] {
        const ReportDocument doc = ComposeMapPrint(job, a4(10), measurer);
        for (const auto& item : doc.pages[0].items)
            if (item.kind == ReportDocument::Item::Kind::Image)
                return item.rect.top() / Pt - 10;
        return -1.0;
    };
    job.scale = -2;
    job.title = QStringLiteral("   ");
    EXPECT_NEAR(imageTop(), 0, 1e-9);
    job.title = QStringLiteral("Kartta");
    const double band = imageTop();
    EXPECT_GT(band, 5.5);
    EXPECT_LT(band, 7.5);
    EXPECT_NEAR(band, MapTitleBand(job, measurer), 1e-9);
    job.scale = 20000;
    job.pixelRatio = 150;
    EXPECT_NEAR(imageTop(), 0, 1e-9);

    // The offered scale of a pixel map reserves the band before any title is typed.
    const auto withBand = WholeMapPrintScale(-2, 0, {45000, 150000}, a4(10), measurer);
    const auto scanned = WholeMapPrintScale(10000, 75, {45000, 150000}, a4(10), measurer);
    ASSERT_TRUE(withBand && scanned);
    EXPECT_GT(*withBand, *scanned);
}
