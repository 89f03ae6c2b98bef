// The member outputs on a club of 100,000 members with 300,000 feature values, each against a
// plain baseline doing the same work in the same run:
// - the member selection with an AND of three features against one raw UPDATE marking the same;
// - the name list jrluetlo.rpt of every member to PDF against QPainter on a QPdfWriter drawing
//   the same pages;
// - the same list in Finnish order against the list in byte order: the cost of the collation;
// - the address export to .xlsx against libxlsxwriter writing the same cells straight from a raw
//   SQLite read (both in constant-memory mode).
#include "ClubFixture.h"
#include "PairedRatio.h"

#include "db/Database.h"
#include "db/FinnishCollation.h"
#include "db/Recordset.h"
#include "lists/AddressExport.h"
#include "lists/MemberListReports.h"
#include "lists/MemberSelection.h"
#include "printing/PagePainter.h"
#include "printing/ReportEngine.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>

#include <sqlite3.h>
#include <xlsxwriter.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

using namespace tikkeli;

namespace {

constexpr int Members = 100000;

struct Club {
    ClubFixture fixture{Members};
    Database db;
    sqlite3* raw = nullptr;
    qint64 feature[5] = {};

    Club()
    {
        db = Database::open(fixture.database);
        db.execute(QStringLiteral("BEGIN"));
        db.execute(QStringLiteral("DELETE FROM pt"));
        for (int i = 0; i < 5; ++i) {
            db.execute(QStringLiteral("INSERT INTO pi (piNimi, piType, piEnbldLong) VALUES (?, 1, 1)"),
                       {QStringLiteral("Piirre %1").arg(i)});
            feature[i] = db.lastInsertId();
        }
        // Three values a member: features k, k+1 and k+3 (mod 5) for k = jrID mod 5.
        for (int step : {0, 1, 3})
            db.execute(QStringLiteral("INSERT INTO pt (ptjrID, ptpiID, ptValLong) "
                                      "SELECT jrID, ? + (jrID + ?) % 5, jrID FROM jr"),
                       {feature[0], step});
        db.execute(QStringLiteral("COMMIT"));
        sqlite3_open_v2(fixture.database.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_exec(raw, "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
        FinnishCollation::install(raw);
    }
    ~Club() { sqlite3_close(raw); }

    MemberCriteria andOfThree() const
    {
        MemberCriteria c;
        c.JasenmaksuValinta = 2;
        c.OmistajaValinta = 2;
        c.OminaisuudetJa = true;
        c.setHepiID(0, qint32(feature[0]));
        c.setHepiID(1, qint32(feature[1]));
        c.setHepiID(2, qint32(feature[3]));
        return c;
    }
    MemberCriteria everyone() const
    {
        MemberCriteria c;
        c.JasenmaksuValinta = 2;
        c.OmistajaValinta = 2;
        return c;
    }
    QString file(const char* name) const { return fixture.dir.filePath(QString::fromLatin1(name)); }
};

Club& club()
{
    static Club c;
    return c;
}

// ---- the selection

void rawSelection()
{
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(club().raw,
                       "UPDATE jr SET jrMukaan = (jrID IN (SELECT ptjrID FROM pt WHERE ptpiID = ?1) "
                       "AND jrID IN (SELECT ptjrID FROM pt WHERE ptpiID = ?2) "
                       "AND jrID IN (SELECT ptjrID FROM pt WHERE ptpiID = ?3)), jrMukaan2 = 0",
                       -1, &s, nullptr);
    sqlite3_bind_int64(s, 1, club().feature[0]);
    sqlite3_bind_int64(s, 2, club().feature[1]);
    sqlite3_bind_int64(s, 3, club().feature[3]);
    sqlite3_step(s);
    sqlite3_finalize(s);
}

void ourSelection()
{
    if (MemberSelection::Mark(club().db, club().andOfThree()) != Members / 5)
        std::abort();
}

void BM_Selection(benchmark::State& state)
{
    RunPaired(state, "selection, AND of three features, vs one raw UPDATE", 2.0, rawSelection, ourSelection);
}
BENCHMARK(BM_Selection)->Iterations(7)->UseManualTime()->Unit(benchmark::kMillisecond);

// ---- the name list to PDF

// The page count of our last list: the baseline must draw as many pages.
int& ourListPages()
{
    static int pages = 0;
    return pages;
}

void ourList()
{
    ReportEngine e;
    e.ReportFileName = ReportFilePath(QStringLiteral("jrluetlo.rpt"));
    e.setDataFiles(0, club().fixture.database);
    e.SelectionFormula = MemberListReports::SelectedMembers;
    const QStringList sorts = MemberSelection::sortFields(0);
    for (int i = 0; i < sorts.size(); ++i)
        e.setSortFields(i, sorts.at(i));
    const auto form = MemberListReports::form(0);
    for (int i = 0; i < form->formulas.size(); ++i)
        e.setFormulas(i, form->formulas.at(i));
    const auto doc = e.layoutReport();
    PagePainter::writePdf(*doc, club().file("ours.pdf"));
    ourListPages() = int(doc->pages.size());
}

// The same page as jrluetlo.rpt: A4, margins 15/15/20/15 mm, the club and the title, five column
// heads, 5.5 mm rows, "Sivu n / N" at the foot, the count after the last row. Drawn in the writer's
// own units (1200 dpi) so the fonts keep their sizes. Each cell is measured once and drawn at its
// baseline, as the engine places its texts; a rectangle with alignment flags would have Qt lay out
// every cell's text a second time, which the engine never does.
void painterList()
{
    Recordset rs = club().db.openRecordset(
        MemberSelection::selectedMembersSql(
            0, QStringLiteral("jrJasennumero, jrSukunimi, jrEtunimi, jrOsoite, jrPostinumero, jrPostitoimipaikka, "
                              "jrPuhelin")),
        RecordsetType::Snapshot);
    QPdfWriter writer(club().file("painter.pdf"));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(20, 15, 15, 15), QPageLayout::Millimeter);
    writer.setResolution(1200);
    QPainter painter(&writer);
    const double mm = 1200 / 25.4;
    QFont body(QStringLiteral("Times New Roman"), 10), bold = body, title = body, italic = body;
    bold.setBold(true);
    title.setPointSize(14);
    title.setBold(true);
    italic.setItalic(true);
    const QFontMetricsF bodyMetrics(body, &writer), boldMetrics(bold, &writer), titleMetrics(title, &writer),
        italicMetrics(italic, &writer);
    const QFontMetricsF* current = &bodyMetrics;
    const auto use = [&](const QFont& f, const QFontMetricsF& m) {
        painter.setFont(f);
        current = &m;
    };
    const double top = 24, bodyHeight = 267 - top - 8;
    const int rowsPerPage = int(bodyHeight / 5.5);
    const int count = rs.recordCount();
    const int pages = (count + rowsPerPage - 1) / rowsPerPage;
    int page = 0, row = 0;
    const auto cell = [&](double x, double y, double w, const QString& text, bool right = false, double h = 5) {
        const double width = current->horizontalAdvance(text);
        const double baseline = y * mm + (h * mm - current->height()) / 2 + current->ascent();
        painter.drawText(QPointF(right ? (x + w) * mm - width : x * mm, baseline), text);
    };
    const auto line = [&](double y, double width) {
        painter.setPen(QPen(Qt::black, width * mm));
        painter.drawLine(QPointF(0, y * mm), QPointF(175 * mm, y * mm));
    };
    for (; !rs.eof(); rs.moveNext()) {
        if (row == 0) {
            if (page > 0)
                writer.newPage();
            ++page;
            use(bold, boldMetrics);
            cell(0, 0, 120, QStringLiteral("Seura"), false, 6);
            use(body, bodyMetrics);
            cell(120, 0, 55, QStringLiteral("7.12.2026"), true, 6);
            use(title, titleMetrics);
            cell(0, 7, 175, QStringLiteral("Jäsenluettelo"), false, 8);
            use(bold, boldMetrics);
            cell(0, 17, 14, QStringLiteral("Nro"));
            cell(15, 17, 50, QStringLiteral("Nimi"));
            cell(66, 17, 45, QStringLiteral("Osoite"));
            cell(112, 17, 40, QStringLiteral("Postiosoite"));
            cell(153, 17, 22, QStringLiteral("Puhelin"));
            line(23, 0.8);
            use(body, bodyMetrics);
            cell(0, top + bodyHeight + 2, 175, QStringLiteral("Sivu %1 / %2").arg(page).arg(pages), true);
        }
        const double y = top + row * 5.5 + 0.5;
        cell(0, y, 14, rs.field(0).toString());
        cell(15, y, 50, rs.field(1).toString() + u' ' + rs.field(2).toString());
        cell(66, y, 45, rs.field(3).toString());
        cell(112, y, 40, rs.field(4).toString() + u' ' + rs.field(5).toString());
        cell(153, y, 22, rs.field(6).toString());
        row = (row + 1) % rowsPerPage;
    }
    // The count under the last row, as the report footer prints it (100,000 rows leave room for it
    // on the last page).
    const double end = top + (row == 0 ? rowsPerPage : row) * 5.5;
    line(end + 1, 0.3);
    use(italic, italicMetrics);
    cell(0, end + 2.5, 80, QStringLiteral("Jäseniä: %1").arg(count));
    if (ourListPages() != 0 && page != ourListPages())
        std::abort(); // the baseline would not be drawing the report's pages
}

void BM_NameListToPdf(benchmark::State& state)
{
    RunPaired(state, "jrluetlo.rpt of 100,000 members to PDF vs QPainter on QPdfWriter", 1.5, painterList, ourList,
              [] { MemberSelection::Mark(club().db, club().everyone()); });
}
BENCHMARK(BM_NameListToPdf)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

// The same list with the collation FI replaced by one that compares bytes, on the connection the
// engine shares with the club (one connection per file): the floor that any sort of the names in
// SQLite's sorter costs, whatever the collation.
int compareBytes(void*, int na, const void* a, int nb, const void* b)
{
    const int r = std::memcmp(a, b, std::size_t(std::min(na, nb)));
    return r != 0 ? r : na - nb;
}

void byteOrderList()
{
    sqlite3_create_collation_v2(club().db.handle(), FinnishCollation::Name, SQLITE_UTF8, nullptr, compareBytes, nullptr);
    ourList();
    FinnishCollation::install(club().db.handle());
}

// The Finnish order costs a comparison of letters where bytes would do; against the byte-order
// floor of the same list it may cost a quarter more.
void BM_NameListFinnishOverBytes(benchmark::State& state)
{
    RunPaired(state, "jrluetlo.rpt in Finnish order vs the same in byte order", 1.25, byteOrderList, ourList,
              [] { MemberSelection::Mark(club().db, club().everyone()); });
}
BENCHMARK(BM_NameListFinnishOverBytes)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

// ---- the address export

void rawExport()
{
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* book = workbook_new_opt(club().file("raw.xlsx").toUtf8().constData(), &options);
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    lxw_format* text = workbook_add_format(book);
    format_set_num_format(text, "@");
    worksheet_set_column(sheet, 0, 5, 18, text);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(club().raw,
                       "SELECT jrJasennumero, jrSukunimi, jrEtunimi, jrOsoite, jrPostinumero, jrPostitoimipaikka "
                       "FROM jr WHERE jrMukaan <> 0 ORDER BY jrSukunimi COLLATE FI, jrEtunimi COLLATE FI, jrID",
                       -1, &s, nullptr);
    lxw_row_t row = 0;
    while (sqlite3_step(s) == SQLITE_ROW) {
        for (int c = 0; c < 6; ++c) {
            const auto* v = reinterpret_cast<const char*>(sqlite3_column_text(s, c));
            if (v && *v)
                worksheet_write_string(sheet, row, lxw_col_t(c), v, text);
            else
                worksheet_write_blank(sheet, row, lxw_col_t(c), text);
        }
        ++row;
    }
    sqlite3_finalize(s);
    workbook_close(book);
}

void ourExport()
{
    if (AddressExport::WriteAddressRows(club().db, 0, club().file("ours.xlsx")).count != Members)
        std::abort();
}

void BM_AddressExport(benchmark::State& state)
{
    RunPaired(state, "address export of 100,000 members vs libxlsxwriter from raw SQLite", 1.5, rawExport, ourExport,
              [] { MemberSelection::Mark(club().db, club().everyone()); });
}
BENCHMARK(BM_AddressExport)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    return RunPairedBenchmarks(argc, argv, [] { club(); });
}
