#pragma once

#include "maps/MapPrint.h"

class QPrinter;
class QWidget;

namespace tikkeli {

// The paper of a printer as the map print lays it out: the sheet, and its printable area kept at
// least 5 mm inside the edges, which most printers cannot reach.
MapPrinterMetrics MapPrinterMetricsOf(const QPrinter& printer);

// What the map window hands its print command.
struct MapPrintSource {
    std::shared_ptr<const QImage> picture;
    qint32 scale = 0;
    double pixelRatio = 0;
    QPointF visibleCentreTwips;
    std::vector<QPolygonF> boundaries;
};

// The map window's print command: refuses a map without picture, scale or ratio, asks where the
// sheet goes (frmTulostus: the preview window, or a printer or PDF file) and then frmKartanTulostus,
// and sends one sheet there. Returns true when the sheet was sent.
bool PrintMap(QWidget* owner, const MapPrintSource& source);

} // namespace tikkeli
