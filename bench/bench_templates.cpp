// A six-column report template of 100,000 members laid out into the page model and written to
// PDF, against a plain QPainter on a QPdfWriter drawing the same rows from the same query: title,
// column heads on every page, one line per row, "Sivu n / N" at the foot.
#include "ClubFixture.h"

#include "db/Database.h"
#include "db/Recordset.h"
#include "lists/DataPrinter.h"
#include "lists/DataPrinterLayout.h"
#include "lists/DataPrinterSettings.h"
#include "lists/TemplateCriteria.h"
#include "members/MemberCriteria.h"
#include "printing/PagePainter.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include "PairedRatio.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

using namespace tikkeli;

namespace {

constexpr int Members = 100000;

struct Setup {
    ClubFixture club{Members};
    DataPrinterSettings settings;
    Setup()
    {
        Database db = Database::open(club.database);
        db.execute(QStringLiteral("UPDATE jr SET jrMukaan = True"));
        settings.setReportName(QStringLiteral("Jäsenluettelo"));
        settings.AddColumn(QStringLiteral("Sukunimi"), QStringLiteral("jrSukunimi"), 35);
        settings.AddColumn(QStringLiteral("Etunimi"), QStringLiteral("jrEtunimi"), 25);
        settings.AddColumn(QStringLiteral("Osoite"), QStringLiteral("jrOsoite"), 35);
        settings.AddColumn(QStringLiteral("Postinro"), QStringLiteral("jrPostinumero"), 18);
        settings.AddColumn(QStringLiteral("Postitoimipaikka"), QStringLiteral("jrPostitoimipaikka"), 30);
        settings.AddColumn(QStringLiteral("Puhelin"), QStringLiteral("jrPuhelin"), 0);
    }
};

Setup& setup()
{
    static Setup s;
    return s;
}

Recordset selected(Database& db)
{
    const TemplateQuery q = TemplateCriteriaSql(setup().settings, MemberCriteria{}, 0);
    return db.openRecordset(q.sql, RecordsetType::Snapshot, q.params);
}

// The page count of our last run: the baseline must draw as many pages.
int& ourPages()
{
    static int pages = 0;
    return pages;
}

void ours()
{
    Database db = Database::open(setup().club.database);
    Recordset rs = selected(db);
    DataPrinterLayout layout;
    layout.Prepare(setup().settings.Orientation());
    DataPrinter printer;
    printer.PrintTable(QStringLiteral("Erämiehet ry"), rs, setup().settings, layout, true, QString());
    const auto doc = layout.take();
    PagePainter::writePdf(*doc, setup().club.dir.filePath(QStringLiteral("pohja.pdf")));
    ourPages() = int(doc->pages.size());
}

// The same pages as the template: A4 with 15 mm margins, the title on the first page, the column
// heads between lines on every page, one row per member with a line under it, the column lines,
// "Sivu n / N" centred at the foot. Positions in points as the template lays them out, drawn in the
// writer's own units (1200 dpi) so the fonts keep their sizes. Each cell is measured once and drawn
// at its baseline, as the template places its texts; a rectangle with alignment flags would have Qt
// lay out every cell's text a second time, which the template never does.
void painter()
{
    Database db = Database::open(setup().club.database);
    Recordset rs = selected(db);
    QPdfWriter writer(setup().club.dir.filePath(QStringLiteral("painter.pdf")));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(1200);
    QPainter p(&writer);
    const double pt = 1200 / 72.0;
    QFont body(QStringLiteral("Times New Roman"), 10), head = body, title = body;
    head.setBold(true);
    title.setPointSize(14);
    title.setBold(true);
    const QFontMetricsF bodyMetrics(body, &writer), headMetrics(head, &writer), titleMetrics(title, &writer);
    const auto spacing = [&](const QFontMetricsF& m) { return m.lineSpacing() / pt; };
    const double margin = 15 * 72 / 25.4, pageWidth = 210 * 72 / 25.4, pageHeight = 297 * 72 / 25.4;
    const double left = margin, right = pageWidth - margin, rowHeight = spacing(bodyMetrics) + 3;
    const double bottom = pageHeight - margin - (spacing(bodyMetrics) + 4);
    std::vector<double> x{left};
    for (double w : {35.0, 25.0, 35.0, 18.0, 30.0})
        x.push_back(x.back() + w * 72 / 25.4);
    x.push_back(right);
    const QString heads[] = {QStringLiteral("Sukunimi"), QStringLiteral("Etunimi"),          QStringLiteral("Osoite"),
                             QStringLiteral("Postinro"), QStringLiteral("Postitoimipaikka"), QStringLiteral("Puhelin")};
    const QFontMetricsF* current = &bodyMetrics;
    const auto text = [&](double at, double top, const QString& t) {
        p.drawText(QPointF(at * pt, top * pt + current->ascent()), t);
    };
    const auto line = [&](double x1, double y1, double x2, double y2) {
        p.drawLine(QPointF(x1 * pt, y1 * pt), QPointF(x2 * pt, y2 * pt));
    };
    // The page count first, from the same geometry, for "Sivu n / N" on every page.
    const double firstTop = margin + spacing(titleMetrics) + rowHeight / 2 + rowHeight;
    const int firstRows = int((bottom + 0.01 - firstTop) / rowHeight);
    const int otherRows = int((bottom + 0.01 - margin - rowHeight) / rowHeight);
    const int rest = std::max(0, rs.recordCount() - firstRows);
    const int total = 1 + (rest + otherRows - 1) / otherRows;
    double y = 0, tableTop = 0;
    int pages = 0;
    const auto finishPage = [&] {
        for (double at : x)
            line(at, tableTop, at, y);
    };
    const auto newPage = [&] {
        if (pages++ > 0)
            writer.newPage();
        y = margin;
        if (pages == 1) {
            p.setFont(title);
            current = &titleMetrics;
            text(left, y, QStringLiteral("Jäsenluettelo"));
            y += spacing(titleMetrics) + rowHeight / 2;
        }
        tableTop = y;
        line(left, y, right, y);
        p.setFont(head);
        current = &headMetrics;
        for (int c = 0; c < 6; ++c)
            text(x[std::size_t(c)] + 2, y + 1.5, heads[c]);
        y += rowHeight;
        line(left, y, right, y);
        p.setFont(body);
        current = &bodyMetrics;
        const QString number = QStringLiteral("Sivu %1 / %2").arg(pages).arg(total);
        text((left + right - bodyMetrics.horizontalAdvance(number) / pt) / 2, pageHeight - margin - spacing(bodyMetrics),
             number);
    };
    newPage();
    for (; !rs.eof(); rs.moveNext()) {
        if (y + rowHeight > bottom + 0.01) {
            finishPage();
            newPage();
        }
        for (int c = 0; c < 6; ++c)
            text(x[std::size_t(c)] + 2, y + 1.5, rs.field(c + 1).toString());
        y += rowHeight;
        line(left, y, right, y);
    }
    finishPage();
    if (pages != total || (ourPages() != 0 && pages != ourPages()))
        std::abort(); // the baseline would not be drawing the template's pages
}

void BM_TemplateVsPainter(benchmark::State& state)
{
    RunPaired(state, "six-column template of 100000 members to PDF vs QPainter on QPdfWriter", 1.5, painter, ours);
}
BENCHMARK(BM_TemplateVsPainter)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    return RunPairedBenchmarks(argc, argv, [] { setup(); });
}
