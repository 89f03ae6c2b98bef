// The schema upgrade runs at every start-up; on a database that is already current it must cost
// little more than the engine's own look at the file. Baseline: opening the file with the raw C
// API and reading its whole sqlite_master.
#include "db/Database.h"
#include "db/Schema.h"
#include "db/UpdateDatabase.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include "RatioReporter.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <sqlite3.h>

using namespace tikkeli;

namespace {

QString g_path;

void BM_RawOpenAndReadSchema(benchmark::State& state)
{
    const QByteArray path = g_path.toUtf8();
    for (auto _ : state) {
        sqlite3* h = nullptr;
        sqlite3_open_v2(path.constData(), &h, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(h, "SELECT type, name, tbl_name, sql FROM sqlite_master", -1, &st, nullptr);
        int rows = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            benchmark::DoNotOptimize(sqlite3_column_text(st, 3));
            ++rows;
        }
        sqlite3_finalize(st);
        sqlite3_close(h);
        benchmark::DoNotOptimize(rows);
    }
}

// The start-up case: the database is open, the upgrade finds nothing to do.
void BM_UpdateDatabaseOnCurrentFile(benchmark::State& state)
{
    Database db = Database::open(g_path);
    for (auto _ : state)
        benchmark::DoNotOptimize(UpdateDatabase(db));
}

// For comparison: the layer's own open (probe, collation, pragmas) plus the upgrade.
void BM_OpenAndUpdateDatabase(benchmark::State& state)
{
    for (auto _ : state) {
        Database db = Database::open(g_path);
        benchmark::DoNotOptimize(UpdateDatabase(db));
        db.close();
    }
}

BENCHMARK(BM_RawOpenAndReadSchema);
BENCHMARK(BM_UpdateDatabaseOnCurrentFile);
BENCHMARK(BM_OpenAndUpdateDatabase);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    g_path = dir.filePath(QStringLiteral("bench.mdb"));
    {
        Database db = Database::create(g_path);
        Schema::createBaseTables(db);
        UpdateDatabase(db);
        db.close();
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio("BM_UpdateDatabaseOnCurrentFile", "BM_RawOpenAndReadSchema", 5);
    // For information: the whole first open of the file through the layer, the upgrade included.
    reporter.printRatio("BM_OpenAndUpdateDatabase", "BM_RawOpenAndReadSchema", 5);
    benchmark::Shutdown();
    return 0;
}
