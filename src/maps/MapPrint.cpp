#include "maps/MapPrint.h"

#include "maps/MapScale.h"
#include "maps/MapUnits.h"
#include "printing/ReportDefinition.h"
#include "printing/TextMeasurer.h"

#include <algorithm>

namespace tikkeli {

namespace {

constexpr double MmPerPoint = 25.4 / 72.0;
// The title's corner: 100 printer twips from the printable area's corner.
constexpr double TitleOffsetMm = 100.0 * 25.4 / 1440.0;

double pt(double mm)
{
    return mm * ReportDefinition::PointsPerMm;
}

// Cuts a segment to a rectangle (Liang-Barsky); false when nothing of it lies inside.
bool clipSegment(QLineF& line, const QRectF& r)
{
    double t0 = 0;
    double t1 = 1;
    const double dx = line.dx();
    const double dy = line.dy();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {line.x1() - r.left(), r.right() - line.x1(), line.y1() - r.top(), r.bottom() - line.y1()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const QPointF a = line.p1();
    line = QLineF(a + QPointF(dx, dy) * t0, a + QPointF(dx, dy) * t1);
    return true;
}

} // namespace

ReportFont MapTitleFont()
{
    ReportFont f;
    f.family = QStringLiteral("Arial");
    f.size = 12;
    return f;
}

namespace {

double textHeightMm(TextMeasurer& measurer)
{
    const auto& m = measurer.metrics(MapTitleFont());
    return (m.ascent + m.descent) * MmPerPoint;
}

} // namespace

double MapTitleBand(const MapPrintJob& job, TextMeasurer& measurer)
{
    if (!IsPixelScale(job.scale) || job.title.trimmed().isEmpty())
        return 0;
    return MapTitleBandMm(textHeightMm(measurer));
}

std::optional<qint32> WholeMapPrintScale(qint32 scale, double pixelRatio, QSizeF pictureTwips,
                                         const MapPrinterMetrics& metrics, TextMeasurer& measurer)
{
    const auto base = MapPrintBaseFor(scale, pixelRatio);
    if (!base)
        return std::nullopt;
    const double band = IsPixelScale(scale) ? MapTitleBandMm(textHeightMm(measurer)) : 0.0;
    return MapFitScale(*base, pictureTwips, metrics.printableMm.size(), band);
}

MapPrintLayout LayoutMapPrintJob(const MapPrintJob& job, const MapPrinterMetrics& metrics, TextMeasurer& measurer)
{
    MapPrintRequest request;
    if (const auto base = MapPrintBaseFor(job.scale, job.pixelRatio))
        request.base = *base;
    request.N = job.N;
    if (job.picture)
        request.pictureTwips = QSizeF(job.picture->width(), job.picture->height()) * map::TwipsPerPixel;
    request.bandMm = MapTitleBand(job, measurer);
    request.wholeMap = job.wholeMap;
    request.centreTwips = job.centreTwips;
    return LayoutMapPrint(request, metrics.printableMm.size());
}

ReportDocument ComposeMapPrint(const MapPrintJob& job, const MapPrinterMetrics& metrics, TextMeasurer& measurer)
{
    ReportDocument doc;
    doc.title = job.title.trimmed().isEmpty() ? QStringLiteral("Kartta") : job.title.trimmed();
    doc.pageSize = QSizeF(pt(metrics.pageMm.width()), pt(metrics.pageMm.height()));
    doc.orientation = metrics.pageMm.width() > metrics.pageMm.height() ? QPageLayout::Landscape : QPageLayout::Portrait;
    doc.pages.emplace_back();
    auto& items = doc.pages.back().items;
    const MapPrintLayout layout = LayoutMapPrintJob(job, metrics, measurer);
    const QPointF corner = metrics.printableMm.topLeft();
    const QRectF pictureMm = layout.pictureRectMm().translated(corner);

    if (job.picture && !job.picture->isNull() && !layout.shownTwips.isEmpty()) {
        ReportDocument::Item image;
        image.kind = ReportDocument::Item::Kind::Image;
        image.section = QStringLiteral("DETAIL");
        image.image = job.picture;
        image.rect = QRectF(pt(pictureMm.left()), pt(pictureMm.top()), pt(pictureMm.width()), pt(pictureMm.height()));
        image.source = QRectF(layout.startTwips / map::TwipsPerPixel, layout.shownTwips / map::TwipsPerPixel);
        items.push_back(image);
    }

    for (const QPolygonF& boundary : job.boundaries) {
        for (qsizetype i = 0; i + 1 < boundary.size(); ++i) {
            QLineF segment(layout.pagePointMm(boundary[i]) + corner, layout.pagePointMm(boundary[i + 1]) + corner);
            if (!clipSegment(segment, pictureMm))
                continue;
            ReportDocument::Item line;
            line.kind = ReportDocument::Item::Kind::Line;
            line.section = QStringLiteral("DETAIL");
            line.line = QLineF(pt(segment.x1()), pt(segment.y1()), pt(segment.x2()), pt(segment.y2()));
            line.penWidth = 0.5;
            items.push_back(line);
        }
    }

    // The title goes last, over the picture of a scanned map and into the band of a pixel map.
    if (!job.title.isEmpty()) {
        const ReportFont font = MapTitleFont();
        const auto& m = measurer.metrics(font);
        ReportDocument::Item title;
        title.kind = ReportDocument::Item::Kind::Text;
        title.section = QStringLiteral("TITLE");
        title.font = font;
        title.text = job.title;
        const double x = pt(corner.x() + TitleOffsetMm);
        const double y = pt(corner.y() + TitleOffsetMm);
        title.rect = QRectF(x, y, measurer.width(font, job.title), m.ascent + m.descent);
        title.baseline = y + m.ascent;
        items.push_back(title);
    }
    return doc;
}

} // namespace tikkeli
