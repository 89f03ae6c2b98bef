// Opening the member window - the member records, the alphabetical tree and the first card with
// its panels - on a club database of 10,000 members, against a plain baseline: the raw SQLite C
// API opening the same file and reading every column of the same rows. Run interleaved with
// repetitions; the ratio is of the medians.
#include "base/ScriptedPrompter.h"
#include "base/SharedState.h"
#include "db/Database.h"
#include "members/ui/MemberWindows.h"
#include "members/ui/frmJasen.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include "RatioReporter.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <vector>

namespace {

struct Fixture {
    QTemporaryDir dir;
    QString database;

    Fixture()
    {
        // The staged program folder of the build: bench/ and bin/ lie side by side.
        const QString program = qEnvironmentVariable("TIKKELI_PROGRAM_DIR",
                                                     QCoreApplication::applicationDirPath() + QStringLiteral("/../bin"));
        database = dir.path() + QStringLiteral("/seura.mdb");
        QFile::copy(program + QStringLiteral("/demo1.mdb"), database);
        QFile::setPermissions(database, QFile::permissions(database) | QFileDevice::WriteOwner);
        qputenv("TIKKELI_PROGRAM_DIR", program.toUtf8());
        qputenv("TIKKELI_DOCUMENTS", (dir.path() + QStringLiteral("/docs")).toUtf8());
        qputenv("TIKKELI_INI", (dir.path() + QStringLiteral("/Tikkeli.ini")).toUtf8());

        tikkeli::Database db = tikkeli::Database::open(database);
        db.execute(QStringLiteral("DELETE FROM pt"));
        db.execute(QStringLiteral("DELETE FROM jr"));
        db.execute(QStringLiteral("BEGIN"));
        for (int i = 0; i < 10000; ++i)
            db.execute(QStringLiteral("INSERT INTO jr (jrJasennumero, jrSukunimi, jrEtunimi, jrOsoite, jrPostinumero, "
                                      "jrPostitoimipaikka, jrPuhelin, jrEmail) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                       {QString::number(5000 + i), QStringLiteral("%1sukunimi%2").arg(QChar(u'A' + i % 26)).arg(i),
                        QStringLiteral("Etunimi"), QStringLiteral("Metsätie %1").arg(i % 200), QStringLiteral("41990"),
                        QStringLiteral("Hirvilahti"), QStringLiteral("040-%1").arg(i),
                        QStringLiteral("j%1@seura.fi").arg(i)});
        db.execute(QStringLiteral("COMMIT"));
        db.close();
        tikkeli::ConnectionRegistry::closeAll(database);
        tikkeli::State().DatabasePath = database;
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

// The plain baseline: the same rows, every column read.
void RawSqliteReadMembers(benchmark::State& state)
{
    const QByteArray path = QFile::encodeName(fixture().database);
    for (auto _ : state) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "SELECT * FROM jr", -1, &st, nullptr);
        const int columns = sqlite3_column_count(st);
        std::size_t bytes = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int c = 0; c < columns; ++c) {
                if (sqlite3_column_type(st, c) == SQLITE_TEXT)
                    bytes += std::size_t(sqlite3_column_bytes(st, c));
                else
                    bytes += std::size_t(sqlite3_column_int64(st, c) & 1);
            }
        }
        sqlite3_finalize(st);
        sqlite3_close_v2(db);
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(RawSqliteReadMembers)->Unit(benchmark::kMillisecond)->Repetitions(9);

void OpenMemberWindow(benchmark::State& state)
{
    fixture();
    tikkeli::ScriptedPrompter quiet;
    for (auto _ : state) {
        auto* w = new tikkeli::frmJasen;
        if (!w->loaded())
            state.SkipWithError("the member window did not load");
        benchmark::DoNotOptimize(w->currentMemberId());
        delete w;
        tikkeli::ConnectionRegistry::closeAll(fixture().database);
    }
}
BENCHMARK(OpenMemberWindow)->Unit(benchmark::kMillisecond)->Repetitions(9);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Finnish, QLocale::Finland));
    tikkeli::RegisterMemberWindows();
    // Interleaved repetitions: both measurements see the same machine load.
    std::vector<char*> args(argv, argv + argc);
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    static char aggregates[] = "--benchmark_report_aggregates_only=true";
    args.push_back(interleave);
    args.push_back(aggregates);
    int count = int(args.size());
    benchmark::Initialize(&count, args.data());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio("OpenMemberWindow/repeats:9_median", "RawSqliteReadMembers/repeats:9_median", 3);
    benchmark::Shutdown();
    return 0;
}
