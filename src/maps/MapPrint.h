#pragma once

#include "maps/MapPrintLayout.h"
#include "printing/ReportDocument.h"

#include <QImage>
#include <QPolygonF>
#include <memory>
#include <vector>

namespace tikkeli {

class TextMeasurer;

// One sheet of map: the stored picture at 1:N, the boundaries drawn on the map window, a title.
struct MapPrintJob {
    std::shared_ptr<const QImage> picture;
    qint32 scale = 0;      // the map's stored scale: 1:N of a scanned map, or -1/-2/-4 for a pixel map
    double pixelRatio = 0; // picture twips per mm of a scanned map
    QString title;
    qint64 N = 0;
    bool wholeMap = true;
    QPointF centreTwips;               // centre of the window's visible area, for a print around it
    std::vector<QPolygonF> boundaries; // picture twips, in boundary order; not closed
};

// The title's font: Arial 12, as the band's height assumes.
ReportFont MapTitleFont();

// Height of a pixel map's title band for this title (0 for a blank title or a scanned map).
double MapTitleBand(const MapPrintJob& job, TextMeasurer& measurer);

// The scale offered for the whole picture on one sheet; a pixel map reserves the band with the
// height of "X" before any title is typed.
std::optional<qint32> WholeMapPrintScale(qint32 scale, double pixelRatio, QSizeF pictureTwips,
                                         const MapPrinterMetrics& metrics, TextMeasurer& measurer);

// The layout of this job on this paper.
MapPrintLayout LayoutMapPrintJob(const MapPrintJob& job, const MapPrinterMetrics& metrics, TextMeasurer& measurer);

// The sheet as the report engine's page model: one image, one line per boundary segment (cut at
// the printed picture's edges), the title on top.
ReportDocument ComposeMapPrint(const MapPrintJob& job, const MapPrinterMetrics& metrics, TextMeasurer& measurer);

} // namespace tikkeli
