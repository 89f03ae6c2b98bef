// The memory a long report takes: the invoice list (jmllista.rpt) of 300,000 invoices laid out and
// written to PDF. Before the page model was made compact and the rows were kept as the database
// layer reads them, this peaked at about 900 MiB. Each stage runs in a child process of its own, which reports its peak resident
// size (getrusage), so what one stage left behind does not count for the next. The first child only
// starts up and lays out one row: what every print costs before the rows.
//
//   bench_report_memory [rows]     (default 300000; the target is a peak under 250 MiB)
#include "db/Database.h"
#include "db/Schema.h"
#include "db/SchemaDdl.h"
#include "printing/PagePainter.h"
#include "printing/ReportDefinition.h"
#include "printing/ReportEngine.h"
#include "printing/ReportLayouter.h"
#include "printing/ReportQuery.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

using namespace tikkeli;

namespace {

constexpr double TargetMiB = 250;

QString reportFile()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../bin/reports/jmllista.rpt"));
}

void createDatabase(const QString& path, int rows)
{
    Database db = Database::create(path);
    QString ddl;
    for (const TableDef& t : Schema::tables())
        ddl += SchemaDdl::createTable(t) + QLatin1Char(';');
    db.executeScript(ddl);
    // 3,000 members with their invoices spread over them; built in SQL, so the parent stays small.
    db.executeScript(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
        "INSERT INTO jr (jrID, jrJasennumero, jrSukunimi, jrEtunimi) SELECT i, CAST(1000 + i AS TEXT), "
        "CASE i % 6 WHEN 0 THEN 'Virtanen' WHEN 1 THEN 'Korhonen' WHEN 2 THEN 'Mäkinen' WHEN 3 THEN 'Nieminen' "
        "WHEN 4 THEN 'Hämäläinen' ELSE 'Öhman' END || '-' || i, "
        "CASE i % 4 WHEN 0 THEN 'Juhani' WHEN 1 THEN 'Maria' WHEN 2 THEN 'Äijä' ELSE 'Liisa' END FROM n;"));
    db.execute(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
                              "INSERT INTO jmhist (jmhjmLaskunumero, jmhjmLaskJasennumero, jmhjmjrID, jmhjmViitenumero, "
                              "jmhjmLaskupaiva, jmhjmErapaiva, jmhjmHinta, jmhjmMaksettu, jmhjmMuistutusNumero) "
                              "SELECT 100000 + i, CAST(1000 + i % 3000 + 1 AS TEXT), i % 3000 + 1, "
                              "substr('000000' || (100000 + i), -7) || ' ' || (i % 10), "
                              "date('2024-01-01', '+' || (i % 700) || ' days') || ' 00:00:00', "
                              "date('2024-01-15', '+' || (i % 700) || ' days') || ' 00:00:00', "
                              "25 + (i % 40) * 2.5, i % 3 = 0, i % 4 FROM n"),
               {rows});
    db.close();
}

double peakMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0; // kibibytes on Linux
}

// The child: one stage, then "<peak MiB> <ms> <pages>" on stdout.
int runStage(const QString& stage, const QString& db, const QString& pdf)
{
    QElapsedTimer timer;
    timer.start();
    int pages = 0;
    if (stage == QLatin1String("fetch")) {
        ReportDefinition def = ReportDefinition::load(reportFile());
        ReportQuery query(Database::open(db), def);
        query.build({}, {});
        pages = int(query.fetchRows()->size());
    } else {
        ReportEngine e;
        e.ReportFileName = reportFile();
        e.setDataFiles(0, db);
        if (stage == QLatin1String("start"))
            e.SelectionFormula = QStringLiteral("{jmhist.jmhjmLaskunumero} = 100001");
        if (stage == QLatin1String("pdf")) {
            e.Destination = ReportEngine::ToFile;
            e.PrintFileName = pdf;
            pages = e.PrintReport();
        } else {
            pages = int(e.layoutReport()->pages.size());
        }
    }
    std::printf("%.1f %lld %d\n", peakMiB(), qint64(timer.elapsed()), pages);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && QByteArray(argv[1]) == "--stage") {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        return runStage(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[4]));
    }
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 300000;
    if (!QFileInfo(reportFile()).isFile()) {
        std::fprintf(stderr, "no report file %s\n", qPrintable(reportFile()));
        return 2;
    }
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("laskut.mdb"));
    const QString pdf = dir.filePath(QStringLiteral("laskut.pdf"));
    createDatabase(db, rows);

    std::printf("invoice list (jmllista.rpt), %d rows; each stage in a child process of its own\n\n", rows);
    std::printf("%-34s %10s %10s %8s\n", "stage", "peak MiB", "ms", "pages");
    double worst = 0;
    const struct {
        const char* stage;
        const char* label;
    } stages[] = {{"start", "start-up, one row laid out"},
                  {"fetch", "rows read"},
                  {"layout", "rows read and laid out"},
                  {"pdf", "rows read, laid out, PDF written"}};
    for (const auto& s : stages) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--stage"), QLatin1String(s.stage), db, pdf});
        if (!child.waitForFinished(-1) || child.exitCode() != 0) {
            std::fprintf(stderr, "stage %s failed\n", s.stage);
            return 1;
        }
        const QStringList out = QString::fromLatin1(child.readAllStandardOutput()).simplified().split(u' ');
        const double peak = out.value(0).toDouble();
        worst = std::max(worst, peak);
        std::printf("%-34s %10.1f %10s %8s\n", s.label, peak, qPrintable(out.value(1)), qPrintable(out.value(2)));
    }
    std::printf("\npeak %.1f MiB (target < %g MiB) %s\n", worst, TargetMiB, worst < TargetMiB ? "ok" : "OVER");
    return 0;
}
