#pragma once

#include "printing/ReportDocument.h"

#include <QString>

class QIODevice;
class QPagedPaintDevice;
class QPainter;

namespace tikkeli {

// Paints laid-out pages onto any device: the preview (an image), a printer or a PDF file.
class PagePainter {
public:
    // Paints one page with its top left corner at the painter's origin; scale = device pixels per point.
    static void paint(QPainter& painter, const ReportDocument& doc, int page, double scale);
    // Paints pages [from, to] onto a paged device that is set up for the whole page (no margins),
    // starting on its current page. Returns false when the device refuses to paint.
    static bool paintPages(QPagedPaintDevice& device, const ReportDocument& doc, int from, int to, int copies = 1);
    // Writes the report as a PDF file, replacing the file only when the whole file is written.
    // Throws ReportException 20544 on failure.
    static void writePdf(const ReportDocument& doc, const QString& path);
    static bool writePdf(const ReportDocument& doc, QIODevice* device);
};

} // namespace tikkeli
