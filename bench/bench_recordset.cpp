// Recordset reads and AddNew/Update inserts against the plain SQLite C API doing the same work.
#include "db/Database.h"
#include "db/Recordset.h"
#include "db/Transaction.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include "PairedRatio.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>
#include <variant>
#include <vector>
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
        QStringLiteral("jrID"),         QStringLiteral("jrSukunimi"),    QStringLiteral("jrEtunimi"),
        QStringLiteral("jrOsoite"),     QStringLiteral("jrPostinumero"), QStringLiteral("jrPostitoimipaikka"),
        QStringLiteral("jrPuhelin"),    QStringLiteral("jrEmail"),       QStringLiteral("jrJasen"),
        QStringLiteral("jrAktiivinen"), QStringLiteral("jrLiittynyt"),   QStringLiteral("jrSyntynyt"),
        QStringLiteral("jrLisatieto")};
    return names;
}

// The plain baseline, as an expert would write it: each cell read with one sqlite3_column_value
// call and kept as a program value (integers as numbers, text as its UTF-8 bytes).
void readRaw()
{
    sqlite3* h = fixture().db.handle();
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(h, "SELECT * FROM jr", -1, &st, nullptr);
    std::vector<std::vector<std::variant<std::monostate, long long, double, std::string>>> rows;
    const int cols = sqlite3_column_count(st);
    while (sqlite3_step(st) == SQLITE_ROW) {
        auto& row = rows.emplace_back();
        row.reserve(std::size_t(cols));
        for (int i = 0; i < cols; ++i) {
            sqlite3_value* v = sqlite3_column_value(st, i);
            switch (sqlite3_value_type(v)) {
            case SQLITE_INTEGER: row.emplace_back((long long)sqlite3_value_int64(v)); break;
            case SQLITE_FLOAT: row.emplace_back(sqlite3_value_double(v)); break;
            case SQLITE_TEXT:
                row.emplace_back(
                    std::string(reinterpret_cast<const char*>(sqlite3_value_text(v)), std::size_t(sqlite3_value_bytes(v))));
                break;
            default: row.emplace_back(std::monostate{});
            }
        }
    }
    sqlite3_finalize(st);
    // Then every cell visited once, as the recordset side does.
    long long n = 0;
    for (const auto& row : rows)
        for (const auto& cell : row)
            n += long(cell.index());
    benchmark::DoNotOptimize(n);
}

void readRecordset()
{
    Database& db = fixture().db;
    const QStringList& names = fieldNames();
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

void BM_Read(benchmark::State& state)
{
    RunPaired(state, "recordset read of 10000 rows vs raw C API", 1.3, readRaw, readRecordset);
}
BENCHMARK(BM_Read)->Iterations(15)->UseManualTime()->Unit(benchmark::kMillisecond);

void clearNewRows()
{
    fixture().db.execute(QStringLiteral("DELETE FROM jr_uusi"));
}

// Dates as the layer stores them (ISO text), formatted with a plain snprintf.
void insertRaw()
{
    Fixture& f = fixture();
    sqlite3* h = f.db.handle();
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
            const QDate d = v.toDate();
            const QTime t = v.toTime();
            char buf[32];
            const int n = std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", d.year(), d.month(), d.day(),
                                        t.hour(), t.minute(), t.second());
            sqlite3_bind_text(st, i + 1, buf, n, SQLITE_TRANSIENT);
        }
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
}

void insertRecordset()
{
    Fixture& f = fixture();
    static const QStringList names = {
        QStringLiteral("jrSukunimi"),    QStringLiteral("jrEtunimi"),          QStringLiteral("jrOsoite"),
        QStringLiteral("jrPostinumero"), QStringLiteral("jrPostitoimipaikka"), QStringLiteral("jrPuhelin"),
        QStringLiteral("jrEmail"),       QStringLiteral("jrLisatieto"),        QStringLiteral("jrJasen"),
        QStringLiteral("jrAktiivinen"),  QStringLiteral("jrLiittynyt"),        QStringLiteral("jrSyntynyt")};
    Transaction tr(f.db);
    Recordset rs = f.db.openRecordset(QStringLiteral("SELECT * FROM jr_uusi WHERE jrID = 0"));
    for (const auto& row : f.sample) {
        rs.addNew();
        for (std::size_t i = 0; i < row.size(); ++i)
            rs.setField(names[i], row[i]);
        rs.update();
    }
    tr.commit();
}

void BM_Insert(benchmark::State& state)
{
    // Each side starts from an empty table; the clean-up is not timed.
    RunPaired(state, "AddNew/Update insert of 10000 rows vs raw prepared INSERTs", 1.5, insertRaw, insertRecordset,
              clearNewRows);
}
BENCHMARK(BM_Insert)->Iterations(9)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    return RunPairedBenchmarks(argc, argv, [] { fixture(); });
}
