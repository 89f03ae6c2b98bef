// An invoice run for 10,000 members (two rows each) against the plain SQLite C API doing the same
// work in one write transaction: the run's checks (no unmoved invoices, the largest number used),
// the run text, the first invoice id, the recipients read in Finnish name order, each invoice with
// its check-digit reference and its two rows, each member's fee flag, the counter stored and the
// invoices counted. Both sides work on tables with the indexes a club database has. They run
// alternately in one process; the figure is the ratio of medians.
#include "base/SharedState.h"
#include "db/Database.h"
#include "db/Transaction.h"
#include "invoicing/InvoiceRun.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include "InvoiceRunRequest.h"
#include "PairedRatio.h"
#include "SchemaScript.h"

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

    Fixture()
    {
        db = Database::create(dir.filePath(QStringLiteral("bench.mdb")));
        db.executeScript(SchemaScript());
        Transaction t(db);
        for (int i = 0; i < Members; ++i)
            db.execute(QStringLiteral("INSERT INTO jr (jrSukunimi, jrEtunimi, jrOsoite, jrPostinumero, jrPostitoimipaikka,"
                                      " jrJasennumero, jrJasenmaksu) VALUES (?, ?, ?, ?, ?, ?, 1)"),
                       {QStringLiteral("Virtanen%1").arg(i, 5, 10, QLatin1Char('0')), QStringLiteral("Matti"),
                        QStringLiteral("Metsätie %1 B 12").arg(i), QStringLiteral("00100"), QStringLiteral("Helsinki"),
                        QString::number(1000 + i)});
        t.commit();
    }

    void reset()
    {
        db.execute(QStringLiteral("DELETE FROM jmRivi"));
        db.execute(QStringLiteral("DELETE FROM jm"));
        db.execute(QStringLiteral("DELETE FROM me"));
        db.execute(QStringLiteral("DELETE FROM Settings"));
        db.execute(QStringLiteral("UPDATE jr SET jrJasenmaksu = 1"));
        State().InvoiceNumberCounter = 100;
    }
};

InvoiceRunRequest request()
{
    return bench::membershipRun();
}

void bindText(sqlite3_stmt* st, int i, const QByteArray& t)
{
    sqlite3_bind_text(st, i, t.constData(), int(t.size()), SQLITE_TRANSIENT);
}

sqlite3_int64 scalar(sqlite3* h, const char* sql)
{
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(h, sql, -1, &st, nullptr);
    const sqlite3_int64 v = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int64(st, 0) : 0;
    sqlite3_finalize(st);
    return v;
}

void exec(sqlite3* h, const char* sql)
{
    sqlite3_exec(h, sql, nullptr, nullptr, nullptr);
}

// The invoice number with its 7-3-1 check digit, as a bank reads it.
QByteArray reference(int number)
{
    const QByteArray base = QByteArray::number(number);
    static const int weights[] = {7, 3, 1};
    int sum = 0;
    for (qsizetype i = base.size() - 1, k = 0; i >= 0; --i, ++k)
        sum += (base[i] - '0') * weights[k % 3];
    return base + char('0' + (10 - sum % 10) % 10);
}

struct Recipient {
    sqlite3_int64 id;
    QByteArray name, address, post, postcode, number;
};

void rawRun(sqlite3* h)
{
    const QByteArray title = QStringLiteral("Jäsenmaksu 2027").toUtf8();
    const QByteArray giro = QStringLiteral("Jäsenmaksu ja lehti").toUtf8();
    const QByteArray row1 = QStringLiteral("Jäsenmaksu").toUtf8();
    const QByteArray row2("Lehti");
    const QByteArray invoiceDate("2027-01-15 00:00:00"), dueDate("2027-02-15 00:00:00");
    exec(h, "BEGIN IMMEDIATE");
    // The checks and the counter.
    benchmark::DoNotOptimize(scalar(h, "SELECT COUNT(*) FROM jm"));
    int counter = int(scalar(h, "SELECT CAST(setString AS INTEGER) FROM Settings WHERE setSection = 'TIKKELI'"
                                " AND setKey = 'Laskunro'"));
    const sqlite3_int64 largest = std::max(scalar(h, "SELECT MAX(jmhjmLaskunumero) FROM jmhist"),
                                           scalar(h, "SELECT MAX(jmLaskunumero) FROM jm"));
    counter = std::max<int>({counter, int(largest) + 1, 100});
    // The run text and the first invoice id.
    exec(h, "INSERT INTO me (meTeksti) VALUES ('Kiitos tuesta!')");
    const sqlite3_int64 runText = sqlite3_last_insert_rowid(h);
    benchmark::DoNotOptimize(
        std::max({scalar(h, "SELECT MAX(jmRjmID) FROM jmRivi"), scalar(h, "SELECT MAX(jmhjmID) FROM jmhist"),
                  scalar(h, "SELECT seq FROM sqlite_sequence WHERE name = 'jm'"), scalar(h, "SELECT MAX(jmID) FROM jm")}));
    // The recipients in Finnish name order.
    std::vector<Recipient> recipients;
    sqlite3_stmt* read = nullptr;
    sqlite3_prepare_v2(h,
                       "SELECT jrID, jrSukunimi, jrEtunimi, jrOsoite, jrPostinumero, jrPostitoimipaikka, jrJasennumero,"
                       " jrViitenumero, jrJasenmaksu FROM jr WHERE jrSukunimi IS NOT NULL"
                       " ORDER BY jrSukunimi COLLATE FI, jrEtunimi COLLATE FI, jrID",
                       -1, &read, nullptr);
    const auto text = [&](int c) {
        return QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(read, c)), sqlite3_column_bytes(read, c));
    };
    while (sqlite3_step(read) == SQLITE_ROW)
        recipients.push_back(
            {sqlite3_column_int64(read, 0), text(1) + ' ' + text(2), text(3), text(4) + ' ' + text(5), text(4), text(6)});
    sqlite3_finalize(read);

    sqlite3_stmt *jm = nullptr, *rivi = nullptr, *fee = nullptr;
    sqlite3_prepare_v2(h,
                       "INSERT INTO jm (jmjrID, jmErapaiva, jmLaskupaiva, jmLaskunumero, jmViitenumero, jmHinta,"
                       " jmTeksti, jmMaksettu, jmOtsake, jmmeID, jmEmailed, jmJasMak, jmjrJasenmaksu, jmLaskOsoite2,"
                       " jmLaskOsoite3, jmLaskOsoite5, jmLaskPostinumero, jmLaskJasennumero)"
                       " VALUES (?, ?, ?, ?, ?, 45.5, ?, 0, ?, ?, 0, 1, 1, ?, ?, ?, ?, ?)",
                       -1, &jm, nullptr);
    sqlite3_prepare_v2(h,
                       "INSERT INTO jmRivi (jmRjrID, jmRjmID, jmRmeId, jmRPaiva, jmRHinta, jmRTeksti, jmRMaksettu)"
                       " VALUES (?, ?, ?, ?, ?, ?, 0)",
                       -1, &rivi, nullptr);
    sqlite3_prepare_v2(h, "UPDATE jr SET jrJasenmaksu = 0 WHERE jrID = ?", -1, &fee, nullptr);
    for (const Recipient& m : recipients) {
        sqlite3_bind_int64(jm, 1, m.id);
        bindText(jm, 2, dueDate);
        bindText(jm, 3, invoiceDate);
        sqlite3_bind_int(jm, 4, counter);
        bindText(jm, 5, reference(counter));
        bindText(jm, 6, giro);
        bindText(jm, 7, title);
        sqlite3_bind_int64(jm, 8, runText);
        bindText(jm, 9, m.name);
        bindText(jm, 10, m.address);
        bindText(jm, 11, m.post);
        bindText(jm, 12, m.postcode);
        bindText(jm, 13, m.number);
        sqlite3_step(jm);
        sqlite3_reset(jm);
        const sqlite3_int64 jmId = sqlite3_last_insert_rowid(h);
        for (const auto& [rowText, price] : {std::pair{&row1, 40.0}, std::pair{&row2, 5.5}}) {
            sqlite3_bind_int64(rivi, 1, m.id);
            sqlite3_bind_int64(rivi, 2, jmId);
            sqlite3_bind_int64(rivi, 3, runText);
            bindText(rivi, 4, invoiceDate);
            sqlite3_bind_double(rivi, 5, price);
            bindText(rivi, 6, *rowText);
            sqlite3_step(rivi);
            sqlite3_reset(rivi);
        }
        sqlite3_bind_int64(fee, 1, m.id);
        sqlite3_step(fee);
        sqlite3_reset(fee);
        ++counter;
    }
    for (sqlite3_stmt* st : {jm, rivi, fee})
        sqlite3_finalize(st);
    sqlite3_stmt* store = nullptr;
    sqlite3_prepare_v2(h, "INSERT INTO Settings (setSection, setKey, setString) VALUES ('TIKKELI', 'Laskunro', ?)", -1,
                       &store, nullptr);
    bindText(store, 1, QByteArray::number(counter));
    sqlite3_step(store);
    sqlite3_finalize(store);
    benchmark::DoNotOptimize(scalar(h, "SELECT COUNT(*) FROM jm"));
    exec(h, "COMMIT");
}

void BM_InvoiceRun(benchmark::State& state)
{
    static Fixture f;
    const InvoiceRunRequest r = request();
    int added = 0;
    RunPaired(
        state, "invoice run, 10000 members / raw run doing the same work", 3.0, [&] { rawRun(f.db.handle()); },
        [&] { added = InvoiceRun(f.db).run(r).added; }, [&] { f.reset(); });
    if (added != Members)
        state.SkipWithError("the run did not write every invoice");
}
BENCHMARK(BM_InvoiceRun)->Iterations(9)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    return RunPairedBenchmarks(argc, argv);
}
