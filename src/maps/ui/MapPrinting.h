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

// The map window's print command: refuses a map without picture, scale or ratio, asks
// frmKartanTulostus, and prints one sheet to the printer (or PDF file) of the printer setup.
// Returns true when a sheet was printed.
bool PrintMap(QWidget* owner, const MapPrintSource& source);

} // namespace tikkeli
