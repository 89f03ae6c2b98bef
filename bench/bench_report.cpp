// A member list of 5,000 rows laid out and written to PDF by the report engine, against the way an
// expert would draw the same rows by hand: QPainter on a QPdfWriter, rows placed at fixed heights.
// The Qt text-document table printed to a PDF QPrinter stays as a second, informative baseline.
#include "db/Database.h"
#include "db/Recordset.h"
#include "db/Transaction.h"
#include "printing/PagePainter.h"
#include "printing/ReportEngine.h"

#include <QApplication>
#include <QFile>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTextDocument>
#include "PairedRatio.h"

#include <benchmark/benchmark.h>
#include <cstdio>

using namespace tikkeli;

namespace {

constexpr int Members = 5000;

const char* Report = R"({"format": "tikkeli-report/1", "title": "Jäsenluettelo",
  "page": {"size": "A4", "margins": {"top": 15, "bottom": 15, "left": 20, "right": 15}},
  "font": {"name": "Times New Roman", "size": 10},
  "data": {"table": "jr", "sort": ["+{jr.jrSukunimi}"]},
  "bands": {
    "pageHeader": {"height": 16, "items": [
      {"type": "text", "text": "JÄSENLUETTELO", "width": 100, "height": 7, "font": {"size": 14, "bold": true}},
      {"type": "text", "text": "Nimi", "y": 9, "width": 50, "height": 5, "font": {"bold": true}},
      {"type": "text", "text": "Osoite", "x": 52, "y": 9, "width": 50, "height": 5, "font": {"bold": true}},
      {"type": "text", "text": "Postiosoite", "x": 104, "y": 9, "width": 45, "height": 5, "font": {"bold": true}},
      {"type": "text", "text": "Puhelin", "x": 150, "y": 9, "width": 25, "height": 5, "font": {"bold": true}},
      {"type": "line", "x": 0, "y": 15, "x2": 175, "y2": 15}]},
    "detail": {"height": 5, "items": [
      {"type": "text", "text": "{jr.jrSukunimi} {jr.jrEtunimi}", "width": 50, "height": 5},
      {"type": "field", "field": "jr.jrOsoite", "x": 52, "width": 50, "height": 5},
      {"type": "text", "text": "{jr.jrPostinumero} {jr.jrPostitoimipaikka}", "x": 104, "width": 45, "height": 5},
      {"type": "field", "field": "jr.jrPuhelin", "x": 150, "width": 25, "height": 5}]},
    "pageFooter": {"height": 8, "items": [
      {"type": "text", "text": "Sivu {PageNumber} / {TotalPageCount}", "y": 2, "width": 175, "height": 5, "align": "right"}]}}})";

struct Setup {
    QTemporaryDir dir;
    QString db;
    QString report;

    Setup()
    {
        db = dir.filePath(QStringLiteral("jasenet.mdb"));
        Database d = Database::create(db);
        d.executeScript(QStringLiteral("CREATE TABLE jr (jrID INTEGER PRIMARY KEY AUTOINCREMENT, jrSukunimi VARCHAR(50), "
                                       "jrEtunimi VARCHAR(50), jrOsoite VARCHAR(50), jrPostinumero VARCHAR(5), "
                                       "jrPostitoimipaikka VARCHAR(50), jrPuhelin VARCHAR(30));"));
        const char* surnames[] = {"Virtanen", "Korhonen", "Mäkinen", "Nieminen", "Hämäläinen", "Laine", "Öhman", "Åberg"};
        const char* first[] = {"Juhani", "Maria", "Mikko", "Aino", "Timo", "Liisa", "Äijä", "Seppo"};
        Transaction t(d);
        for (int i = 0; i < Members; ++i)
            d.execute(QStringLiteral("INSERT INTO jr (jrSukunimi, jrEtunimi, jrOsoite, jrPostinumero, jrPostitoimipaikka, "
                                     "jrPuhelin) VALUES (?, ?, ?, ?, ?, ?)"),
                      {QString::fromUtf8(surnames[i % 8]), QString::fromUtf8(first[(i / 8) % 8]),
                       QStringLiteral("Metsätie %1").arg(i % 97 + 1),
                       QStringLiteral("%1").arg(10000 + i * 7 % 89999, 5, 10, QLatin1Char('0')),
                       QStringLiteral("HIRVILAHTI"), QStringLiteral("040-%1").arg(1000000 + i)});
        t.commit();
        d.close();
        report = dir.filePath(QStringLiteral("jasenet.rpt"));
        QFile f(report);
        f.open(QIODevice::WriteOnly);
        f.write(Report);
    }
};

Setup& setup()
{
    static Setup s;
    return s;
}

void engineToPdf()
{
    ReportEngine e;
    e.ReportFileName = setup().report;
    e.setDataFiles(0, setup().db);
    auto doc = e.layoutReport();
    PagePainter::writePdf(*doc, setup().dir.filePath(QStringLiteral("engine.pdf")));
}

void textDocumentToPdf()
{
    Database db = Database::open(setup().db);
    Recordset rs = db.openRecordset(
        QStringLiteral("SELECT jrSukunimi, jrEtunimi, jrOsoite, jrPostinumero, jrPostitoimipaikka, "
                       "jrPuhelin FROM jr ORDER BY jrSukunimi"),
        RecordsetType::Snapshot);
    QString html = QStringLiteral(
        "<html><body style=\"font-family: 'Times New Roman'; font-size: 10pt\">"
        "<h2>JÄSENLUETTELO</h2><table width=\"100%\"><thead><tr><th align=left>Nimi</th>"
        "<th align=left>Osoite</th><th align=left>Postiosoite</th><th align=left>Puhelin</th></tr></thead>");
    for (; !rs.eof(); rs.moveNext())
        html += QStringLiteral("<tr><td>%1 %2</td><td>%3</td><td>%4 %5</td><td>%6</td></tr>")
                    .arg(rs.field(0).toString().toHtmlEscaped(), rs.field(1).toString().toHtmlEscaped(),
                         rs.field(2).toString().toHtmlEscaped(), rs.field(3).toString().toHtmlEscaped(),
                         rs.field(4).toString().toHtmlEscaped(), rs.field(5).toString().toHtmlEscaped());
    html += QStringLiteral("</table></body></html>");
    QTextDocument doc;
    doc.setHtml(html);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(setup().dir.filePath(QStringLiteral("qt.pdf")));
    printer.setPageSize(QPageSize(QPageSize::A4));
    doc.print(&printer);
}

// The same page as the report: A4, margins 15/15/20/15 mm, a title and column heads, 5 mm rows in
// four columns, "Sivu n / N" at the foot. Drawn in millimetres on a 1200 dpi writer. Each cell is
// measured once and drawn at its baseline, as the engine places its texts; a rectangle with
// alignment flags would have Qt lay out every cell's text a second time, which the engine never does.
void painterToPdf()
{
    Database db = Database::open(setup().db);
    Recordset rs = db.openRecordset(
        QStringLiteral("SELECT jrSukunimi, jrEtunimi, jrOsoite, jrPostinumero, jrPostitoimipaikka, "
                       "jrPuhelin FROM jr ORDER BY jrSukunimi"),
        RecordsetType::Snapshot);
    QPdfWriter writer(setup().dir.filePath(QStringLiteral("painter.pdf")));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(20, 15, 15, 15), QPageLayout::Millimeter);
    writer.setResolution(1200);
    QPainter painter(&writer);
    // Positions in millimetres, drawn in the writer's own units so the fonts keep their sizes.
    const double mm = 1200 / 25.4;
    QFont body(QStringLiteral("Times New Roman"), 10), head = body, title = body;
    head.setBold(true);
    title.setPointSize(14);
    title.setBold(true);
    // Metrics on the writer, one set per font.
    const auto metrics = [&](const QFont& f) { return QFontMetricsF(f, &writer); };
    const QFontMetricsF bodyMetrics = metrics(body), headMetrics = metrics(head), titleMetrics = metrics(title);
    const QFontMetricsF* current = &bodyMetrics;
    const double bodyHeight = 297 - 30 - 16 - 8;
    const int rowsPerPage = int(bodyHeight / 5);
    const int pages = (rs.recordCount() + rowsPerPage - 1) / rowsPerPage;
    int page = 0, row = 0;
    const auto cell = [&](double x, double y, double w, const QString& text, bool right = false, double h = 5) {
        const double width = current->horizontalAdvance(text);
        const double baseline = y * mm + (h * mm - current->height()) / 2 + current->ascent();
        painter.drawText(QPointF(right ? (x + w) * mm - width : x * mm, baseline), text);
    };
    for (; !rs.eof(); rs.moveNext()) {
        if (row == 0) {
            if (page > 0)
                writer.newPage();
            ++page;
            painter.setFont(title);
            current = &titleMetrics;
            cell(0, 0, 100, QStringLiteral("JÄSENLUETTELO"), false, 7);
            painter.setFont(head);
            current = &headMetrics;
            cell(0, 9, 50, QStringLiteral("Nimi"));
            cell(52, 9, 50, QStringLiteral("Osoite"));
            cell(104, 9, 45, QStringLiteral("Postiosoite"));
            cell(150, 9, 25, QStringLiteral("Puhelin"));
            painter.drawLine(QPointF(0, 15 * mm), QPointF(175 * mm, 15 * mm));
            painter.setFont(body);
            current = &bodyMetrics;
            cell(0, 16 + bodyHeight + 2, 175, QStringLiteral("Sivu %1 / %2").arg(page).arg(pages), true);
        }
        const double y = 16 + row * 5;
        cell(0, y, 50, rs.field(0).toString() + u' ' + rs.field(1).toString());
        cell(52, y, 50, rs.field(2).toString());
        cell(104, y, 45, rs.field(3).toString() + u' ' + rs.field(4).toString());
        cell(150, y, 25, rs.field(5).toString());
        row = (row + 1) % rowsPerPage;
    }
}

void BM_ReportEngineVsPainter(benchmark::State& state)
{
    RunPaired(state, "member list to PDF vs QPainter on QPdfWriter, 5000 rows", 1.5, painterToPdf, engineToPdf);
}
BENCHMARK(BM_ReportEngineVsPainter)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_ReportEngineVsTextDocument(benchmark::State& state)
{
    RunPaired(state, "member list to PDF vs QTextDocument table (informative)", 0.5, textDocumentToPdf, engineToPdf);
}
BENCHMARK(BM_ReportEngineVsTextDocument)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    return RunPairedBenchmarks(argc, argv, [] { setup(); });
}
