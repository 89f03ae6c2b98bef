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

#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include "PairedRatio.h"

#include <benchmark/benchmark.h>

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

void ours()
{
    Database db = Database::open(setup().club.database);
    Recordset rs = selected(db);
    DataPrinterLayout layout;
    layout.Prepare(setup().settings.Orientation());
    DataPrinter printer;
    printer.PrintTable(QStringLiteral("Erämiehet ry"), rs, setup().settings, layout, true, QString());
    PagePainter::writePdf(*layout.take(), setup().club.dir.filePath(QStringLiteral("pohja.pdf")));
}

void painter()
{
    Database db = Database::open(setup().club.database);
    Recordset rs = selected(db);
    QPdfWriter writer(setup().club.dir.filePath(QStringLiteral("painter.pdf")));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    writer.setResolution(1200);
    QPainter p(&writer);
    const double mm = 1200 / 25.4;
    p.scale(mm, mm);
    QFont body(QStringLiteral("Times New Roman"), 10), head = body, title = body;
    head.setBold(true);
    title.setPointSize(14);
    title.setBold(true);
    const double widths[] = {35, 25, 35, 18, 30, 37};
    const double rowHeight = 5, tableWidth = 180;
    const int rowsPerPage = int((267 - 8 - 12) / rowHeight);
    const int pages = (rs.recordCount() + rowsPerPage - 1) / rowsPerPage;
    const QString heads[] = {QStringLiteral("Sukunimi"), QStringLiteral("Etunimi"),          QStringLiteral("Osoite"),
                             QStringLiteral("Postinro"), QStringLiteral("Postitoimipaikka"), QStringLiteral("Puhelin")};
    int page = 0, row = 0;
    double y = 0;
    for (; !rs.eof(); rs.moveNext()) {
        if (row == 0) {
            if (page > 0)
                writer.newPage();
            ++page;
            y = 0;
            if (page == 1) {
                p.setFont(title);
                p.drawText(QRectF(0, 0, tableWidth, 7), Qt::AlignLeft, QStringLiteral("Erämiehet ry"));
                y = 9;
            }
            p.setFont(head);
            double x = 0;
            for (int c = 0; c < 6; ++c) {
                p.drawText(QRectF(x + 0.7, y, widths[c] - 1.4, rowHeight), Qt::AlignLeft | Qt::AlignVCenter, heads[c]);
                x += widths[c];
            }
            y += rowHeight;
            p.drawLine(QPointF(0, y), QPointF(tableWidth, y));
            p.setFont(body);
            p.drawText(QRectF(0, 267 - 5, tableWidth, 5), Qt::AlignHCenter,
                       QStringLiteral("Sivu %1 / %2").arg(page).arg(pages));
        }
        double x = 0;
        for (int c = 0; c < 6; ++c) {
            p.drawText(QRectF(x + 0.7, y, widths[c] - 1.4, rowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                       rs.field(c + 1).toString());
            x += widths[c];
        }
        y += rowHeight;
        p.drawLine(QPointF(0, y), QPointF(tableWidth, y));
        row = (row + 1) % rowsPerPage;
    }
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
