#pragma once

#include "printing/BankBarCode.h"
#include "printing/ReportFont.h"

#include <QColor>
#include <QImage>
#include <QLineF>
#include <QPointF>
#include <QPageLayout>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <unordered_map>
#include <vector>

namespace tikkeli {

// The laid-out report: pages of positioned items, in points (1/72 inch) from the page's top
// left corner. It is painted as it stands onto the preview, a printer or a PDF file, and tests
// read it directly.
struct ReportDocument {
    struct Item {
        enum class Kind { Text, Line, Box, Image, BarCode };
        Kind kind = Kind::Text;
        QRectF rect;         // Text: the line's box (width = the text's advance); Box, Image, BarCode
        QLineF line;         // Line
        double baseline = 0; // Text: y of the baseline
        QString text;        // one line of text
        ReportFont font;
        double penWidth = 0.5; // Line, Box
        QColor color = Qt::black;
        QColor fill; // Box: invalid = no fill
        std::shared_ptr<const QImage> image;
        QRectF source; // Image: the part of the image drawn into rect, in image pixels; empty = all, aspect kept
        // BarCode: the bars, filled in `color` as high as rect, their edges as fractions of its
        // width. One item for the whole symbol: a bar code's ninety-odd bars as items of their own
        // took most of an invoice page's memory.
        std::vector<BankBarCode::Bar> bars;
        QString section; // the band it comes from: TITLE, HEADER, DETAIL, GH1, GF1, FOOTER, SUMMARY
    };

    // The items of one page. A long list has hundreds of thousands of text lines, nearly all in a
    // handful of fonts, colours and sections: each line is kept as a small record (position and
    // width as floats, its text in one buffer of the page, a shared style), and read back as an
    // Item.
    class ItemList {
    public:
        struct Style {
            Item::Kind kind = Item::Kind::Text;
            ReportFont font;
            QColor color;
            QString section;
            float height = 0; // Text: the line's height
            float ascent = 0; // Text: baseline below the line's top
            bool operator==(const Style&) const = default;
        };
        class const_iterator {
        public:
            using iterator_category = std::random_access_iterator_tag;
            using value_type = Item;
            using difference_type = std::ptrdiff_t;
            using pointer = void;
            using reference = Item;
            const_iterator() = default;
            const_iterator(const ItemList* list, size_t i) : m_list(list), m_i(i) {}
            Item operator*() const { return (*m_list)[m_i]; }
            struct Arrow {
                Item item;
                const Item* operator->() const { return &item; }
            };
            Arrow operator->() const { return {**this}; }
            const_iterator& operator++()
            {
                ++m_i;
                return *this;
            }
            const_iterator operator++(int)
            {
                const_iterator old = *this;
                ++m_i;
                return old;
            }
            const_iterator& operator+=(difference_type n)
            {
                m_i = size_t(difference_type(m_i) + n);
                return *this;
            }
            difference_type operator-(const const_iterator& o) const
            {
                return difference_type(m_i) - difference_type(o.m_i);
            }
            bool operator==(const const_iterator& o) const { return m_i == o.m_i; }

        private:
            const ItemList* m_list = nullptr;
            size_t m_i = 0;
        };

        ItemList() = default;
        ItemList(std::initializer_list<Item> items);

        void push_back(const Item& item);
        size_t size() const { return m_records.size(); }
        bool empty() const { return m_records.empty(); }
        Item operator[](size_t i) const;
        const_iterator begin() const { return {this, 0}; }
        const_iterator end() const { return {this, m_records.size()}; }
        // Gives a text line new text and a new left edge and width (page numbers, known last).
        void setText(size_t i, const QString& text, double left, double width);
        // Room for this many items and characters of text, so that a page laid out like the one
        // before it is filled without moving its items around in memory.
        void reserve(size_t items, qsizetype chars);
        size_t textLength() const { return size_t(m_text.size()); }
        // Gives back much room kept for more items; the page is complete.
        void squeeze();

        // For painting without building Items: the text shares the page's buffer.
        const Style& style(size_t i) const { return m_styles[m_records[i].style]; }
        QString text(size_t i) const;
        QPointF textOrigin(size_t i) const; // left end of the baseline
        Item shape(size_t i) const;         // a line, box, image or bar code

    private:
        struct Record {
            float left = 0, top = 0, width = 0; // Text
            std::uint32_t offset = 0;           // Text: into m_text; Line: into m_lines; others: into m_shapes
            std::uint16_t length = 0;           // Text: LongText means "see m_longLengths"
            std::uint16_t style = 0;
        };
        static constexpr std::uint16_t LongText = 0xFFFF;
        struct StyleHash {
            size_t operator()(const Style& s) const;
        };
        // A line of a form (a page of invoices draws a dozen) in a seventh of an Item's room.
        struct LineRecord {
            QLineF line;
            double penWidth = 0;
        };
        std::uint16_t styleOf(const Style& s);
        void setTextRecord(Record& r, size_t index, const QString& text);
        qsizetype length(size_t i) const;

        std::vector<Record> m_records;
        QString m_text;
        std::vector<Style> m_styles;
        std::uint16_t m_lastStyle = 0;
        // Looked up by hash once a page has more than a few styles.
        std::unordered_map<Style, std::uint16_t, StyleHash> m_styleIndex;
        std::vector<Item> m_shapes;
        std::vector<LineRecord> m_lines;
        std::unordered_map<size_t, qsizetype> m_longLengths;
    };

    struct Page {
        ItemList items;
    };

    QString title;
    QSizeF pageSize; // points, oriented
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    std::vector<Page> pages;
    int rowCount = 0; // records that passed the selection

    // The report without its pages: what a page sink is given before them.
    ReportDocument header() const;
    // Every text of a page in reading order (top to bottom, left to right), one line per baseline.
    QStringList pageLines(int page) const;
    // Texts of a page's items of one section, in reading order.
    QStringList sectionTexts(int page, const QString& section) const;
    // All text items whose text equals t, over all pages, with their page.
    std::vector<std::pair<int, Item>> find(const QString& t) const;
};

} // namespace tikkeli
