// An invoice run for 10,000 members (two rows each) against the plain SQLite C API inserting the
// same invoices and rows in one transaction. Both run interleaved and repeated; the figure is the
// ratio of their medians.
#include "db/Database.h"
#include "db/Schema.h"
#include "db/SchemaDdl.h"
#include "db/Transaction.h"
#include "invoicing/InvoiceRun.h"
#include "base/SharedState.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include "RatioReporter.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <string>
#include <vector>

using namespace tikkeli;

namespace {

constexpr int Members = 10000;

struct Fixture {
    QTemporaryDir dir;
    Database db;
    // The invoices and rows the run writes, as the baseline binds them.
    std::vector<std::vector<QByteArray>> invoiceTexts;
    std::vector<qint64> memberIds;

    Fixture()
    {
        db = Database::create(dir.filePath(QStringLiteral("bench.mdb")));
        QString ddl;
        for (const TableDef& t : Schema::tables())
            ddl += SchemaDdl::createTable(t) + QLatin1Char(';');
        db.executeScript(ddl);
        Transaction t(db);
        for (int i = 0; i < Members; ++i) {
            db.execute(QStringLiteral("INSERT INTO jr (jrSukunimi, jrEtunimi, jrOsoite, jrPostinumero, jrPostitoimipaikka,"
                                      " jrJasennumero, jrJasenmaksu) VALUES (?, ?, ?, ?, ?, ?, 1)"),
                       {QStringLiteral("Virtanen%1").arg(i, 5, 10, QLatin1Char('0')), QStringLiteral("Matti"),
                        QStringLiteral("Metsätie %1 B 12").arg(i), QStringLiteral("00100"), QStringLiteral("Helsinki"),
                        QString::number(1000 + i)});
            memberIds.push_back(db.lastInsertId());
            invoiceTexts.push_back({QStringLiteral("Virtanen%1 Matti").arg(i, 5, 10, QLatin1Char('0')).toUtf8(),
                                    QStringLiteral("Metsätie %1 B 12").arg(i).toUtf8(), QByteArray("00100 Helsinki"),
                                    QByteArray("00100"), QByteArray::number(1000 + i)});
        }
        t.commit();
    }

    void reset()
    {
        db.execute(QStringLiteral("DELETE FROM jmRivi"));
        db.execute(QStringLiteral("DELETE FROM jm"));
        db.execute(QStringLiteral("DELETE FROM me"));
        db.execute(QStringLiteral("DELETE FROM Settings"));
        db.execute(QStringLiteral("UPDATE jr SET jrJasenmaksu = 1"));
        State().InvoiceNumberCounter = 1;
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

InvoiceRunRequest request()
{
    InvoiceRunRequest r;
    r.title = QStringLiteral("Jäsenmaksu 2027");
    r.invoiceDate = QStringLiteral("15.1.2027");
    r.dueDate = QStringLiteral("15.2.2027");
    r.giroText = QStringLiteral("Jäsenmaksu ja lehti");
    r.runText = QStringLiteral("Kiitos tuesta!");
    r.feeInvoice = true;
    r.rows[0] = {true, QStringLiteral("Jäsenmaksu"), QStringLiteral("40,00")};
    r.rows[1] = {true, QStringLiteral("Lehti"), QStringLiteral("5,50")};
    r.total = QStringLiteral("45,50 €");
    return r;
}

void BM_InvoiceRun(benchmark::State& state)
{
    Fixture& f = fixture();
    const InvoiceRunRequest r = request();
    for (auto _ : state) {
        state.PauseTiming();
        f.reset();
        state.ResumeTiming();
        const InvoiceRunResult result = InvoiceRun(f.db).run(r);
        if (result.added != Members)
            state.SkipWithError("the run did not write every invoice");
    }
}
BENCHMARK(BM_InvoiceRun)->Unit(benchmark::kMillisecond);

void bindText(sqlite3_stmt* st, int i, const QByteArray& t)
{
    sqlite3_bind_text(st, i, t.constData(), int(t.size()), SQLITE_STATIC);
}

// The same invoice and row records, prepared once and bound column by column.
void BM_RawInserts(benchmark::State& state)
{
    Fixture& f = fixture();
    sqlite3* h = f.db.handle();
    const QByteArray title = QStringLiteral("Jäsenmaksu 2027").toUtf8();
    const QByteArray giro = QStringLiteral("Jäsenmaksu ja lehti").toUtf8();
    const QByteArray row1 = QStringLiteral("Jäsenmaksu").toUtf8();
    const QByteArray row2("Lehti");
    const QByteArray invoiceDate("2027-01-15 00:00:00"), dueDate("2027-02-15 00:00:00");
    for (auto _ : state) {
        state.PauseTiming();
        f.reset();
        state.ResumeTiming();
        sqlite3_exec(h, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_stmt* jm = nullptr;
        sqlite3_stmt* rivi = nullptr;
        sqlite3_prepare_v2(h,
                           "INSERT INTO jm (jmjrID, jmErapaiva, jmLaskupaiva, jmLaskunumero, jmViitenumero, jmHinta,"
                           " jmTeksti, jmMaksettu, jmOtsake, jmmeID, jmEmailed, jmJasMak, jmjrJasenmaksu, jmLaskOsoite2,"
                           " jmLaskOsoite3, jmLaskOsoite5, jmLaskPostinumero, jmLaskJasennumero)"
                           " VALUES (?, ?, ?, ?, ?, 45.5, ?, 0, ?, 1, 0, 1, 1, ?, ?, ?, ?, ?)",
                           -1, &jm, nullptr);
        sqlite3_prepare_v2(h,
                           "INSERT INTO jmRivi (jmRjrID, jmRjmID, jmRmeId, jmRPaiva, jmRHinta, jmRTeksti, jmRMaksettu)"
                           " VALUES (?, ?, 1, ?, ?, ?, 0)",
                           -1, &rivi, nullptr);
        for (int i = 0; i < Members; ++i) {
            const auto& texts = f.invoiceTexts[std::size_t(i)];
            const QByteArray reference = QByteArray::number(i + 1) + '0';
            sqlite3_bind_int64(jm, 1, f.memberIds[std::size_t(i)]);
            bindText(jm, 2, dueDate);
            bindText(jm, 3, invoiceDate);
            sqlite3_bind_int(jm, 4, i + 1);
            bindText(jm, 5, reference);
            bindText(jm, 6, giro);
            bindText(jm, 7, title);
            for (int k = 0; k < 5; ++k)
                bindText(jm, 8 + k, texts[std::size_t(k)]);
            sqlite3_step(jm);
            sqlite3_reset(jm);
            const sqlite3_int64 jmId = sqlite3_last_insert_rowid(h);
            for (const auto& [text, price] : {std::pair{&row1, 40.0}, std::pair{&row2, 5.5}}) {
                sqlite3_bind_int64(rivi, 1, f.memberIds[std::size_t(i)]);
                sqlite3_bind_int64(rivi, 2, jmId);
                bindText(rivi, 3, invoiceDate);
                sqlite3_bind_double(rivi, 4, price);
                bindText(rivi, 5, *text);
                sqlite3_step(rivi);
                sqlite3_reset(rivi);
            }
        }
        sqlite3_finalize(jm);
        sqlite3_finalize(rivi);
        sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
    }
}
BENCHMARK(BM_RawInserts)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // Repeated and interleaved unless the caller says otherwise, so both sides see the same machine.
    std::vector<char*> args(argv, argv + argc);
    std::string repetitions = "--benchmark_repetitions=7";
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    bool given = false;
    for (int i = 1; i < argc; ++i)
        given = given || std::string(argv[i]).rfind("--benchmark_repetitions", 0) == 0;
    if (!given) {
        args.push_back(repetitions.data());
        args.push_back(interleave.data());
    }
    int count = int(args.size());
    benchmark::Initialize(&count, args.data());
    fixture();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio("BM_InvoiceRun_median", "BM_RawInserts_median", 3);
    benchmark::Shutdown();
    return 0;
}
