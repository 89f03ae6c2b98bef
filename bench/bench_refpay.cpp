// Reading a domestic reference-payment file of 10,000 (100,000) payments and sorting them against a
// history of as many invoices, against plain SQLite lookups of the same references (prepared once,
// bound each time). Both sides run alternately in one process; the figure is the ratio of medians.
#include "db/Database.h"
#include "db/Schema.h"
#include "db/SchemaDdl.h"
#include "db/Transaction.h"
#include "invoicing/ReferencePaymentMatcher.h"
#include "platform/ReferencePaymentReader.h"

#include "PairedRatio.h"
#include "SchemaScript.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <map>
#include <memory>
#include <sqlite3.h>
#include <string>

using namespace tikkeli;

namespace {

struct Fixture {
    const int Count;
    QTemporaryDir dir;
    Database db;
    QString file;
    std::vector<QByteArray> references;

    explicit Fixture(int count) : Count(count)
    {
        db = Database::create(dir.filePath(QStringLiteral("bench.mdb")));
        db.executeScript(SchemaScript());
        Transaction t(db);
        db.execute(QStringLiteral("INSERT INTO jr (jrSukunimi) VALUES ('Virtanen')"));
        const qint64 member = db.lastInsertId();
        QByteArray bytes;
        const auto record = [&](const QByteArray& r) { bytes += r.leftJustified(90, ' ') + "\r\n"; };
        record("0261207103047123456789 1");
        qint64 sum = 0;
        for (int i = 0; i < Count; ++i) {
            const QByteArray reference = QByteArray::number(100000 + i);
            references.push_back(reference);
            db.execute(
                QStringLiteral(
                    "INSERT INTO jmhist (jmhjmViitenumero, jmhjmHinta, jmhjmjrID, jmhjmLaskunumero) VALUES (?, ?, ?, ?)"),
                {Value(QString::fromLatin1(reference)), Value(Currency::fromUnits(20)), Value(member),
                 Value(qint64(i + 1))});
            const qint64 cents = i % 10 == 0 ? 1999 : 2000;
            sum += cents;
            record("3" + QByteArray("12345600012345261205261204") + QByteArray("2612041234AB5678")
                   + reference.rightJustified(20, '0') + QByteArray("Virtanen").leftJustified(12, ' ') + "1A"
                   + QByteArray::number(cents).rightJustified(10, '0') + "0A ");
        }
        record("9" + QByteArray::number(Count).rightJustified(6, '0') + QByteArray::number(sum).rightJustified(11, '0')
               + QByteArray(34, '0'));
        t.commit();
        file = dir.filePath(QStringLiteral("viitteet.dat"));
        QFile f(file);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
    }
};

void BM_ReadAndMatch(benchmark::State& state)
{
    static std::map<int, std::unique_ptr<Fixture>> fixtures;
    auto& slot = fixtures[int(state.range(0))];
    if (!slot)
        slot = std::make_unique<Fixture>(int(state.range(0)));
    Fixture& f = *slot;
    sqlite3* h = f.db.handle();
    std::size_t found = 0;
    const auto baseline = [&] {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(h, "SELECT jmhID, jmhjmjrID, jmhjmHinta, jmhjmMaksettu FROM jmhist WHERE jmhjmViitenumero = ?",
                           -1, &st, nullptr);
        std::size_t n = 0;
        for (const QByteArray& r : f.references) {
            sqlite3_bind_text(st, 1, r.constData(), int(r.size()), SQLITE_STATIC);
            while (sqlite3_step(st) == SQLITE_ROW)
                ++n;
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        benchmark::DoNotOptimize(n);
    };
    const auto ours = [&] {
        const auto batches = ReferencePaymentReader().readFile(f.file);
        found = ReferencePaymentMatcher(f.db).match(batches.at(0)).size();
        benchmark::DoNotOptimize(found);
    };
    RunPaired(state, "read and match " + std::to_string(f.Count) + " payments / raw lookups", 2.0, baseline, ours);
    if (found != std::size_t(f.Count))
        state.SkipWithError("not every payment was matched");
}
BENCHMARK(BM_ReadAndMatch)->Arg(10000)->Arg(100000)->Iterations(15)->Unit(benchmark::kMillisecond)->UseManualTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    return RunPairedBenchmarks(argc, argv);
}
