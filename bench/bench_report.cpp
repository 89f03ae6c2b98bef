// A member list of 5,000 rows laid out and written to PDF by the report engine, against the plain
// Qt way of printing the same rows: an HTML table in a QTextDocument printed to a PDF QPrinter.
#include "db/Database.h"
#include "db/Recordset.h"
#include "db/Transaction.h"
#include "printing/PagePainter.h"
#include "printing/ReportEngine.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTextDocument>
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
                       QStringLiteral("Metsätie %1").arg(i % 97 + 1), QStringLiteral("%1").arg(10000 + i * 7 % 89999, 5, 10, QLatin1Char('0')),
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
    Recordset rs = db.openRecordset(QStringLiteral("SELECT jrSukunimi, jrEtunimi, jrOsoite, jrPostinumero, jrPostitoimipaikka, "
                                                   "jrPuhelin FROM jr ORDER BY jrSukunimi"),
                                    RecordsetType::Snapshot);
    QString html = QStringLiteral("<html><body style=\"font-family: 'Times New Roman'; font-size: 10pt\">"
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

void BM_ReportEngineToPdf(benchmark::State& state)
{
    for (auto _ : state)
        engineToPdf();
}
BENCHMARK(BM_ReportEngineToPdf)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_QTextDocumentToPdfPrinter(benchmark::State& state)
{
    for (auto _ : state)
        textDocumentToPdf();
}
BENCHMARK(BM_QTextDocumentToPdfPrinter)->Unit(benchmark::kMillisecond)->Iterations(3);

double bestOf(int runs, void (*f)())
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        best = std::min(best, double(t.nsecsElapsed()) / 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    setup();
    benchmark::RunSpecifiedBenchmarks();
    const double ours = bestOf(3, engineToPdf);
    const double plain = bestOf(3, textDocumentToPdf);
    std::printf("report engine %.1f ms, QTextDocument %.1f ms, ratio %.3f (target <= 0.5)\n", ours, plain, ours / plain);
    benchmark::Shutdown();
    return 0;
}
