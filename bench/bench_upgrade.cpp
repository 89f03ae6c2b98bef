// The schema upgrade runs at every start-up; on a database that is already current it must cost
// little more than the engine's own look at the file. Two fair pairs: on an open connection, the
// upgrade against a raw read of the whole sqlite_master on that same connection; and opening the
// file and upgrading against opening it raw and reading sqlite_master.
#include "db/Database.h"
#include "db/Schema.h"
#include "db/UpdateDatabase.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include "PairedRatio.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <sqlite3.h>

using namespace tikkeli;

namespace {

QString g_path;

int readSchema(sqlite3* h)
{
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(h, "SELECT type, name, tbl_name, sql FROM sqlite_master", -1, &st, nullptr);
    int rows = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        benchmark::DoNotOptimize(sqlite3_column_text(st, 3));
        ++rows;
    }
    sqlite3_finalize(st);
    return rows;
}

// The start-up case: the database is open, the upgrade finds nothing to do.
void BM_UpgradeOnOpenConnection(benchmark::State& state)
{
    Database db = Database::open(g_path);
    RunPaired(
        state, "upgrade of a current file vs raw schema read, same open connection", 5,
        [&] { benchmark::DoNotOptimize(readSchema(db.handle())); }, [&] { benchmark::DoNotOptimize(UpdateDatabase(db)); });
}
BENCHMARK(BM_UpgradeOnOpenConnection)->Iterations(51)->UseManualTime()->Unit(benchmark::kMillisecond);

// The whole first look at the file: the layer's open (probe, collation, pragmas) and the upgrade,
// against the raw open and schema read.
void BM_OpenAndUpgrade(benchmark::State& state)
{
    const QByteArray path = g_path.toUtf8();
    RunPaired(
        state, "open + upgrade vs raw open + schema read", 5,
        [&] {
            sqlite3* h = nullptr;
            sqlite3_open_v2(path.constData(), &h, SQLITE_OPEN_READWRITE, nullptr);
            benchmark::DoNotOptimize(readSchema(h));
            sqlite3_close(h);
        },
        [&] {
            Database db = Database::open(g_path);
            benchmark::DoNotOptimize(UpdateDatabase(db));
            db.close();
        });
}
BENCHMARK(BM_OpenAndUpgrade)->Iterations(51)->UseManualTime()->Unit(benchmark::kMillisecond);

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
    benchmark::RunSpecifiedBenchmarks();
    printPairedRatios();
    benchmark::Shutdown();
    return 0;
}
