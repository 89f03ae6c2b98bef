// Recordset reads and AddNew/Update inserts against the plain SQLite C API doing the same work.
#include "db/Database.h"
#include "db/Recordset.h"
#include "db/Transaction.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include "RatioReporter.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <sqlite3.h>

using namespace tikkeli;

namespace {

constexpr int Rows = 10000;

const QString Schema = QStringLiteral(
    "CREATE TABLE %1 (jrID INTEGER PRIMARY KEY AUTOINCREMENT, jrSukunimi VARCHAR(50), jrEtunimi VARCHAR(50),"
    " jrOsoite VARCHAR(100), jrPostinumero VARCHAR(10), jrPostitoimipaikka VARCHAR(50), jrPuhelin VARCHAR(30),"
    " jrEmail VARCHAR(100), jrJasen BOOLEAN NOT NULL DEFAULT 0, jrAktiivinen BOOLEAN NOT NULL DEFAULT 0,"
    " jrLiittynyt DATETIME, jrSyntynyt DATETIME, jrLisatieto VARCHAR(255));");

struct Fixture {
    QTemporaryDir dir;
    Database db;
    std::vector<std::vector<Value>> sample;

    Fixture()
    {
        db = Database::create(dir.filePath(QStringLiteral("bench.mdb")));
        db.executeScript(Schema.arg(QStringLiteral("jr")) + Schema.arg(QStringLiteral("jr_uusi")));
        for (int i = 0; i < Rows; ++i) {
            sample.push_back({QStringLiteral("Virtanen%1").arg(i), QStringLiteral("Matti"),
                              QStringLiteral("Metsätie %1 B 12").arg(i), QStringLiteral("00100"), QStringLiteral("Helsinki"),
                              QStringLiteral("040 123 %1").arg(i), QStringLiteral("matti%1@example.fi").arg(i),
                              QStringLiteral("Lisätieto jäsenestä %1").arg(i), i % 2 == 0, i % 3 == 0,
                              QDateTime(QDate(2000, 1, 1).addDays(i % 5000), QTime(12, 0)), QDate(1950, 1, 1).addDays(i)});
        }
        Transaction tr(db);
        for (const auto& row : sample)
            db.execute(QStringLiteral("INSERT INTO jr (jrSukunimi, jrEtunimi, jrOsoite, jrPostinumero, jrPostitoimipaikka,"
                                      " jrPuhelin, jrEmail, jrLisatieto, jrJasen, jrAktiivinen, jrLiittynyt, jrSyntynyt)"
                                      " VALUES (?,?,?,?,?,?,?,?,?,?,?,?)"),
                       row);
        tr.commit();
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

const QStringList& fieldNames()
{
    static const QStringList names = {
        QStringLiteral("jrID"), QStringLiteral("jrSukunimi"), QStringLiteral("jrEtunimi"), QStringLiteral("jrOsoite"),
        QStringLiteral("jrPostinumero"), QStringLiteral("jrPostitoimipaikka"), QStringLiteral("jrPuhelin"),
        QStringLiteral("jrEmail"), QStringLiteral("jrJasen"), QStringLiteral("jrAktiivinen"),
        QStringLiteral("jrLiittynyt"), QStringLiteral("jrSyntynyt"), QStringLiteral("jrLisatieto")};
    return names;
}

// The plain baseline: every column read into a program value (text as QString).
void BM_ReadRaw(benchmark::State& state)
{
    sqlite3* h = fixture().db.handle();
    for (auto _ : state) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(h, "SELECT * FROM jr", -1, &st, nullptr);
        long long n = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            const int cols = sqlite3_column_count(st);
            for (int i = 0; i < cols; ++i) {
                switch (sqlite3_column_type(st, i)) {
                case SQLITE_INTEGER:
                    n += sqlite3_column_int64(st, i);
                    break;
                case SQLITE_TEXT: {
                    QString s = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i)),
                                                  sqlite3_column_bytes(st, i));
                    n += s.size();
                    benchmark::DoNotOptimize(s);
                    break;
                }
                default:
                    break;
                }
            }
        }
        sqlite3_finalize(st);
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_ReadRaw)->Unit(benchmark::kMillisecond);

void BM_ReadRecordset(benchmark::State& state)
{
    Database& db = fixture().db;
    const QStringList& names = fieldNames();
    for (auto _ : state) {
        Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM jr"));
        long long n = 0;
        for (; !rs.eof(); rs.moveNext()) {
            for (const QString& name : names) {
                Value v = rs.field(name);
                n += int(v.kind());
                benchmark::DoNotOptimize(v);
            }
        }
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_ReadRecordset)->Unit(benchmark::kMillisecond);

void clearNewRows(benchmark::State& state)
{
    state.PauseTiming();
    fixture().db.execute(QStringLiteral("DELETE FROM jr_uusi"));
    state.ResumeTiming();
}

void BM_InsertRaw(benchmark::State& state)
{
    Fixture& f = fixture();
    sqlite3* h = f.db.handle();
    for (auto _ : state) {
        sqlite3_exec(h, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(h,
                           "INSERT INTO jr_uusi (jrSukunimi, jrEtunimi, jrOsoite, jrPostinumero, jrPostitoimipaikka,"
                           " jrPuhelin, jrEmail, jrLisatieto, jrJasen, jrAktiivinen, jrLiittynyt, jrSyntynyt)"
                           " VALUES (?,?,?,?,?,?,?,?,?,?,?,?)",
                           -1, &st, nullptr);
        for (const auto& row : f.sample) {
            for (int i = 0; i < 8; ++i) {
                const QByteArray t = row[std::size_t(i)].toString().toUtf8();
                sqlite3_bind_text(st, i + 1, t.constData(), int(t.size()), SQLITE_TRANSIENT);
            }
            sqlite3_bind_int(st, 9, row[8].toBool());
            sqlite3_bind_int(st, 10, row[9].toBool());
            for (int i = 10; i < 12; ++i) {
                const Value& v = row[std::size_t(i)];
                const QByteArray t = (v.toDate().toString(Qt::ISODate) + u' ' + v.toTime().toString(Qt::ISODate)).toUtf8();
                sqlite3_bind_text(st, i + 1, t.constData(), int(t.size()), SQLITE_TRANSIENT);
            }
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
        clearNewRows(state);
    }
}
BENCHMARK(BM_InsertRaw)->Unit(benchmark::kMillisecond);

void BM_InsertRecordset(benchmark::State& state)
{
    Fixture& f = fixture();
    const QStringList names = {
        QStringLiteral("jrSukunimi"), QStringLiteral("jrEtunimi"), QStringLiteral("jrOsoite"),
        QStringLiteral("jrPostinumero"), QStringLiteral("jrPostitoimipaikka"), QStringLiteral("jrPuhelin"),
        QStringLiteral("jrEmail"), QStringLiteral("jrLisatieto"), QStringLiteral("jrJasen"),
        QStringLiteral("jrAktiivinen"), QStringLiteral("jrLiittynyt"), QStringLiteral("jrSyntynyt")};
    for (auto _ : state) {
        Transaction tr(f.db);
        Recordset rs = f.db.openRecordset(QStringLiteral("SELECT * FROM jr_uusi WHERE jrID = 0"));
        for (const auto& row : f.sample) {
            rs.addNew();
            for (std::size_t i = 0; i < row.size(); ++i)
                rs.setField(names[i], row[i]);
            rs.update();
        }
        tr.commit();
        clearNewRows(state);
    }
}
BENCHMARK(BM_InsertRecordset)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    fixture();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio("BM_ReadRecordset", "BM_ReadRaw", 1.5);
    reporter.printRatio("BM_InsertRecordset", "BM_InsertRaw", 2);
    benchmark::Shutdown();
    return 0;
}
