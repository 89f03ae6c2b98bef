#include "printing/PagePainter.h"

#include "base/SafeFileDevice.h"

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
    if (page < 0 || page >= int(doc.pages.size()))
        return;
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
    const ReportDocument::ItemList& items = doc.pages[size_t(page)].items;
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
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const double scale = device.logicalDpiX() / 72.0;
    bool first = true;
    for (int c = 0; c < std::max(1, copies); ++c)
        for (int p = std::max(0, from); p <= std::min(to, int(doc.pages.size()) - 1); ++p) {
            if (!first && !device.newPage())
                return false;
            first = false;
            paint(painter, doc, p, scale);
        }
    return painter.end();
}

bool PagePainter::writePdf(const ReportDocument& doc, QIODevice* out)
{
    QPdfWriter writer(out);
    writer.setTitle(doc.title);
    writer.setCreator(QStringLiteral("Tikkeli"));
    writer.setResolution(1200);
    QSizeF portrait = doc.pageSize;
    if (doc.orientation == QPageLayout::Landscape)
        portrait.transpose();
    writer.setPageLayout(QPageLayout(
        QPageSize(portrait / ReportDefinition::PointsPerMm, QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch),
        doc.orientation, QMarginsF(0, 0, 0, 0)));
    return paintPages(writer, doc, 0, int(doc.pages.size()) - 1);
}

void PagePainter::writePdf(const ReportDocument& doc, const QString& path)
{
    // Through a temporary file with every write and the flush checked: a full disk leaves the old
    // file in place and is reported, never a truncated file reported as printed.
    SafeFileDevice file(path);
    const QString shown = QDir::toNativeSeparators(path);
    if (const auto e = file.begin())
        throw ReportException(ReportErr::PrinterError,
                              QStringLiteral("PDF-tiedostoa %1 ei voi kirjoittaa: %2").arg(shown, e->text()));
    if (!writePdf(doc, &file))
        throw ReportException(ReportErr::PrinterError, QStringLiteral("PDF-tiedoston %1 kirjoitus epäonnistui.").arg(shown));
    if (const auto e = file.commit())
        throw ReportException(ReportErr::PrinterError,
                              QStringLiteral("PDF-tiedostoa %1 ei voi tallentaa: %2").arg(shown, e->text()));
}

} // namespace tikkeli
