// The map's boundary cache filled with 50,000 points (1,000 estates of 50 points) against the plain
// SQLite C API reading the same rows, in the same order, into plain arrays.
#include "db/Database.h"
#include "db/Transaction.h"
#include "maps/BoundaryCache.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include "PairedRatio.h"
#include "SchemaScript.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <vector>

using namespace tikkeli;

namespace {

constexpr int Estates = 1000;
constexpr int PointsPerEstate = 50;

struct Fixture {
    QTemporaryDir dir;
    Database db;

    Fixture()
    {
        db = Database::create(dir.filePath(QStringLiteral("bench.mdb")));
        db.executeScript(SchemaScript([](const QString& t) { return t == QLatin1String("rj"); }));
        Transaction tr(db);
        // Stored estate by estate interleaved, as points drawn over time are: the order comes from
        // the query, not from the table.
        for (int k = 1; k <= PointsPerEstate; ++k)
            for (int e = 1; e <= Estates; ++e)
                db.execute(QStringLiteral("INSERT INTO rj (rjtlID, rjOrderID, rjX, rjY, rjMukaan) VALUES (?, ?, ?, ?, 0)"),
                           {Value(e), Value(k), Value(double(e * 37 % 30000) + k), Value(double(e * 53 % 22500) - k)});
        tr.commit();
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

struct RawPoint {
    long long id;
    int order;
    float x, y;
    bool mukaan;
};

void readRaw()
{
    sqlite3* h = fixture().db.handle();
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(h, "SELECT rjID, rjtlID, rjOrderID, rjX, rjY, rjMukaan FROM rj ORDER BY rjtlID, rjOrderID, rjID", -1,
                       &st, nullptr);
    std::vector<long long> estates;
    std::vector<std::vector<RawPoint>> points;
    while (sqlite3_step(st) == SQLITE_ROW) {
        const long long tl = sqlite3_column_int64(st, 1);
        if (estates.empty() || estates.back() != tl) {
            estates.push_back(tl);
            points.emplace_back();
        }
        points.back().push_back(RawPoint{sqlite3_column_int64(st, 0), sqlite3_column_int(st, 2),
                                         float(sqlite3_column_double(st, 3)), float(sqlite3_column_double(st, 4)),
                                         sqlite3_column_int(st, 5) != 0});
    }
    sqlite3_finalize(st);
    benchmark::DoNotOptimize(points.data());
}

void readCache()
{
    BoundaryCache cache; // a new cache each round: every round reads the rows
    const auto& estates = cache.estates(fixture().db);
    if (estates.size() != std::size_t(Estates))
        std::abort();
    benchmark::DoNotOptimize(estates.data());
}

void BM_LoadBoundaries(benchmark::State& state)
{
    RunPaired(state, "boundary cache of 50000 points vs raw C API", 2.0, readRaw, readCache);
}
BENCHMARK(BM_LoadBoundaries)->Iterations(15)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    return RunPairedBenchmarks(argc, argv, [] { fixture(); });
}
