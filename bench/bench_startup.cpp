// Start-up work from reading the ini file to the caption (no windows) on a club database of
// 10,000 members, against a plain baseline: the raw SQLite C API opening the same file, reading
// table Settings and the catalogue (tables, their columns and indexes).
#include "app/Startup.h"
#include "db/Database.h"
#include "base/SharedState.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include "RatioReporter.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {

struct Fixture {
    QTemporaryDir dir;
    QString database;

    Fixture()
    {
        // The staged program folder of the build: bench/ and bin/ lie side by side.
        const QString program = qEnvironmentVariable("TIKKELI_PROGRAM_DIR",
                                                     QCoreApplication::applicationDirPath() + QStringLiteral("/../bin"));
        database = dir.path() + QStringLiteral("/seura.mdb");
        QFile::copy(program + QStringLiteral("/demo1.mdb"), database);
        QFile::setPermissions(database, QFile::permissions(database) | QFileDevice::WriteOwner);
        qputenv("TIKKELI_PROGRAM_DIR", program.toUtf8());
        qputenv("TIKKELI_DOCUMENTS", (dir.path() + QStringLiteral("/docs")).toUtf8());
        qputenv("TIKKELI_INI", (dir.path() + QStringLiteral("/Tikkeli.ini")).toUtf8());
        QFile ini(dir.path() + QStringLiteral("/Tikkeli.ini"));
        ini.open(QIODevice::WriteOnly);
        ini.write(QStringLiteral("[TIKKELI]\nDatabase=%1\nDatabaseBackup=%2/v/\n").arg(database, dir.path()).toUtf8());
        ini.close();

        tikkeli::Database db = tikkeli::Database::open(database);
        db.execute(QStringLiteral("BEGIN"));
        for (int i = 0; i < 10000; ++i)
            db.execute(QStringLiteral("INSERT INTO jr (jrJasennumero, jrSukunimi, jrEtunimi, jrOsoite, jrPostinumero, "
                                      "jrPostitoimipaikka) VALUES (?, ?, ?, ?, ?, ?)"),
                       {QString::number(5000 + i), QStringLiteral("Sukunimi%1").arg(i), QStringLiteral("Etunimi"),
                        QStringLiteral("Metsätie %1").arg(i % 200), QStringLiteral("41990"), QStringLiteral("Hirvilahti")});
        db.execute(QStringLiteral("COMMIT"));
        db.close();
        tikkeli::ConnectionRegistry::closeAll(database);
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

void rawOpenSettingsAndCatalogue(benchmark::State& state)
{
    const QByteArray path = QFile::encodeName(fixture().database);
    for (auto _ : state) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        int rows = 0;
        auto each = [&](const char* sql, auto&& onRow) {
            sqlite3_stmt* st = nullptr;
            sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
            while (sqlite3_step(st) == SQLITE_ROW) {
                onRow(st);
                ++rows;
            }
            sqlite3_finalize(st);
        };
        each("SELECT setSection, setKey, setString FROM Settings", [](sqlite3_stmt*) {});
        std::vector<std::string> tables;
        each("SELECT name FROM sqlite_master WHERE type = 'table'",
             [&](sqlite3_stmt* st) { tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))); });
        for (const std::string& t : tables) {
            each(("PRAGMA table_info(\"" + t + "\")").c_str(), [](sqlite3_stmt*) {});
            each(("PRAGMA index_list(\"" + t + "\")").c_str(), [](sqlite3_stmt*) {});
        }
        sqlite3_close_v2(db);
        benchmark::DoNotOptimize(rows);
    }
}

// The plain baseline.
void RawSqliteOpenSettingsAndCatalogue(benchmark::State& state)
{
    rawOpenSettingsAndCatalogue(state);
}
BENCHMARK(RawSqliteOpenSettingsAndCatalogue)->Unit(benchmark::kMillisecond);

void StartupToCaption(benchmark::State& state)
{
    fixture();
    for (auto _ : state) {
        tikkeli::State() = tikkeli::SharedState{};
        tikkeli::Startup startup;
        const tikkeli::StartupOutcome out = startup.run();
        if (!out.databaseLoaded)
            state.SkipWithError("start-up did not load the database");
        benchmark::DoNotOptimize(out.caption);
    }
}
BENCHMARK(StartupToCaption)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Finnish, QLocale::Finland));
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio("StartupToCaption", "RawSqliteOpenSettingsAndCatalogue", 3);
    benchmark::Shutdown();
    return 0;
}
