// Start-up work from reading the ini file to the caption (no windows) on a club database of
// 10,000 members, against a plain baseline: the raw SQLite C API opening the same file, reading
// table Settings and the catalogue (tables, their columns and indexes). The two run in pairs
// (PairedRatio.h) on a file the program has started on once and closed cleanly, as a club's file
// is on every start but its first after an upgrade or after another program wrote to it.
#include "app/Startup.h"
#include "backup/BackupRows.h"
#include "base/SharedState.h"
#include "db/Database.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocale>
#include "ClubFixture.h"
#include "PairedRatio.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <string>
#include <vector>

namespace {

ClubFixture& fixture()
{
    static ClubFixture f(10000);
    return f;
}

void rawOpenSettingsAndCatalogue(const QByteArray& path)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    int rows = 0;
    auto each = [&](const char* sql, auto&& onRow) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW) {
            onRow(st);
            ++rows;
        }
        sqlite3_finalize(st);
    };
    each("SELECT setSection, setKey, setString FROM Settings", [](sqlite3_stmt*) {});
    std::vector<std::string> tables;
    each("SELECT name FROM sqlite_master WHERE type = 'table'",
         [&](sqlite3_stmt* st) { tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))); });
    for (const std::string& t : tables) {
        each(("PRAGMA table_info(\"" + t + "\")").c_str(), [](sqlite3_stmt*) {});
        each(("PRAGMA index_list(\"" + t + "\")").c_str(), [](sqlite3_stmt*) {});
    }
    sqlite3_close_v2(db);
    benchmark::DoNotOptimize(rows);
}

bool startUp()
{
    tikkeli::State() = tikkeli::SharedState{};
    tikkeli::Startup startup;
    const tikkeli::StartupOutcome out = startup.run();
    benchmark::DoNotOptimize(out.caption);
    return out.databaseLoaded;
}

void StartupToCaption(benchmark::State& state)
{
    const QByteArray path = QFile::encodeName(fixture().database);
    // The first start on the file (untimed) checks its schema and remembers that it is current.
    bool loaded = startUp();
    // The program closing that session (a start writes nothing to a current file).
    tikkeli::RememberCleanClose(fixture().database);
    RunPaired(
        state, "start-up to the caption vs raw open, settings and catalogue, 10000 members", 3,
        [&] { rawOpenSettingsAndCatalogue(path); }, [&] { loaded = startUp() && loaded; });
    if (!tikkeli::UntouchedSinceCleanClose(fixture().database))
        state.SkipWithError("a start wrote to the file");
    if (!loaded)
        state.SkipWithError("start-up did not load the database");
}
BENCHMARK(StartupToCaption)->Iterations(31)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Finnish, QLocale::Finland));
    return RunPairedBenchmarks(argc, argv);
}
