#pragma once

#include "printing/PageSink.h"
#include "printing/ReportDocument.h"

#include <QPainter>
#include <QString>
#include <functional>
#include <memory>

class QIODevice;
class QPagedPaintDevice;
class QPdfWriter;

namespace tikkeli {

// Paints laid-out pages onto any device: the preview (an image), a printer or a PDF file.
class PagePainter {
public:
    // Paints one page with its top left corner at the painter's origin; scale = device pixels per point.
    static void paint(QPainter& painter, const ReportDocument& doc, int page, double scale);
    static void paint(QPainter& painter, const ReportDocument::Page& page, double scale);
    // Paints pages [from, to] onto a paged device that is set up for the whole page (no margins),
    // starting on its current page. Returns false when the device refuses to paint.
    static bool paintPages(QPagedPaintDevice& device, const ReportDocument& doc, int from, int to, int copies = 1);
    // Writes the report as a PDF file, replacing the file only when the whole file is written,
    // and never a database of ours (OutputTarget). Throws ReportException 20544 on failure.
    static void writePdf(const ReportDocument& doc, const QString& path);
    static bool writePdf(const ReportDocument& doc, QIODevice* device);
    // The same for pages handed over as they are laid out: `produce` gives the sink its pages
    // (begin, each page, end). An exception out of `produce` leaves the old file as it was.
    static void writePdf(const QString& path, const std::function<void(PageSink&)>& produce);
};

// Paints each page it is given onto a paged device set up for the whole page (a printer or a PDF
// writer), starting on the device's current page.
class DevicePages : public PageSink {
public:
    explicit DevicePages(QPagedPaintDevice& device) : m_device(device) {}
    void begin(const ReportDocument& report) override;
    void page(const ReportDocument::Page& page) override;
    void end() override;
    // False once the device refused to begin, to turn a page or to finish.
    bool ok() const { return m_ok; }

private:
    QPagedPaintDevice& m_device;
    QPainter m_painter;
    double m_scale = 1;
    bool m_first = true;
    bool m_ok = true;
};

// Writes the pages it is given as a PDF onto a device; the page size and orientation are the
// report's.
class PdfPages : public PageSink {
public:
    explicit PdfPages(QIODevice* out);
    ~PdfPages() override;
    void begin(const ReportDocument& report) override;
    void page(const ReportDocument::Page& page) override { m_pages->page(page); }
    void end() override { m_pages->end(); }
    bool ok() const { return m_pages->ok(); }

private:
    std::unique_ptr<QPdfWriter> m_writer;
    std::unique_ptr<DevicePages> m_pages;
};

} // namespace tikkeli
