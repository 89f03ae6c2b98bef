#include "lists/DataPrinter.h"

#include "db/Recordset.h"
#include "lists/DataPrinterLayout.h"
#include "lists/DataPrinterSettings.h"
#include "printing/FieldFormatter.h"
#include "printing/ReportDefinition.h"
#include "printing/ReportEngine.h"
#include "printing/ReportError.h"
#include "printing/TextMeasurer.h"

#include <QHash>

#include <algorithm>

namespace tikkeli {

namespace {

using Item = ReportDocument::Item;

constexpr double CellPadding = 2.0; // points on each side of a cell's text
constexpr double RowPadding = 1.5;  // points above and below a row's text
constexpr double MinShareMm = 15.0; // room kept for each column without a width of its own

struct TableLayout {
    ReportDocument& doc;
    TextMeasurer measure;
    ReportFont font, headerFont, titleFont;
    std::vector<double> left, width;
    double top = 0, bottom = 0, tableTop = 0, y = 0, rowHeight = 0;
    double pageLeft = 0, pageRight = 0;
    bool lines = true;
    std::vector<size_t> pageNumberItems;

    void text(const QString& t, const ReportFont& f, double x, double yTop, const QString& section, double maxWidth)
    {
        if (t.isEmpty())
            return;
        const TextMeasurer::Fitted fitted = measure.cut(f, t, maxWidth);
        if (fitted.text.isEmpty())
            return;
        const auto& m = measure.metrics(f);
        Item it;
        it.kind = Item::Kind::Text;
        it.font = f;
        it.section = section;
        it.rect = QRectF(x, yTop, fitted.width, m.lineSpacing);
        it.baseline = yTop + m.ascent;
        it.text = fitted.text;
        doc.pages.back().items.push_back(it);
    }

    void line(double x1, double y1, double x2, double y2, const QString& section)
    {
        Item it;
        it.kind = Item::Kind::Line;
        it.line = QLineF(x1, y1, x2, y2);
        it.section = section;
        doc.pages.back().items.push_back(it);
    }

    double tableRight() const { return left.empty() ? pageLeft : left.back() + width.back(); }

    void row(const std::vector<QString>& cells, const ReportFont& f, const QString& section)
    {
        for (size_t c = 0; c < cells.size(); ++c)
            text(cells[c], f, left[c] + CellPadding, y + RowPadding, section, width[c] - 2 * CellPadding);
        y += rowHeight;
        if (lines)
            line(pageLeft, y, tableRight(), y, section);
    }
};

QString cellText(const Value& v)
{
    QString t = FieldFormatter::format(v, ReportDefinition::Format{});
    // A memo prints its first line: a table row is one line high.
    for (qsizetype i = 0; i < t.size(); ++i) {
        if (t[i] == u'\r' || t[i] == u'\n') {
            t.truncate(i);
            break;
        }
    }
    return t;
}

} // namespace

std::vector<double> DataPrinter::ColumnWidths(const DataPrinterSettings& settings, double tableWidth)
{
    const int n = settings.columnCount();
    std::vector<double> widths(std::size_t(n), 0.0);
    if (n == 0)
        return widths;
    double fixed = 0;
    int shares = 0;
    for (int i = 1; i <= n; ++i) {
        const double w = settings.Columns(i).Width() * ReportDefinition::PointsPerMm;
        widths[std::size_t(i - 1)] = w;
        if (w > 0)
            fixed += w;
        else
            ++shares;
    }
    const double minShare = std::min(MinShareMm * ReportDefinition::PointsPerMm, tableWidth / n);
    double target = fixed;
    if (shares == 0)
        target = std::min(fixed, tableWidth);
    else if (tableWidth - fixed < shares * minShare)
        target = std::max(0.0, tableWidth - shares * minShare);
    const double factor = fixed > 0 ? target / fixed : 1.0;
    const double share = shares > 0 ? (tableWidth - target) / shares : 0.0;
    for (double& w : widths)
        w = w > 0 ? w * factor : share;
    return widths;
}

void DataPrinter::PrintTable(const QString& title, Recordset& rows, const DataPrinterSettings& settings,
                             DataPrinterLayout& layout, bool pageNumbers, const QString& criteria, double scale)
{
    ReportDocument& doc = layout.Surface();
    // A column wider than the paper would leave no room for the others: the print is refused with
    // the reason rather than printed with one column.
    if (const QString why = settings.WidthProblem(doc.pageSize.width() / ReportDefinition::PointsPerMm); !why.isEmpty())
        throw ReportException(ReportErr::InvalidReport, why);
    doc.title = settings.ReportName().isEmpty() ? title : settings.ReportName();
    const QMarginsF& margins = layout.margins();

    TableLayout t{doc, {}, {}, {}, {}, {}, {}, 0, 0, 0, 0, 0, 0, 0, settings.Lines(), {}};
    t.font.family = FontName;
    t.font.size = std::max(1.0, FontSize * (scale > 0 ? scale : 1.0));
    t.headerFont = t.font;
    t.headerFont.bold = true;
    t.titleFont = t.headerFont;
    t.titleFont.size = t.font.size + 4;
    t.pageLeft = margins.left();
    t.pageRight = doc.pageSize.width() - margins.right();
    t.top = margins.top();
    const double footerHeight = t.measure.metrics(t.font).lineSpacing + 4;
    t.bottom = doc.pageSize.height() - margins.bottom() - (pageNumbers ? footerHeight : 0);
    t.rowHeight = t.measure.metrics(t.font).lineSpacing + 2 * RowPadding;

    const std::vector<double> widths = ColumnWidths(settings, t.pageRight - t.pageLeft);
    double x = t.pageLeft;
    std::vector<QString> headers;
    std::vector<int> fieldIndex;
    QHash<QString, int> byName;
    for (int i = 0; i < rows.fieldCount(); ++i)
        byName.insert(rows.fieldName(i).toLower(), i);
    for (int i = 1; i <= settings.columnCount(); ++i) {
        t.left.push_back(x);
        t.width.push_back(widths[std::size_t(i - 1)]);
        x += widths[std::size_t(i - 1)];
        headers.push_back(settings.Columns(i).Header());
        fieldIndex.push_back(byName.value(settings.Columns(i).fieldName().toLower(), -1));
    }

    const auto finishPage = [&] {
        if (t.lines && !t.left.empty()) {
            for (size_t c = 0; c < t.left.size(); ++c)
                t.line(t.left[c], t.tableTop, t.left[c], t.y, QStringLiteral("DETAIL"));
            t.line(t.tableRight(), t.tableTop, t.tableRight(), t.y, QStringLiteral("DETAIL"));
        }
        if (pageNumbers) {
            // The count is known at the end; the text is set then.
            t.pageNumberItems.push_back(doc.pages.back().items.size());
            Item it;
            it.kind = Item::Kind::Text;
            it.font = t.font;
            it.section = QStringLiteral("FOOTER");
            const auto& m = t.measure.metrics(t.font);
            const double top = doc.pageSize.height() - margins.bottom() - m.lineSpacing;
            it.rect = QRectF(t.pageLeft, top, 1, m.lineSpacing);
            it.baseline = top + m.ascent;
            it.text = QStringLiteral("Sivu");
            doc.pages.back().items.push_back(it);
        }
        doc.pages.back().items.squeeze();
    };
    const auto newPage = [&] {
        doc.pages.emplace_back();
        t.y = t.top;
        if (doc.pages.size() == 1) {
            const double room = t.pageRight - t.pageLeft;
            t.text(title, t.titleFont, t.pageLeft, t.y, QStringLiteral("TITLE"), room);
            t.y += t.measure.metrics(t.titleFont).lineSpacing;
            if (!criteria.isEmpty()) {
                t.text(criteria, t.font, t.pageLeft, t.y, QStringLiteral("TITLE"), room);
                t.y += t.measure.metrics(t.font).lineSpacing;
            }
            t.y += t.rowHeight / 2;
        }
        t.tableTop = t.y;
        if (t.lines)
            t.line(t.pageLeft, t.y, t.tableRight(), t.y, QStringLiteral("HEADER"));
        const bool keep = t.lines;
        // The headings are always underlined, lines or not.
        t.lines = true;
        t.row(headers, t.headerFont, QStringLiteral("HEADER"));
        t.lines = keep;
    };

    int count = 0;
    newPage();
    std::vector<QString> cells(fieldIndex.size());
    for (; !rows.eof(); rows.moveNext()) {
        if (t.y + t.rowHeight > t.bottom + 0.01) {
            finishPage();
            newPage();
        }
        for (size_t c = 0; c < fieldIndex.size(); ++c)
            cells[c] = fieldIndex[c] < 0 ? QString() : cellText(rows.field(fieldIndex[c]));
        t.row(cells, t.font, QStringLiteral("DETAIL"));
        ++count;
    }
    finishPage();
    doc.rowCount += count;

    const int total = int(doc.pages.size());
    for (size_t p = 0; p < t.pageNumberItems.size(); ++p) {
        const QString text = QStringLiteral("Sivu %1 / %2").arg(p + 1).arg(total);
        const double w = t.measure.width(t.font, text);
        doc.pages[p].items.setText(t.pageNumberItems[p], text, (t.pageLeft + t.pageRight - w) / 2, w);
    }
}

void DataPrinter::Finish(DataPrinterLayout& layout)
{
    MainReport().output(layout.take());
}

} // namespace tikkeli
