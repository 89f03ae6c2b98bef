// Attaching one member feature to every member, only to those who lack it, against one raw
// INSERT ... SELECT on the same connection writing the same rows (the same NOT EXISTS test, the
// same values) in one transaction. Half of the members have the feature already, half another one.
#include "db/Database.h"
#include "db/Schema.h"
#include "db/SchemaDdl.h"
#include "db/Transaction.h"
#include "members/FeatureAttach.h"

#include "PairedRatio.h"
#include "SchemaScript.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <map>
#include <memory>
#include <sqlite3.h>

using namespace tikkeli;

namespace {

struct Fixture {
    QTemporaryDir dir;
    Database db;
    std::vector<qint64> memberIds;
    qint64 piID = 0;
    qint64 lastOldRow = 0;

    explicit Fixture(int members)
    {
        db = Database::create(dir.filePath(QStringLiteral("bench.mdb")));
        db.executeScript(SchemaScript([](const QString& table) {
            return table == QLatin1String("jr") || table == QLatin1String("pi") || table == QLatin1String("pt");
        }));
        Transaction t(db);
        db.execute(QStringLiteral("INSERT INTO pi (piNimi, piType) VALUES ('Kokous', 1)"));
        piID = db.lastInsertId();
        db.execute(QStringLiteral("INSERT INTO pi (piNimi, piType) VALUES ('Pelto', 1)"));
        const qint64 other = db.lastInsertId();
        for (int i = 0; i < members; ++i) {
            db.execute(QStringLiteral("INSERT INTO jr (jrSukunimi, jrEtunimi) VALUES (?, 'Matti')"),
                       {QStringLiteral("Virtanen%1").arg(i)});
            const qint64 id = db.lastInsertId();
            memberIds.push_back(id);
            db.execute(QStringLiteral("INSERT INTO pt (ptjrID, ptpiID) VALUES (?, ?)"), {id, i % 2 ? piID : other});
        }
        lastOldRow = db.lastInsertId();
        t.commit();
    }

    void reset() { db.execute(QStringLiteral("DELETE FROM pt WHERE ptID > ?"), {lastOldRow}); }
};

Fixture& fixture(int members)
{
    static std::map<int, std::unique_ptr<Fixture>> fixtures;
    auto& f = fixtures[members];
    if (!f)
        f = std::make_unique<Fixture>(members);
    return *f;
}

void rawInsertSelect(sqlite3* h, qint64 piID)
{
    sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(h,
                       "INSERT INTO pt (ptpiID, ptjrID, ptValLong, ptValMemo) SELECT ?1, jrID, ?2, ?3 FROM jr"
                       " WHERE NOT EXISTS (SELECT 1 FROM pt WHERE ptjrID = jr.jrID AND +ptpiID = ?1)",
                       -1, &st, nullptr);
    sqlite3_bind_int64(st, 1, piID);
    sqlite3_bind_int64(st, 2, 3);
    sqlite3_bind_text(st, 3, "Kokous 2027", -1, SQLITE_STATIC);
    sqlite3_step(st);
    sqlite3_finalize(st);
    sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
}

void BM_AttachToAll(benchmark::State& state)
{
    Fixture& f = fixture(int(state.range(0)));
    const AttachValues values{std::nullopt, QStringLiteral("3"), std::nullopt, QStringLiteral("Kokous 2027")};
    int added = 0;
    RunPaired(
        state, "attach a feature to all lacking it, " + std::to_string(state.range(0)) + " members", 3,
        [&] { rawInsertSelect(f.db.handle(), f.piID); },
        [&] { added = FeatureAttach::attach(f.db, FeatureTable::members(), f.piID, f.memberIds, values, true).added; },
        [&] { f.reset(); });
    state.counters["added"] = added;
}
BENCHMARK(BM_AttachToAll)->Arg(10000)->Arg(100000)->Iterations(9)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    printPairedRatios();
    benchmark::Shutdown();
    return 0;
}
