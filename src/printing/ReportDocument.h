#pragma once

#include "printing/ReportFont.h"

#include <QColor>
#include <QImage>
#include <QLineF>
#include <QPageLayout>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <memory>
#include <vector>

namespace tikkeli {

// The laid-out report: pages of positioned items, in points (1/72 inch) from the page's top
// left corner. It is painted as it stands onto the preview, a printer or a PDF file, and tests
// read it directly.
struct ReportDocument {
    struct Item {
        enum class Kind { Text, Line, Box, Image };
        Kind kind = Kind::Text;
        QRectF rect;         // Text: the line's box (width = the text's advance); Box, Image
        QLineF line;         // Line
        double baseline = 0; // Text: y of the baseline
        QString text;        // one line of text
        ReportFont font;
        double penWidth = 0.5; // Line, Box
        QColor color = Qt::black;
        QColor fill; // Box: invalid = no fill
        std::shared_ptr<const QImage> image;
        QString section; // the band it comes from: TITLE, HEADER, DETAIL, GH1, GF1, FOOTER, SUMMARY
    };
    struct Page {
        std::vector<Item> items;
    };

    QString title;
    QSizeF pageSize; // points, oriented
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    std::vector<Page> pages;
    int rowCount = 0; // records that passed the selection

    // Every text of a page in reading order (top to bottom, left to right), one line per baseline.
    QStringList pageLines(int page) const;
    // Texts of a page's items of one section, in reading order.
    QStringList sectionTexts(int page, const QString& section) const;
    // All text items whose text equals t, over all pages.
    std::vector<std::pair<int, const Item*>> find(const QString& t) const;
};

} // namespace tikkeli
