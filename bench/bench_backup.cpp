// The folder backup of a club database (a verified copy into the backup folder, then the database
// compacted beside itself and put in place) against the raw SQLite C API doing the same work: the
// online backup API into a new file in the backup folder and VACUUM INTO a new file beside the
// database, each file flushed (fsync), checked as ours checks it (quick_check of the copy,
// integrity_check of the compacted file), renamed into place and its folder flushed.
#include "backup/FolderBackup.h"
#include "base/SharedState.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "db/SchemaDdl.h"
#include "db/Transaction.h"

#include "PairedRatio.h"
#include "SchemaScript.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <fcntl.h>
#include <map>
#include <memory>
#include <sqlite3.h>
#include <string>
#include <unistd.h>

using namespace tikkeli;

namespace {

// The check our backup runs on a finished file, on a read-only connection of its own.
bool checked(const QByteArray& path, const char* pragma)
{
    sqlite3* db = nullptr;
    bool ok = false;
    if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, pragma, -1, &st, nullptr);
        ok = sqlite3_step(st) == SQLITE_ROW
             && std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))) == "ok";
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return ok;
}

void syncPath(const QByteArray& path, int flags)
{
    const int fd = ::open(path.constData(), flags);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

struct Fixture {
    QTemporaryDir dir;
    QString database, backupFolder, rawFolder;

    explicit Fixture(int members)
    {
        database = dir.filePath(QStringLiteral("seura.mdb"));
        backupFolder = dir.filePath(QStringLiteral("Varmistus"));
        rawFolder = dir.filePath(QStringLiteral("Raaka"));
        QDir().mkpath(backupFolder);
        QDir().mkpath(rawFolder);
        Database db = Database::create(database);
        db.executeScript(SchemaScript());
        Transaction t(db);
        for (int i = 0; i < members; ++i) {
            db.execute(QStringLiteral("INSERT INTO jr (jrSukunimi, jrEtunimi, jrOsoite, jrPostinumero, jrPostitoimipaikka,"
                                      " jrJasennumero, jrJasenmaksu) VALUES (?, ?, ?, ?, ?, ?, 1)"),
                       {QStringLiteral("Virtanen%1").arg(i), QStringLiteral("Matti"),
                        QStringLiteral("Metsätie %1 B 12").arg(i), QStringLiteral("00100"), QStringLiteral("Helsinki"),
                        QString::number(1000 + i)});
            const qint64 member = db.lastInsertId();
            db.execute(QStringLiteral("INSERT INTO jmhist (jmhjmViitenumero, jmhjmHinta, jmhjmjrID, jmhjmLaskunumero)"
                                      " VALUES (?, 20, ?, ?)"),
                       {QString::number(100000 + i), member, qint64(i + 1)});
        }
        t.commit();
        // Deleted rows leave free pages for the compaction to drop, as a club's database has.
        db.execute(QStringLiteral("DELETE FROM jmhist WHERE jmhID % 10 = 0"));
        db.close();
        ConnectionRegistry::closeAll(database);
    }

    // The raw side: the same two files written, flushed and renamed into place.
    void raw() const
    {
        const QByteArray src = QFile::encodeName(database);
        const QByteArray copyTmp = QFile::encodeName(rawFolder + QStringLiteral("/.seura.mdb.tmp"));
        const QByteArray copy = QFile::encodeName(rawFolder + QStringLiteral("/seura.mdb"));
        const QByteArray compactTmp = QFile::encodeName(dir.filePath(QStringLiteral(".seura.raw.tmp")));
        const QByteArray compacted = QFile::encodeName(dir.filePath(QStringLiteral("seura.raw")));
        sqlite3* in = nullptr;
        sqlite3_open_v2(src.constData(), &in, SQLITE_OPEN_READONLY, nullptr);
        sqlite3* out = nullptr;
        ::unlink(copyTmp.constData());
        sqlite3_open_v2(copyTmp.constData(), &out, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        sqlite3_backup* b = sqlite3_backup_init(out, "main", in, "main");
        sqlite3_backup_step(b, -1);
        sqlite3_backup_finish(b);
        sqlite3_close(out);
        syncPath(copyTmp, O_RDONLY);
        benchmark::DoNotOptimize(checked(copyTmp, "PRAGMA quick_check"));
        std::rename(copyTmp.constData(), copy.constData());
        syncPath(QFile::encodeName(rawFolder), O_RDONLY | O_DIRECTORY);

        ::unlink(compactTmp.constData());
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(in, "VACUUM INTO ?", -1, &st, nullptr);
        sqlite3_bind_text(st, 1, compactTmp.constData(), -1, SQLITE_STATIC);
        sqlite3_step(st);
        sqlite3_finalize(st);
        sqlite3_close(in);
        syncPath(compactTmp, O_RDONLY);
        benchmark::DoNotOptimize(checked(compactTmp, "PRAGMA integrity_check"));
        std::rename(compactTmp.constData(), compacted.constData());
        syncPath(QFile::encodeName(dir.path()), O_RDONLY | O_DIRECTORY);
    }
};

Fixture& fixture(int members)
{
    static std::map<int, std::unique_ptr<Fixture>> fixtures;
    auto& f = fixtures[members];
    if (!f)
        f = std::make_unique<Fixture>(members);
    return *f;
}

void BM_FolderBackup(benchmark::State& state)
{
    Fixture& f = fixture(int(state.range(0)));
    State().DatabasePath = f.database;
    State().BackupFolder = f.backupFolder;
    RunPaired(
        state,
        "folder backup vs raw backup API, VACUUM INTO and their checks, " + std::to_string(state.range(0)) + " members", 1.3,
        [&] { f.raw(); }, [&] { FolderBackup::backup(); });
    if (!QFile::exists(f.backupFolder + QStringLiteral("/seura.mdb")) || !QFile::exists(f.database))
        state.SkipWithError("the backup did not finish");
}
BENCHMARK(BM_FolderBackup)->Arg(10000)->Arg(100000)->Iterations(7)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir settings;
    qputenv("TIKKELI_INI", QFile::encodeName(settings.filePath(QStringLiteral("Tikkeli.ini"))));
    // The default prompter shows nothing: the backup's notes go nowhere.
    return RunPairedBenchmarks(argc, argv);
}
