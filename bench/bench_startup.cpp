// Start-up work from reading the ini file to the caption (no windows) on a club database of
// 10,000 members, against a plain baseline: the raw SQLite C API opening the same file, reading
// table Settings and the catalogue (tables, their columns and indexes).
#include "app/Startup.h"
#include "db/Database.h"
#include "base/SharedState.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocale>
#include "ClubFixture.h"
#include "RatioReporter.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {

struct Fixture : ClubFixture {
    Fixture() : ClubFixture(10000) {}
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

void rawOpenSettingsAndCatalogue(benchmark::State& state)
{
    const QByteArray path = QFile::encodeName(fixture().database);
    for (auto _ : state) {
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
}

// The plain baseline.
void RawSqliteOpenSettingsAndCatalogue(benchmark::State& state)
{
    rawOpenSettingsAndCatalogue(state);
}
BENCHMARK(RawSqliteOpenSettingsAndCatalogue)->Unit(benchmark::kMillisecond);

void StartupToCaption(benchmark::State& state)
{
    fixture();
    for (auto _ : state) {
        tikkeli::State() = tikkeli::SharedState{};
        tikkeli::Startup startup;
        const tikkeli::StartupOutcome out = startup.run();
        if (!out.databaseLoaded)
            state.SkipWithError("start-up did not load the database");
        benchmark::DoNotOptimize(out.caption);
    }
}
BENCHMARK(StartupToCaption)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Finnish, QLocale::Finland));
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio("StartupToCaption", "RawSqliteOpenSettingsAndCatalogue", 3);
    benchmark::Shutdown();
    return 0;
}
