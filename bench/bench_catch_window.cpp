// The catch entry window on a club of 100,000 members and 10,000 catches, against a plain baseline
// doing the same data work with the raw SQLite C API on its own connection to the file: the
// window's rows, the species, the catch tree's node texts, the shooter list ("Sukunimi Etunimi"
// of every member) and the place list, each read in its order and built into the same strings.
// The two sides run interleaved; the ratio is of the medians (PairedRatio.h).
#include "base/ScriptedPrompter.h"
#include "base/SharedState.h"
#include "catch/ui/frmSaalisilmoitus.h"
#include "db/Database.h"
#include "db/FinnishCollation.h"

#include <QApplication>
#include <QDate>
#include <QLocale>
#include "ClubFixture.h"
#include "PairedRatio.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <memory>
#include <vector>

namespace {

constexpr int kMembers = 100000;
constexpr int kCatches = 10000;

ClubFixture& fixture()
{
    static std::unique_ptr<ClubFixture> made;
    if (!made) {
        made = std::make_unique<ClubFixture>(kMembers);
        static const QStringList species = {QStringLiteral("Hirvi"), QStringLiteral("Valkohäntäpeura"),
                                            QStringLiteral("Metsäkauris"), QStringLiteral("Kuusipeura")};
        tikkeli::Database db = tikkeli::Database::open(made->database);
        db.execute(QStringLiteral("DELETE FROM si"));
        db.execute(QStringLiteral("BEGIN"));
        for (int i = 0; i < kCatches; ++i)
            db.execute(QStringLiteral("INSERT INTO si (siLaji, siPvm, siIka, siSukupuoli, siPaikka, siKaataja) "
                                      "VALUES (?, ?, ?, ?, ?, ?)"),
                       {species[i % species.size()], QDate(2026, 9, 1).addDays(i % 90), i % 3 != 0, i % 2 == 0,
                        QStringLiteral("Passilinja %1").arg(i % 40), QStringLiteral("Kaataja %1").arg(i % 500)});
        db.execute(QStringLiteral("COMMIT"));
        db.close();
        tikkeli::ConnectionRegistry::closeAll(made->database);
    }
    tikkeli::State().DatabasePath = made->database;
    return *made;
}

QString columnText(sqlite3_stmt* st, int c)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)), sqlite3_column_bytes(st, c));
}

// Every row of a statement, each turned into one string by build.
template <class Build>
QStringList texts(sqlite3* db, const char* sql, Build build)
{
    QStringList out;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
        out.append(build(st));
    sqlite3_finalize(st);
    return out;
}

void OpenCatchWindow(benchmark::State& state)
{
    ClubFixture& f = fixture();
    const QByteArray path = QFile::encodeName(f.database);
    tikkeli::ScriptedPrompter quiet;
    RunPaired(
        state, "open the catch window (10,000 catches, 100,000 members) vs raw reads building its texts", 3,
        [&] {
            sqlite3* db = nullptr;
            sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
            tikkeli::FinnishCollation::install(db);
            std::size_t n = 0;
            n += texts(db, "SELECT * FROM si ORDER BY siID", [](sqlite3_stmt* st) { return columnText(st, 1); }).size();
            n += texts(db, "SELECT jrSukunimi, jrEtunimi FROM jr ORDER BY jrSukunimi COLLATE FI, jrEtunimi COLLATE FI",
                       [](sqlite3_stmt* st) { return columnText(st, 0) + QLatin1Char(' ') + columnText(st, 1); })
                     .size();
            n += texts(db,
                       "SELECT DISTINCT tlKyla, tlTilaPalsta FROM tl ORDER BY tlKyla COLLATE FI, tlTilaPalsta COLLATE FI",
                       [](sqlite3_stmt* st) { return columnText(st, 0) + QStringLiteral(", ") + columnText(st, 1); })
                     .size();
            for (int i = 0; i < 2; ++i)
                n += texts(db, "SELECT DISTINCT siLaji FROM si ORDER BY siLaji COLLATE FI", [](sqlite3_stmt* st) {
                         return columnText(st, 0);
                     }).size();
            n += texts(db, "SELECT siID, siLaji, siPvm, siPaikka, siKaataja FROM si ORDER BY siID", [](sqlite3_stmt* st) {
                     const QDate d = QDate::fromString(columnText(st, 2).left(10), Qt::ISODate);
                     return d.toString(QStringLiteral("d.M.yyyy")) + QStringLiteral(", ") + columnText(st, 3)
                            + QStringLiteral(", ") + columnText(st, 4);
                 }).size();
            benchmark::DoNotOptimize(n);
            sqlite3_close_v2(db);
        },
        [&] {
            auto* w = new tikkeli::frmSaalisilmoitus;
            if (!w->loaded())
                state.SkipWithError("the catch window did not load");
            benchmark::DoNotOptimize(w->windowTitle());
            delete w;
            tikkeli::ConnectionRegistry::closeAll(f.database);
        });
}
BENCHMARK(OpenCatchWindow)->Iterations(9)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Finnish, QLocale::Finland));
    return RunPairedBenchmarks(argc, argv);
}
