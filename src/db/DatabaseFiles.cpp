#include "db/DatabaseFiles.h"

#include "base/ErrorHandling.h"
#include "base/FileSafety.h"
#include "db/Connection.h"
#include "db/DatabaseProbe.h"
#include "db/FinnishCollation.h"
#include "db/Schema.h"
#include "db/SchemaDdl.h"
#include "db/SqliteError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QThread>
#include <algorithm>
#include <limits>
#include <optional>
#include <cerrno>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

namespace tikkeli {

namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString tempBeside(const QString& target, const char* tag)
{
    const QFileInfo fi(target);
    return fi.absoluteDir().filePath(QStringLiteral(".%1.%2-%3")
                                         .arg(fi.fileName(), QLatin1String(tag))
                                         .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
}

void removeWithSideFiles(const QString& path)
{
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-journal"));
}

// A private connection for maintenance work; never shared through the registry.
class RawDb {
public:
    RawDb(const QString& path, int flags)
    {
        const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags | SQLITE_OPEN_FULLMUTEX, nullptr);
        if (rc != SQLITE_OK) {
            DbException e = SqliteError::from(m_db, rc);
            sqlite3_close_v2(m_db);
            m_db = nullptr;
            throw e;
        }
        sqlite3_extended_result_codes(m_db, 1);
        sqlite3_busy_timeout(m_db, 10000);
        FinnishCollation::install(m_db);
    }
    ~RawDb() { close(); }
    RawDb(const RawDb&) = delete;
    RawDb& operator=(const RawDb&) = delete;
    void close()
    {
        if (m_db)
            sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    sqlite3* get() const { return m_db; }
    void exec(const QString& sql)
    {
        const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            SqliteError::raise(m_db, rc);
    }
    // Runs a statement with text parameters; returns the first column of every row.
    QStringList query(const QString& sql, const QStringList& params = {})
    {
        sqlite3_stmt* st = nullptr;
        int rc = sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &st, nullptr);
        if (rc != SQLITE_OK) {
            sqlite3_finalize(st);
            SqliteError::raise(m_db, rc);
        }
        for (int i = 0; i < params.size(); ++i) {
            const QByteArray p = params[i].toUtf8();
            sqlite3_bind_text(st, i + 1, p.constData(), int(p.size()), SQLITE_TRANSIENT);
        }
        QStringList out;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW)
            out << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE)
            SqliteError::raise(m_db, rc);
        return out;
    }

private:
    sqlite3* m_db = nullptr;
};

bool integrityOk(const QString& path, const char* pragma = "PRAGMA integrity_check")
{
    try {
        RawDb db(path, SQLITE_OPEN_READONLY);
        const QStringList r = db.query(QString::fromLatin1(pragma));
        return r.size() == 1 && r.front() == u"ok";
    } catch (const DbException&) {
        return false;
    }
}

QString quoteIdent(const QString& s)
{
    QString t = s;
    t.replace(u'"', QStringLiteral("\"\""));
    return u'"' + t + u'"';
}

[[noreturn]] void raiseFileError(const FileError& e, const QString& path)
{
    if (e.number == DbErr::FileExists)
        throw DbException(DbErr::FileExists, QStringLiteral("Tiedosto '%1' on jo olemassa.").arg(shown(path)));
    throw DbException(e.number, QStringLiteral("Tiedostoa '%1' ei voitu kirjoittaa: %2").arg(shown(path), e.text()));
}

// Puts tmp at dest without ever replacing an existing dest.
void renameNoReplace(const QString& tmp, const QString& dest)
{
    if (const auto e = FileSafety::instance().rename(tmp, dest, FileSafety::Existing::Keep))
        raiseFileError(*e, dest);
}

// Puts tmp at dest in one atomic step: dest is the old or the new file at every moment.
void renameReplacing(const QString& tmp, const QString& dest)
{
    if (const auto e = FileSafety::instance().rename(tmp, dest, FileSafety::Existing::Replace))
        raiseFileError(*e, dest);
}

void checkTargetFolder(const QString& dest)
{
    const QFileInfo fi(dest);
    if (!fi.absoluteDir().exists())
        throw DbException(DbErr::PathNotFound, QStringLiteral("Kansiota '%1' ei löydy.").arg(shown(fi.absolutePath())));
    if (!Connection::isWritable(fi.absolutePath()))
        throw DbException(DbErr::InUseOrReadOnly,
                          QStringLiteral("Kansioon '%1' ei voi kirjoittaa.").arg(shown(fi.absolutePath())));
}

void requireSQLite(const QString& path)
{
    const DbFileProbe p = ProbeDatabaseFile(path);
    if (!p.isSQLite())
        throw DbException(p.error);
}

bool samePath(const QString& a, const QString& b)
{
    const QFileInfo fa(a), fb(b);
    const QString ca = fa.canonicalFilePath().isEmpty() ? fa.absoluteFilePath() : fa.canonicalFilePath();
    const QString cb = fb.canonicalFilePath().isEmpty() ? fb.absoluteFilePath() : fb.canonicalFilePath();
    return ca == cb;
}

// Removes the temporary file unless released.
class TempGuard {
public:
    explicit TempGuard(QString path) : m_path(std::move(path)) {}
    ~TempGuard()
    {
        if (!m_path.isEmpty())
            removeWithSideFiles(m_path);
    }
    void release() { m_path.clear(); }

private:
    QString m_path;
};

// Flushes the finished temporary file and checks it. The copy is named in the messages in two
// grammatical cases ("Varmuuskopiota ... ei voitu", "Varmuuskopion tarkistus").
void syncAndVerify(const QString& tmp, const char* pragma, const QString& partitive, const QString& genitive)
{
    if (FileSafety::instance().syncFile(tmp))
        throw DbException(DbErr::Generic, QStringLiteral("%1 ei voitu tallentaa levylle; alkuperäinen tietokanta on "
                                                         "ennallaan.")
                                              .arg(partitive));
    if (FileSafety::instance().check(FileStep::Verify, tmp) || !integrityOk(tmp, pragma))
        throw DbException(DbErr::Damaged,
                          QStringLiteral("%1 tarkistus epäonnistui; alkuperäinen tietokanta on ennallaan.").arg(genitive));
}

QString keptName(const QString& path)
{
    const QFileInfo fi(path);
    const QString suffix = fi.suffix().isEmpty() ? QString() : u'.' + fi.suffix();
    for (int n = 1;; ++n) {
        const QString name = fi.completeBaseName() + QStringLiteral("_vioittunut")
                             + (n > 1 ? QStringLiteral("_%1").arg(n) : QString()) + suffix;
        const QString candidate = fi.absoluteDir().filePath(name);
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
}

} // namespace

void CompactDatabase(const QString& srcPath, const QString& destPath)
{
    requireSQLite(srcPath);
    if (QFileInfo::exists(destPath) || QFileInfo(destPath).isSymLink() || samePath(srcPath, destPath))
        throw DbException(DbErr::FileExists, QStringLiteral("Tiedosto '%1' on jo olemassa.").arg(shown(destPath)));
    checkTargetFolder(destPath);

    const QString tmp = tempBeside(destPath, "tiivistys");
    TempGuard guard(tmp);
    {
        RawDb src(srcPath, SQLITE_OPEN_READONLY);
        sqlite3_stmt* st = nullptr;
        int rc = sqlite3_prepare_v2(src.get(), "VACUUM INTO ?", -1, &st, nullptr);
        if (rc == SQLITE_OK) {
            const QByteArray p = QFile::encodeName(tmp);
            sqlite3_bind_text(st, 1, p.constData(), int(p.size()), SQLITE_TRANSIENT);
            rc = sqlite3_step(st);
            if (rc == SQLITE_DONE)
                rc = SQLITE_OK;
        }
        sqlite3_finalize(st);
        if (rc != SQLITE_OK)
            SqliteError::raise(src.get(), rc);
    }
    {
        // The copy keeps the original's journal mode; ours is always DELETE.
        RawDb copy(tmp, SQLITE_OPEN_READWRITE);
        copy.exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
    }
    syncAndVerify(tmp, "PRAGMA integrity_check", QStringLiteral("Tiivistettyä tietokantaa"),
                  QStringLiteral("Tiivistetyn tietokannan"));
    renameNoReplace(tmp, destPath);
    guard.release();
}

namespace {

struct SchemaEntry {
    QString type, name, sql;
};

// Step 1: the full check. Read-write, so that SQLite first rolls back an interrupted transaction.
bool passesCheck(const QString& path)
{
    try {
        RawDb db(path, SQLITE_OPEN_READWRITE);
        const QStringList r = db.query(QStringLiteral("PRAGMA integrity_check"));
        return r.size() == 1 && r.front() == u"ok";
    } catch (const DbException&) {
        return false;
    }
}

// Step 2: the damaged file's own definitions, as far as they can be read.
std::optional<std::vector<SchemaEntry>> readSchema(RawDb& in)
{
    std::vector<SchemaEntry> schema;
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(
        in.get(), "SELECT type, name, sql FROM main.sqlite_master WHERE sql IS NOT NULL ORDER BY rowid", -1, &st, nullptr);
    while (rc == SQLITE_OK && (rc = sqlite3_step(st)) == SQLITE_ROW) {
        rc = SQLITE_OK;
        schema.push_back({QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))),
                          QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1))),
                          QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 2)))});
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE)
        return std::nullopt;
    return schema;
}

QStringList columnsOf(sqlite3* db, const QString& table)
{
    QStringList names;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, (QStringLiteral("SELECT * FROM main.") + quoteIdent(table)).toUtf8().constData(), -1, &st,
                           nullptr)
        == SQLITE_OK) {
        for (int i = 0; i < sqlite3_column_count(st); ++i)
            names << QString::fromUtf8(sqlite3_column_name(st, i));
    }
    sqlite3_finalize(st);
    return names;
}

// Step 3: the fresh file's tables. The damaged file's own definitions come first (they hold the
// upgrade state the file had); a table of ours whose definition was lost is made from the
// program's own schema, so the repaired file is complete.
QStringList createTables(RawDb& out, const std::vector<SchemaEntry>& schema, QStringList& problems)
{
    QStringList made;
    for (const SchemaEntry& e : schema) {
        if (e.type != u"table" || e.name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive))
            continue;
        if (sqlite3_exec(out.get(), e.sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK) {
            problems << QStringLiteral("Taulua %1 ei voitu luoda uudelleen.").arg(e.name);
            continue;
        }
        made << e.name;
    }
    for (const TableDef& t : Schema::tables()) {
        if (made.contains(t.name, Qt::CaseInsensitive))
            continue;
        const bool known = std::any_of(schema.begin(), schema.end(), [&](const SchemaEntry& e) {
            return e.type == u"table" && e.name.compare(t.name, Qt::CaseInsensitive) == 0;
        });
        // A table the damaged file never had is the upgrade's to add, with its own steps.
        if (!known)
            continue;
        if (sqlite3_exec(out.get(), SchemaDdl::createTable(t).toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK)
            made << t.name;
    }
    return made;
}

// Step 4: the rows of one table that can still be read, by rowid ranges: a scan that meets a
// damaged page skips ahead to the next rowid that can be found, so every readable page is kept.
TableSalvage salvageRows(RawDb& in, RawDb& out, const QString& table)
{
    TableSalvage r;
    r.table = table;
    const QString t = quoteIdent(table);
    const QStringList outColumns = columnsOf(out.get(), table);
    const QStringList inColumns = columnsOf(in.get(), table);
    QStringList shared;
    for (const QString& c : outColumns)
        if (inColumns.contains(c, Qt::CaseInsensitive))
            shared << c;
    if (shared.isEmpty()) {
        r.unreadable = true;
        return r;
    }
    QString names, marks;
    for (int i = 0; i < shared.size(); ++i) {
        names += (i ? QStringLiteral(",") : QString()) + quoteIdent(shared[i]);
        marks += i ? QStringLiteral(",?") : QStringLiteral("?");
    }
    sqlite3_stmt* ins = nullptr;
    if (sqlite3_prepare_v2(
            out.get(),
            (QStringLiteral("INSERT OR IGNORE INTO main.%1 (%2) VALUES (%3)").arg(t, names, marks)).toUtf8().constData(), -1,
            &ins, nullptr)
        != SQLITE_OK) {
        sqlite3_finalize(ins);
        r.unreadable = true;
        return r;
    }
    const QByteArray scanSql =
        QStringLiteral("SELECT _rowid_, %1 FROM main.%2 WHERE _rowid_ > ? ORDER BY _rowid_").arg(names, t).toUtf8();
    const QByteArray seekSql =
        QStringLiteral("SELECT _rowid_ FROM main.%1 WHERE _rowid_ >= ? ORDER BY _rowid_ LIMIT 1").arg(t).toUtf8();
    constexpr sqlite3_int64 Lowest = std::numeric_limits<sqlite3_int64>::min();
    constexpr sqlite3_int64 Highest = std::numeric_limits<sqlite3_int64>::max();
    sqlite3_int64 after = Lowest; // every row up to this one has been dealt with
    for (;;) {
        sqlite3_stmt* sel = nullptr;
        int rc = sqlite3_prepare_v2(in.get(), scanSql.constData(), -1, &sel, nullptr);
        if (rc == SQLITE_OK) {
            sqlite3_bind_int64(sel, 1, after);
            while ((rc = sqlite3_step(sel)) == SQLITE_ROW) {
                after = sqlite3_column_int64(sel, 0);
                for (int i = 0; i < shared.size(); ++i)
                    sqlite3_bind_value(ins, i + 1, sqlite3_column_value(sel, i + 1));
                if (sqlite3_step(ins) == SQLITE_DONE)
                    r.saved += sqlite3_changes(out.get());
                sqlite3_reset(ins);
            }
        }
        sqlite3_finalize(sel);
        if (rc == SQLITE_DONE)
            break;
        if (after == Lowest && r.saved == 0 && r.lost.isEmpty())
            after = 0; // keys are positive; the search for readable rows starts there
        // The next rowid that can be reached: farther and farther ahead of the damage.
        std::optional<sqlite3_int64> next;
        bool end = false;
        for (sqlite3_int64 step = 1; !next && !end; step = step > Highest / 2 ? Highest : step * 2) {
            const sqlite3_int64 probe = after > Highest - step ? Highest : after + step;
            sqlite3_stmt* seek = nullptr;
            int src = sqlite3_prepare_v2(in.get(), seekSql.constData(), -1, &seek, nullptr);
            if (src == SQLITE_OK) {
                sqlite3_bind_int64(seek, 1, probe);
                src = sqlite3_step(seek);
                if (src == SQLITE_ROW)
                    next = sqlite3_column_int64(seek, 0);
                else if (src == SQLITE_DONE && step >= (sqlite3_int64(1) << 40))
                    end = true; // nothing readable this far ahead
            }
            sqlite3_finalize(seek);
            if (probe == Highest)
                end = true;
        }
        r.lost << qMakePair(after + 1, next ? *next - 1 : Highest);
        if (!next)
            break;
        after = *next - 1;
    }
    sqlite3_finalize(ins);
    return r;
}

// Step 5: counters, indexes, views, triggers and the file's marks.
void finishFreshFile(RawDb& in, RawDb& out, const std::vector<SchemaEntry>& schema, QStringList& problems)
{
    // AutoNumber counters: never lower than before, so keys are not reused.
    sqlite3_stmt* seq = nullptr;
    if (sqlite3_prepare_v2(in.get(), "SELECT name, seq FROM main.sqlite_sequence", -1, &seq, nullptr) == SQLITE_OK) {
        sqlite3_stmt* put = nullptr;
        sqlite3_prepare_v2(out.get(),
                           "INSERT OR REPLACE INTO main.sqlite_sequence (rowid, name, seq) SELECT "
                           "(SELECT rowid FROM main.sqlite_sequence WHERE name = ?1), ?1, "
                           "max(?2, coalesce((SELECT seq FROM main.sqlite_sequence WHERE name = ?1), 0)) "
                           "WHERE EXISTS (SELECT 1 FROM main.sqlite_master WHERE type = 'table' AND name = ?1)",
                           -1, &put, nullptr);
        while (put && sqlite3_step(seq) == SQLITE_ROW) {
            sqlite3_bind_value(put, 1, sqlite3_column_value(seq, 0));
            sqlite3_bind_value(put, 2, sqlite3_column_value(seq, 1));
            sqlite3_step(put);
            sqlite3_reset(put);
        }
        sqlite3_finalize(put);
    }
    sqlite3_finalize(seq);
    for (const char* type : {"index", "view", "trigger"}) {
        for (const SchemaEntry& e : schema) {
            if (e.type != QLatin1String(type))
                continue;
            if (sqlite3_exec(out.get(), e.sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
                problems << QStringLiteral("Kohdetta %1 ei voitu luoda uudelleen.").arg(e.name);
        }
    }
    const QStringList version = [&] {
        try {
            return in.query(QStringLiteral("PRAGMA main.user_version"));
        } catch (const DbException&) {
            return QStringList();
        }
    }();
    if (!version.isEmpty())
        out.exec(QStringLiteral("PRAGMA main.user_version = %1").arg(version.front().toLongLong()));
    out.exec(QStringLiteral("PRAGMA main.application_id = %1").arg(DatabaseApplicationId));
}

// Step 6: the fresh file takes the database's name in one atomic rename. The damaged original
// first gets a second name (a hard link, or a copy where the file system has none), so it exists
// at every moment; when the rename fails, the original simply stays at its name.
void putInPlace(const QString& tmp, const QString& path, RepairResult& result)
{
    FileSafety& files = FileSafety::instance();
    const QString kept = keptName(path);
    if (auto e = files.link(path, kept)) {
        if (e->number == DbErr::FileExists || (e = files.copyFile(path, kept, FileSafety::Existing::Keep)))
            raiseFileError(*e, kept);
    }
    // A journal left beside the damaged file belongs to it; SQLite would replay it into the new one.
    const QString journal = path + QStringLiteral("-journal");
    const QString keptJournal = kept + QStringLiteral("-journal");
    const bool movedJournal = QFileInfo::exists(journal);
    if (movedJournal) {
        if (const auto e = files.rename(journal, keptJournal, FileSafety::Existing::Keep)) {
            files.remove(kept);
            raiseFileError(*e, journal);
        }
    }
    try {
        renameReplacing(tmp, path);
    } catch (const DbException&) {
        if (movedJournal)
            files.rename(keptJournal, journal, FileSafety::Existing::Keep);
        files.remove(kept);
        throw;
    }
    result.keptOriginalAs = kept;
}

} // namespace

RepairResult RepairDatabase(const QString& path)
{
    requireSQLite(path);
    if (!ConnectionRegistry::closeAll(path))
        throw DbException(
            DbErr::TransactionOpen,
            QStringLiteral("Tietokantaa '%1' ei voi korjata, koska sen tapahtuma on kesken.").arg(shown(path)));
    const QFileInfo fi(path);
    if (!Connection::isWritable(fi.absoluteFilePath()) || !Connection::isWritable(fi.absolutePath()))
        throw DbException(
            DbErr::InUseOrReadOnly,
            QStringLiteral("Tietokantaa '%1' ei voi korjata: tiedostoon tai kansioon ei voi kirjoittaa.").arg(shown(path)));

    RepairResult result;
    if (passesCheck(path))
        return result;
    result.wasDamaged = true;

    const QString tmp = tempBeside(path, "korjaus");
    TempGuard guard(tmp);
    {
        const DbException unreadable(DbErr::Damaged, QStringLiteral("Tietokannan '%1' rakennetta ei voi lukea, joten "
                                                                    "sitä ei voi korjata. Tiedostoa ei ole muutettu.")
                                                         .arg(shown(path)));
        std::unique_ptr<RawDb> inPtr;
        try {
            inPtr = std::make_unique<RawDb>(path, SQLITE_OPEN_READONLY);
        } catch (const DbException&) {
            throw unreadable;
        }
        RawDb& in = *inPtr;
        // A file shorter than the page count its header names is refused as a whole unless the
        // connection may look past that; the pages it still has are then read as they are. The
        // connection is read-only: nothing is written into the damaged file.
        IgnoringErrors("repair: read past the page count", [&] { in.exec(QStringLiteral("PRAGMA writable_schema=ON")); });
        const auto schema = readSchema(in);
        if (!schema)
            throw unreadable;
        if (const int e = FileSafety::instance().check(FileStep::Create, tmp))
            raiseFileError(FileError::fromErrno(e), tmp);
        RawDb out(tmp, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        out.exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
        out.exec(QStringLiteral("BEGIN"));
        for (const QString& table : createTables(out, *schema, result.problems)) {
            TableSalvage t = salvageRows(in, out, table);
            result.rowsSalvaged += t.saved;
            if (t.unreadable)
                result.problems << QStringLiteral("Taulun %1 rivejä ei voitu lukea.").arg(table);
            for (const auto& range : t.lost)
                result.problems << QStringLiteral("Taulusta %1 saatiin talteen %2 riviä; rivinumerot %3–%4 menetettiin.")
                                       .arg(table)
                                       .arg(t.saved)
                                       .arg(range.first)
                                       .arg(range.second);
            result.tables.push_back(std::move(t));
        }
        finishFreshFile(in, out, *schema, result.problems);
        out.exec(QStringLiteral("COMMIT"));
    }
    syncAndVerify(tmp, "PRAGMA integrity_check", QStringLiteral("Korjattua tietokantaa"),
                  QStringLiteral("Korjatun tietokannan"));
    putInPlace(tmp, path, result);
    guard.release();
    return result;
}
bool HasHotJournal(const QString& databasePath)
{
    for (const char* suffix : {"-journal", "-wal"}) {
        const QFileInfo side(databasePath + QLatin1String(suffix));
        if (side.exists() && side.size() > 0)
            return true;
    }
    return false;
}

void BackupDatabase(const Database& db, const QString& destPath)
{
    BackupDatabase(db.path(), destPath);
}

void BackupDatabase(const QString& srcPath, const QString& destPath)
{
    requireSQLite(srcPath);
    if (samePath(srcPath, destPath))
        throw DbException(DbErr::FileExists, QStringLiteral("Varmuuskopiota ei voi tehdä tietokannan itsensä päälle."));
    if (QFileInfo::exists(destPath)) {
        const DbFileProbe p = ProbeDatabaseFile(destPath);
        if (!p.isSQLite())
            throw DbException(DbErr::FileExists,
                              QStringLiteral("Tiedosto '%1' on jo olemassa eikä se ole tämän ohjelman tietokanta; "
                                             "sitä ei korvata.")
                                  .arg(shown(destPath)));
        if (ConnectionRegistry::isOpen(destPath))
            throw DbException(DbErr::InUseOrReadOnly, QStringLiteral("Tiedosto '%1' on käytössä.").arg(shown(destPath)));
    }
    checkTargetFolder(destPath);

    const QString tmp = tempBeside(destPath, "kopio");
    TempGuard guard(tmp);
    {
        RawDb src(srcPath, SQLITE_OPEN_READONLY);
        RawDb out(tmp, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        sqlite3_backup* b = sqlite3_backup_init(out.get(), "main", src.get(), "main");
        if (!b)
            SqliteError::raise(out.get(), sqlite3_errcode(out.get()));
        int rc;
        int waited = 0;
        while ((rc = sqlite3_backup_step(b, -1)) != SQLITE_DONE) {
            if ((rc == SQLITE_BUSY || rc == SQLITE_LOCKED) && waited < 20000) {
                QThread::msleep(50);
                waited += 50;
                continue;
            }
            break;
        }
        sqlite3_backup_finish(b);
        if (rc != SQLITE_DONE)
            throw SqliteError::from(rc, QString::fromUtf8(sqlite3_errstr(rc)));
        out.exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
    }
    syncAndVerify(tmp, "PRAGMA quick_check", QStringLiteral("Varmuuskopiota"), QStringLiteral("Varmuuskopion"));
    renameReplacing(tmp, destPath);
    guard.release();
}

} // namespace tikkeli
