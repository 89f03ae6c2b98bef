// The contract window's tree (three branches, Finnish letter groups, validity blocks, villages)
// against stepping through the rows it reads with the bare SQLite API.
#include "contracts/ContractTree.h"
#include "db/Database.h"
#include "db/Transaction.h"

#include "PairedRatio.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <random>
#include <sqlite3.h>

using namespace tikkeli;

namespace {

const QDate kToday(2026, 3, 10);

struct Fixture {
    QTemporaryDir dir;
    Database db;

    Fixture(int contracts, int estates)
    {
        db = Database::create(dir.filePath(QStringLiteral("bench.mdb")));
        db.executeScript(
            QStringLiteral("CREATE TABLE vs (vsID INTEGER PRIMARY KEY AUTOINCREMENT, vsNimi VARCHAR(50), vsVoimassa INTEGER,"
                           " vsVoimassaPaattyy DATETIME);"
                           "CREATE TABLE tl (tlID INTEGER PRIMARY KEY AUTOINCREMENT, tlvsID INTEGER, tlKyla VARCHAR(50));"));
        const QStringList stems = {QStringLiteral("Virta"),  QStringLiteral("Mäki"),   QStringLiteral("Korho"),
                                   QStringLiteral("Wallin"), QStringLiteral("Hämälä"), QStringLiteral("Laine"),
                                   QStringLiteral("Öhma"),   QStringLiteral("Åber"),   QStringLiteral("Ärvä"),
                                   QStringLiteral("3M "),    QStringLiteral("Salo"),   QStringLiteral("Turu")};
        const QStringList villages = {QStringLiteral("Kirkonkylä"), QStringLiteral("Ylikylä"),    QStringLiteral("Alakylä"),
                                      QStringLiteral("Hietaniemi"), QStringLiteral("Mustajärvi"), QString()};
        std::mt19937 rng(11);
        Transaction tr(db);
        for (int i = 0; i < contracts; ++i) {
            const int validity = int(rng() % 3); // 0 neither, 1 until notice, 2 fixed term
            const int days = int(rng() % 900) - 300;
            db.execute(QStringLiteral("INSERT INTO vs (vsNimi, vsVoimassa, vsVoimassaPaattyy) VALUES (?, ?, ?)"),
                       {stems[rng() % stems.size()] + QString::number(rng() % 1000), Value(validity),
                        rng() % 10 == 0 ? Value() : Value(kToday.addDays(days))});
        }
        for (int i = 0; i < estates; ++i) {
            const QString village = villages[rng() % villages.size()];
            db.execute(QStringLiteral("INSERT INTO tl (tlvsID, tlKyla) VALUES (?, ?)"),
                       {Value(qint64(rng() % contracts) + 1), village.isNull() ? Value() : Value(village)});
        }
        tr.commit();
    }
};

long long stepAll(sqlite3* h, const char* sql)
{
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(h, sql, -1, &st, nullptr);
    long long n = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(st); ++c)
            n += sqlite3_column_bytes(st, c);
    }
    sqlite3_finalize(st);
    return n;
}

void BM_ContractTree(benchmark::State& state)
{
    static Fixture f(5000, 15000);
    sqlite3* h = f.db.handle();
    RunPaired(
        state, "contract tree vs its raw queries, 5000 contracts, 15000 estates", 3.0,
        [&] {
            benchmark::DoNotOptimize(stepAll(h, "SELECT vsID, vsNimi, vsVoimassa, vsVoimassaPaattyy FROM vs"
                                                " ORDER BY vsNimi COLLATE FI, vsID"));
            benchmark::DoNotOptimize(stepAll(h, "SELECT tl.tlID, tl.tlvsID, tl.tlKyla, vs.vsNimi FROM tl, vs"
                                                " WHERE tl.tlvsID = vs.vsID ORDER BY tl.tlKyla COLLATE FI,"
                                                " vs.vsNimi COLLATE FI, vs.vsID, tl.tlID"));
        },
        [&] {
            const ContractTree::Tree tree = ContractTree::build(f.db, kToday);
            benchmark::DoNotOptimize(tree.villages.size());
        });
}
BENCHMARK(BM_ContractTree)->Iterations(15)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    return RunPairedBenchmarks(argc, argv);
}
