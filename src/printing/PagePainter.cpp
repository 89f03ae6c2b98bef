#include "printing/PagePainter.h"

#include "base/SafeFileDevice.h"
#include "db/OutputTarget.h"

#include "printing/ReportDefinition.h"
#include "printing/ReportError.h"

#include <QDir>
#include <QHash>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

namespace tikkeli {

void PagePainter::paint(QPainter& painter, const ReportDocument& doc, int page, double scale)
{
    if (page >= 0 && page < int(doc.pages.size()))
        paint(painter, doc.pages[size_t(page)], scale);
}

void PagePainter::paint(QPainter& painter, const ReportDocument::Page& page, double scale)
{
    // A font's point size is turned into pixels by the device's own resolution; the layout's
    // points must become exactly `scale` pixels each.
    const double dpi = painter.device() ? painter.device()->logicalDpiY() : 72.0;
    const double fontFactor = scale * 72.0 / (dpi > 0 ? dpi : 72.0);
    QHash<ReportFont, QFont> fonts;
    const ReportFont* current = nullptr;
    QColor currentColor;

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    const ReportDocument::ItemList& items = page.items;
    for (size_t i = 0; i < items.size(); ++i) {
        const ReportDocument::ItemList::Style& style = items.style(i);
        if (style.kind == ReportDocument::Item::Kind::Text) {
            if (!current || !(*current == style.font)) {
                auto f = fonts.find(style.font);
                if (f == fonts.end())
                    f = fonts.insert(style.font, style.font.toQFont(style.font.size * fontFactor));
                painter.setFont(*f);
                current = &style.font;
            }
            if (currentColor != style.color) {
                painter.setPen(style.color);
                currentColor = style.color;
            }
            painter.drawText(items.textOrigin(i) * scale, items.text(i));
            continue;
        }
        const ReportDocument::Item it = items.shape(i);
        switch (it.kind) {
        case ReportDocument::Item::Kind::Text: break;
        case ReportDocument::Item::Kind::Line:
            painter.setPen(QPen(it.color, it.penWidth * scale));
            currentColor = QColor();
            painter.drawLine(QLineF(it.line.p1() * scale, it.line.p2() * scale));
            break;
        case ReportDocument::Item::Kind::Box: {
            painter.setPen(it.penWidth > 0 ? QPen(it.color, it.penWidth * scale) : QPen(Qt::NoPen));
            currentColor = QColor();
            painter.setBrush(it.fill.isValid() ? QBrush(it.fill) : QBrush(Qt::NoBrush));
            const QRectF r(it.rect.topLeft() * scale, it.rect.size() * scale);
            painter.drawRect(r);
            painter.setBrush(Qt::NoBrush);
            break;
        }
        case ReportDocument::Item::Kind::BarCode: {
            painter.setPen(Qt::NoPen);
            currentColor = QColor();
            painter.setBrush(it.color);
            const double left = it.rect.left(), width = it.rect.width();
            for (const BankBarCode::Bar& b : it.bars)
                painter.drawRect(QRectF(QPointF(left + b.x * width, it.rect.top()) * scale,
                                        QSizeF(b.width * width, it.rect.height()) * scale));
            painter.setBrush(Qt::NoBrush);
            break;
        }
        case ReportDocument::Item::Kind::Image:
            if (it.image && !it.image->isNull() && !it.source.isEmpty()) {
                painter.drawImage(QRectF(it.rect.topLeft() * scale, it.rect.size() * scale), *it.image, it.source);
            } else if (it.image && !it.image->isNull()) {
                QSizeF size = QSizeF(it.image->size()).scaled(it.rect.size() * scale, Qt::KeepAspectRatio);
                painter.drawImage(QRectF(it.rect.topLeft() * scale, size), *it.image);
            }
            break;
        }
    }
    painter.restore();
}

bool PagePainter::paintPages(QPagedPaintDevice& device, const ReportDocument& doc, int from, int to, int copies)
{
    DevicePages pages(device);
    pages.begin(doc);
    for (int c = 0; c < std::max(1, copies) && pages.ok(); ++c)
        for (int p = std::max(0, from); p <= std::min(to, int(doc.pages.size()) - 1) && pages.ok(); ++p)
            pages.page(doc.pages[size_t(p)]);
    pages.end();
    return pages.ok();
}

void DevicePages::begin(const ReportDocument&)
{
    m_first = true;
    m_ok = m_painter.begin(&m_device);
    m_scale = m_device.logicalDpiX() / 72.0;
}

void DevicePages::page(const ReportDocument::Page& page)
{
    if (!m_ok)
        return;
    if (!m_first && !m_device.newPage()) {
        m_ok = false;
        return;
    }
    m_first = false;
    PagePainter::paint(m_painter, page, m_scale);
}

void DevicePages::end()
{
    if (m_painter.isActive() && !m_painter.end())
        m_ok = false;
}

PdfPages::PdfPages(QIODevice* out) : m_writer(std::make_unique<QPdfWriter>(out))
{
    m_pages = std::make_unique<DevicePages>(*m_writer);
}

// The painter ends before its writer goes.
PdfPages::~PdfPages()
{
    m_pages.reset();
}

void PdfPages::begin(const ReportDocument& report)
{
    m_writer->setTitle(report.title);
    m_writer->setCreator(QStringLiteral("Tikkeli"));
    m_writer->setResolution(1200);
    QSizeF portrait = report.pageSize;
    if (report.orientation == QPageLayout::Landscape)
        portrait.transpose();
    m_writer->setPageLayout(QPageLayout(
        QPageSize(portrait / ReportDefinition::PointsPerMm, QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch),
        report.orientation, QMarginsF(0, 0, 0, 0)));
    m_pages->begin(report);
}

bool PagePainter::writePdf(const ReportDocument& doc, QIODevice* out)
{
    PdfPages pages(out);
    PageSink::feed(doc, pages);
    return pages.ok();
}

void PagePainter::writePdf(const ReportDocument& doc, const QString& path)
{
    writePdf(path, [&](PageSink& sink) { PageSink::feed(doc, sink); });
}

void PagePainter::writePdf(const QString& path, const std::function<void(PageSink&)>& produce)
{
    // Through a temporary file with every write and the flush checked: a full disk leaves the old
    // file in place and is reported, never a truncated file reported as printed.
    SafeFileDevice file(path, QStringLiteral("pdf"), OutputTarget::refusal);
    const QString shown = QDir::toNativeSeparators(path);
    if (const auto e = file.begin())
        throw ReportException(ReportErr::PrinterError,
                              QStringLiteral("PDF-tiedostoa %1 ei voi kirjoittaa: %2").arg(shown, e->text()));
    bool written = false;
    {
        PdfPages pages(&file);
        produce(pages);
        written = pages.ok();
    }
    if (!written)
        throw ReportException(ReportErr::PrinterError, QStringLiteral("PDF-tiedoston %1 kirjoitus epäonnistui.").arg(shown));
    if (const auto e = file.commit())
        throw ReportException(ReportErr::PrinterError,
                              QStringLiteral("PDF-tiedostoa %1 ei voi tallentaa: %2").arg(shown, e->text()));
}

} // namespace tikkeli
