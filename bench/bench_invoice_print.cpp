// Every invoice of a run printed to PDF the way the program prints them (the giro form latilis1.rpt
// with its bank bar code, through InvoicePrints and the report control), on a generated club:
//
// - memory: the run of `memory members` (default 100,000) printed in a child process of its own,
//   which reports its peak resident size (getrusage); the first child prints one invoice, what
//   any print costs before its pages. Target: under 400 MiB. A third child lays the invoices out
//   and keeps them, as the preview does (no target). Before the pages were painted as they
//   were laid out, and the bar code was one item instead of a box per bar, this peaked at 3.1 GiB.
// - time: the run of `time members` (default 10,000) printed by the program against QPainter on a
//   QPdfWriter painting the same pages (the same texts, lines and bars, taken from the laid-out
//   pages beforehand, so the baseline reads and lays out nothing). Ratio of medians, target 1.5.
//
//   bench_invoice_print [memory members] [time members] [benchmark options]
#include "ClubFixture.h"
#include "InvoiceRunRequest.h"
#include "PairedRatio.h"

#include "base/SharedState.h"
#include "db/Database.h"
#include "invoicing/InvoicePrintOrder.h"
#include "invoicing/InvoicePrints.h"
#include "invoicing/InvoiceRun.h"
#include "printing/PrintChoices.h"
#include "printing/ReportDefinition.h"
#include "printing/ReportEngine.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>

#include <benchmark/benchmark.h>
#include <cstdio>
#include <sys/resource.h>

using namespace tikkeli;

namespace {

constexpr double TargetMiB = 400;

// The club's bank details the invoices print; the IBAN's check holds, so every invoice has its bar code.
void setClub(const QString& database)
{
    SharedState& s = State();
    s.DatabasePath = database;
    s.ClubName = QStringLiteral("Erämiesten Seura ry");
    s.ClubAddress = QStringLiteral("Metsätie 1");
    s.ClubPostalCode = QStringLiteral("41990");
    s.ClubPostOffice = QStringLiteral("Hirvilahti");
    s.Iban1 = QStringLiteral("FI49 5000 9420 0287 30");
    s.Bic1 = QStringLiteral("OKOYFIHH");
    InvoiceLayout().InvoiceGiroForm = true;
    InvoiceLayout().InvoiceFinnishOnly = true;
}

// An invoice run of two rows for every member of the club.
void runInvoices(const QString& database)
{
    Database db = Database::open(database);
    db.execute(QStringLiteral("DELETE FROM jmRivi"));
    db.execute(QStringLiteral("DELETE FROM jm"));
    db.execute(QStringLiteral("UPDATE jr SET jrJasenmaksu = 1"));
    State().InvoiceNumberCounter = 100;
    const InvoiceRunRequest r = bench::membershipRun();
    const InvoiceRunResult result = InvoiceRun(db).run(r);
    if (result.added <= 0) {
        std::fprintf(stderr, "the invoice run wrote nothing: %s\n", qPrintable(result.message));
        std::exit(1);
    }
    InvoicePrintOrder::NumberInvoicePrintOrder(db, 0);
}

// The print as the invoice window starts it, to a PDF file; memberId < 1 prints them all.
int printInvoices(const QString& pdf, qint64 memberId = 0)
{
    InvoicePrints::PrepareRunInvoices(memberId, false);
    ReportEngine& e = MainReport();
    e.Destination = ReportEngine::ToFile;
    e.PrintFileName = pdf;
    return e.PrintReport();
}

// ---- memory -------------------------------------------------------------------------------------

double peakMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0; // kibibytes on Linux
}

// The child: one stage, then "<peak MiB> <ms> <pages>" on stdout.
int runStage(const QString& stage, const QString& database, const QString& pdf)
{
    setClub(database);
    QElapsedTimer timer;
    timer.start();
    qint64 member = 0;
    if (stage == QLatin1String("one"))
        member = Database::open(database).scalar(QStringLiteral("SELECT MIN(jmjrID) FROM jm")).toInt64();
    int pages = 0;
    if (stage == QLatin1String("kept")) {
        InvoicePrints::PrepareRunInvoices(0, false);
        pages = int(MainReport().layoutReport()->pages.size());
    } else {
        pages = printInvoices(pdf, member);
    }
    std::printf("%.1f %lld %d\n", peakMiB(), qint64(timer.elapsed()), pages);
    return 0;
}

double measureMemory(int members)
{
    ClubFixture club(members);
    setClub(club.database);
    QElapsedTimer timer;
    timer.start();
    runInvoices(club.database);
    std::printf("invoices of %d members (latilis1.rpt to PDF), made in %lld ms; each stage in a child process\n\n", members,
                qint64(timer.elapsed()));
    std::printf("%-34s %10s %10s %8s\n", "stage", "peak MiB", "ms", "pages");
    const QString pdf = club.dir.filePath(QStringLiteral("laskut.pdf"));
    double worst = 0;
    const struct {
        const char* stage;
        const char* label;
        bool print;
    } stages[] = {{"one", "start-up, one invoice printed", true},
                  {"all", "every invoice printed", true},
                  {"kept", "every invoice laid out and kept", false}};
    for (const auto& s : stages) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--stage"), QLatin1String(s.stage), club.database, pdf});
        if (!child.waitForFinished(-1) || child.exitCode() != 0) {
            std::fprintf(stderr, "stage %s failed\n", s.stage);
            std::exit(1);
        }
        const QStringList out = QString::fromLatin1(child.readAllStandardOutput()).simplified().split(u' ');
        const double peak = out.value(0).toDouble();
        if (s.print)
            worst = std::max(worst, peak);
        std::printf("%-34s %10.1f %10s %8s\n", s.label, peak, qPrintable(out.value(1)), qPrintable(out.value(2)));
    }
    std::printf("\nprint peak %.1f MiB (target < %g MiB) %s; the pages kept whole are what the preview holds\n\n", worst,
                TargetMiB, worst < TargetMiB ? "ok" : "OVER");
    return worst;
}

// ---- time ---------------------------------------------------------------------------------------

// One thing the baseline paints, in device pixels.
struct Op {
    enum Kind { Text, Line, Rect, Bars } kind = Text;
    int font = -1;
    QColor color;
    QPointF at;
    QString text;
    QLineF line;
    double pen = 0;
    QColor fill;
    std::vector<QRectF> rects; // Rect: one; Bars: every bar
};

struct Pages {
    QSizeF pageSize; // points
    QString title;
    std::vector<QFont> fonts;
    std::vector<std::vector<Op>> pages;
};

constexpr double Dpi = 1200;

// The laid-out invoices as plain drawing steps, fonts made once.
Pages drawingSteps(const ReportDocument& doc)
{
    const double scale = Dpi / 72.0;
    Pages out;
    out.pageSize = doc.pageSize;
    out.title = doc.title;
    QHash<ReportFont, int> fontIndex;
    for (const ReportDocument::Page& page : doc.pages) {
        std::vector<Op>& ops = out.pages.emplace_back();
        const ReportDocument::ItemList& items = page.items;
        for (size_t i = 0; i < items.size(); ++i) {
            const auto& style = items.style(i);
            Op op;
            op.color = style.color;
            if (style.kind == ReportDocument::Item::Kind::Text) {
                auto f = fontIndex.find(style.font);
                if (f == fontIndex.end()) {
                    f = fontIndex.insert(style.font, int(out.fonts.size()));
                    out.fonts.push_back(style.font.toQFont(style.font.size));
                }
                op.font = *f;
                op.at = items.textOrigin(i) * scale;
                const QString text = items.text(i); // shares the page's buffer, which goes
                op.text = QString(text.constData(), text.size());
                ops.push_back(std::move(op));
                continue;
            }
            const ReportDocument::Item it = items.shape(i);
            switch (it.kind) {
            case ReportDocument::Item::Kind::Line:
                op.kind = Op::Line;
                op.line = QLineF(it.line.p1() * scale, it.line.p2() * scale);
                op.pen = it.penWidth * scale;
                break;
            case ReportDocument::Item::Kind::Box:
                op.kind = Op::Rect;
                op.pen = it.penWidth * scale;
                op.fill = it.fill;
                op.rects.push_back(QRectF(it.rect.topLeft() * scale, it.rect.size() * scale));
                break;
            case ReportDocument::Item::Kind::BarCode:
                op.kind = Op::Bars;
                for (const BankBarCode::Bar& b : it.bars)
                    op.rects.push_back(QRectF(QPointF(it.rect.left() + b.x * it.rect.width(), it.rect.top()) * scale,
                                              QSizeF(b.width * it.rect.width(), it.rect.height()) * scale));
                break;
            default: continue;
            }
            ops.push_back(std::move(op));
        }
    }
    return out;
}

void paintByHand(const Pages& pages, const QString& path)
{
    QPdfWriter writer(path);
    writer.setTitle(pages.title);
    writer.setResolution(int(Dpi));
    writer.setPageLayout(QPageLayout(
        QPageSize(pages.pageSize / ReportDefinition::PointsPerMm, QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch),
        QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    QPainter painter(&writer);
    painter.setRenderHint(QPainter::Antialiasing, true);
    bool first = true;
    for (const std::vector<Op>& ops : pages.pages) {
        if (!first)
            writer.newPage();
        first = false;
        int font = -1;
        for (const Op& op : ops) {
            switch (op.kind) {
            case Op::Text:
                if (op.font != font) {
                    painter.setFont(pages.fonts[size_t(op.font)]);
                    font = op.font;
                }
                painter.setPen(op.color);
                painter.drawText(op.at, op.text);
                break;
            case Op::Line:
                painter.setPen(QPen(op.color, op.pen));
                painter.drawLine(op.line);
                break;
            case Op::Rect:
                painter.setPen(op.pen > 0 ? QPen(op.color, op.pen) : QPen(Qt::NoPen));
                painter.setBrush(op.fill.isValid() ? QBrush(op.fill) : QBrush(Qt::NoBrush));
                painter.drawRect(op.rects.front());
                painter.setBrush(Qt::NoBrush);
                break;
            case Op::Bars:
                painter.setPen(Qt::NoPen);
                painter.setBrush(op.color);
                for (const QRectF& r : op.rects)
                    painter.drawRect(r);
                painter.setBrush(Qt::NoBrush);
                break;
            }
        }
    }
}

struct TimedClub {
    ClubFixture club;
    Pages pages;
    int laidOut = 0;

    explicit TimedClub(int members) : club(members)
    {
        setClub(club.database);
        runInvoices(club.database);
        InvoicePrints::PrepareRunInvoices(0, false);
        auto doc = MainReport().layoutReport();
        laidOut = int(doc->pages.size());
        pages = drawingSteps(*doc);
    }
};

int TimeMembers = 10000;

TimedClub& timedClub()
{
    static TimedClub club(TimeMembers);
    return club;
}

void BM_InvoicesToPdf(benchmark::State& state)
{
    TimedClub& c = timedClub();
    const QString ours = c.club.dir.filePath(QStringLiteral("ohjelma.pdf"));
    const QString hand = c.club.dir.filePath(QStringLiteral("kasin.pdf"));
    int printed = 0;
    RunPaired(
        state, QStringLiteral("%1 invoices to PDF / QPainter on QPdfWriter, same pages").arg(c.laidOut).toStdString(), 1.5,
        [&] { paintByHand(c.pages, hand); }, [&] { printed = printInvoices(ours); });
    if (printed != c.laidOut)
        state.SkipWithError("the print did not give every page");
}
BENCHMARK(BM_InvoicesToPdf)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 5 && QByteArray(argv[1]) == "--stage") {
        QGuiApplication app(argc, argv);
        return runStage(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[4]));
    }
    QGuiApplication app(argc, argv);
    int memoryMembers = 100000;
    if (argc > 1 && argv[1][0] != '-') {
        memoryMembers = std::max(0, QByteArray(argv[1]).toInt());
        argv[1] = argv[0];
        --argc;
        ++argv;
        if (argc > 1 && argv[1][0] != '-') {
            TimeMembers = std::max(1, QByteArray(argv[1]).toInt());
            argv[1] = argv[0];
            --argc;
            ++argv;
        }
    }
    if (memoryMembers > 0)
        measureMemory(memoryMembers);
    return RunPairedBenchmarks(argc, argv);
}
