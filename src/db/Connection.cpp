#include "db/Connection.h"

#include "db/ClubChanges.h"
#include "db/DatabaseProbe.h"
#include "db/FileHold.h"
#include "db/FinnishCollation.h"
#include "db/JetFunctions.h"
#include "db/SqlDialect.h"
#include "db/SqliteError.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <atomic>
#include <optional>
#include <sqlite3.h>
#include <unistd.h>

namespace tikkeli {

namespace {

constexpr int BusyTimeoutMs = 5000;
constexpr int MaxCachedStatements = 64;

// A set of canonical paths that every thread's connections share.
struct SharedPaths {
    std::mutex mutex;
    QSet<QString> paths;

    bool contains(const QString& path)
    {
        std::lock_guard lock(mutex);
        return paths.contains(path);
    }
    void insert(const QString& path)
    {
        std::lock_guard lock(mutex);
        paths.insert(path);
    }
    bool remove(const QString& path)
    {
        std::lock_guard lock(mutex);
        return paths.remove(path);
    }
};

// Files found damaged in this run.
SharedPaths& suspectFiles()
{
    static SharedPaths s;
    return s;
}

bool isSuspect(const QString& path)
{
    return suspectFiles().contains(path);
}

void setSuspect(const QString& path, bool suspect)
{
    if (suspect)
        suspectFiles().insert(path);
    else
        suspectFiles().remove(path);
}

// Files another program replaced or removed under an open connection; the count changes with
// every note, so a connection looks at the set only after one.
struct ReplacedFiles {
    SharedPaths files;
    std::atomic<unsigned> notes{0};
};

ReplacedFiles& replacedFiles()
{
    static ReplacedFiles r;
    return r;
}

bool takeReplaced(const QString& path)
{
    return replacedFiles().files.remove(path);
}

bool nonEmptyFile(const QString& path)
{
    const QFileInfo fi(path);
    return fi.exists() && fi.size() > 0;
}

std::function<bool(const QString&)>& writableProbe()
{
    static std::function<bool(const QString&)> probe;
    return probe;
}

QString singleText(sqlite3* db, const char* sql, int* rcOut)
{
    sqlite3_stmt* st = nullptr;
    QString result;
    int rc = sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(st);
        if (rc == SQLITE_ROW) {
            result = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
            rc = SQLITE_OK;
        } else if (rc == SQLITE_DONE) {
            rc = SQLITE_OK;
        }
    }
    if (rc != SQLITE_OK)
        rc = sqlite3_extended_errcode(db);
    sqlite3_finalize(st);
    *rcOut = rc;
    return result;
}

[[noreturn]] void failOpen(sqlite3* db, int rc, const QString& path)
{
    const QString shown = QDir::toNativeSeparators(path);
    const QString detail = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    sqlite3_close_v2(db);
    switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_CANTOPEN:
        throw DbException(DbErr::InUseOrReadOnly,
                          QStringLiteral("Tietokantaa '%1' ei voi avata: se on toisen ohjelman käytössä tai siihen "
                                         "ei ole kirjoitusoikeutta.")
                              .arg(shown));
    case SQLITE_NOTADB: // the header said SQLite, so the rest of the file is damaged
    case SQLITE_CORRUPT:
        throw DbException(DbErr::Damaged,
                          QStringLiteral("Tietokanta '%1' on vioittunut (%2). Tietokanta on korjattava ennen "
                                         "käyttöä.")
                              .arg(shown, detail));
    default: throw SqliteError::from(rc, detail);
    }
}

} // namespace

Connection::Connection(QString canonicalPath) : m_path(std::move(canonicalPath)) {}

Connection::~Connection()
{
    // Runs also after main has returned (a connection kept in a static): nothing of other units.
    if (m_db) {
        finalizeCache();
        sqlite3_close_v2(m_db);
    }
}

bool Connection::isWritable(const QString& path)
{
    if (const auto& probe = writableProbe())
        return probe(path);
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

void Connection::noteDamaged(const QString& path)
{
    if (!path.isEmpty())
        setSuspect(path, true);
}

void Connection::noteReplaced(const QString& path)
{
    ReplacedFiles& r = replacedFiles();
    r.files.insert(path);
    ++r.notes;
    // The windows hold rows, and maybe typed changes, of the file that is gone.
    ClubChanges::replaced(path);
}

void Connection::setWritableProbe(std::function<bool(const QString&)> probe)
{
    writableProbe() = std::move(probe);
}

void Connection::configure(sqlite3* db)
{
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, BusyTimeoutMs);
    FinnishCollation::install(db);
    JetFunctions::install(db);
    int rc = SQLITE_OK;
    // One file is the whole database: no WAL side files that a file-level backup would miss.
    const QString mode = singleText(db, "PRAGMA journal_mode=DELETE", &rc);
    if (rc != SQLITE_OK)
        throw SqliteError::from(db, rc);
    if (mode.compare(u"delete", Qt::CaseInsensitive) != 0)
        throw DbException(DbErr::InUseOrReadOnly,
                          QStringLiteral("Tietokannan kirjauskäytäntöä ei voitu asettaa: tietokanta on toisen "
                                         "ohjelman käytössä."));
    // cell_size_check makes a damaged page fail the read that meets it instead of misreading it.
    for (const char* pragma : {"PRAGMA synchronous=FULL", "PRAGMA foreign_keys=OFF", "PRAGMA cell_size_check=ON"}) {
        char* err = nullptr;
        rc = sqlite3_exec(db, pragma, nullptr, nullptr, &err);
        sqlite3_free(err);
        if (rc != SQLITE_OK)
            throw SqliteError::from(db, rc);
    }
}

sqlite3* Connection::openFile(const QString& path)
{
    const DbFileProbe probe = ProbeDatabaseFile(path);
    if (!probe.isSQLite())
        throw DbException(probe.error);
    const QFileInfo fi(path);
    // The rollback journal is written beside the file, so the folder must be writable too.
    if (!isWritable(fi.absoluteFilePath()) || !isWritable(fi.absolutePath()))
        throw DbException(DbErr::InUseOrReadOnly,
                          QStringLiteral("Tietokantaa '%1' ei voi avata: tiedosto on vain luku -tilassa tai sen "
                                         "kansioon ei voi kirjoittaa.")
                              .arg(QDir::toNativeSeparators(path)));
    // A rollback journal left beside the file means the last session ended in the middle of a write.
    // SQLite rolls it back on the first read; the whole file is then checked, because that is when
    // damage is to be expected. A cleanly closed file only gets the structural checks below, which
    // keep every open (the start-up's included) cheap however large the club's history grows; damage
    // found later by a read is still reported as 3049, and the repair command checks everything.
    // A write-ahead log left by another tool is the same sign. SQLite consumes either on that first
    // open, so a file found damaged once (at an open or by a later read) stays suspect for the rest
    // of the run: every later open checks it fully again until it checks clean.
    const bool lastSessionInterrupted = nonEmptyFile(path + QStringLiteral("-journal"))
                                        || nonEmptyFile(path + QStringLiteral("-wal")) || isSuspect(path);
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX,
                             nullptr);
    if (rc != SQLITE_OK)
        failOpen(db, rc, path);
    try {
        configure(db);
    } catch (const DbException&) {
        failOpen(db, sqlite3_extended_errcode(db) == SQLITE_OK ? SQLITE_BUSY : sqlite3_extended_errcode(db), path);
    }
    if (lastSessionInterrupted) {
        const QString check = singleText(db, "PRAGMA quick_check", &rc);
        if (rc != SQLITE_OK || check != u"ok") {
            setSuspect(path, true);
            failOpen(db, rc != SQLITE_OK ? rc : SQLITE_CORRUPT, path);
        }
        setSuspect(path, false);
    } else {
        // Reading the schema parses every object's definition; a file shorter than its own page count
        // is the usual result of an interrupted copy.
        singleText(db, "SELECT count(*) FROM sqlite_master", &rc);
        if (rc == SQLITE_OK) {
            const qint64 pages = singleText(db, "PRAGMA page_count", &rc).toLongLong();
            const qint64 pageSize = rc == SQLITE_OK ? singleText(db, "PRAGMA page_size", &rc).toLongLong() : 0;
            if (rc == SQLITE_OK && pages * pageSize > QFileInfo(path).size())
                rc = SQLITE_CORRUPT;
        }
        if (rc != SQLITE_OK) {
            if ((rc & 0xff) == SQLITE_CORRUPT || (rc & 0xff) == SQLITE_NOTADB)
                setSuspect(path, true);
            failOpen(db, rc, path);
        }
    }
    // Older files of ours get the mark that tells them from other programs' files.
    if (singleText(db, "PRAGMA application_id", &rc) == u"0" && rc == SQLITE_OK) {
        const QByteArray mark = "PRAGMA application_id=" + QByteArray::number(DatabaseApplicationId);
        sqlite3_exec(db, mark.constData(), nullptr, nullptr, nullptr);
    }
    return db;
}

sqlite3* Connection::db()
{
    // The handle to a file that was replaced still reads the old one: it is dropped once no
    // transaction needs it, and the file at the path is opened instead.
    bool told = false;
    if (const unsigned notes = replacedFiles().notes.load(std::memory_order_relaxed);
        notes != m_replacedSeen && m_db && !inTransaction()) {
        m_replacedSeen = notes;
        if (takeReplaced(m_path) && closeNow()) {
            FileHold::letGo(m_path);
            told = true;
        }
    }
    if (!m_db) {
        // Held before it is opened: a whole-file step of another program waits for no one, and
        // one under way keeps this open waiting until it has put its file in place.
        const bool another = FileHold::share(m_path);
        try {
            m_db = openFile(m_path);
        } catch (const DbException&) {
            FileHold::letGo(m_path);
            throw;
        }
        // Something else put a file in place while this process had let the path go.
        if (another && !told)
            ClubChanges::replaced(m_path);
    }
    return m_db;
}

sqlite3* Connection::forStatement()
{
    sqlite3* h = db();
    // A transaction reads the one file it began on, and the engine refuses its writes into a file
    // that has left the path: the file is looked at where a read of a file could begin.
    if (inTransaction())
        return h;
    // Let go at the next use, before anything more is read of it.
    if (fileMoved())
        noteReplaced(m_path);
    if (ClubChanges::untold(m_path))
        throw SqliteError::from(SQLITE_READONLY_DBMOVED, QString());
    return h;
}

bool Connection::fileMoved() const
{
    int moved = 0;
    return m_db && sqlite3_file_control(m_db, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK && moved;
}

bool Connection::inTransaction() const
{
    return m_db && !sqlite3_get_autocommit(m_db);
}

bool Connection::closeNow()
{
    if (!m_db)
        return true;
    if (inTransaction())
        return false;
    finalizeCache();
    m_tables.clear();
    m_schemaVersion = -1;
    sqlite3_close_v2(m_db);
    m_db = nullptr;
    // Only a transaction SQLite ended by itself can be left here: nothing of it reached the file.
    levels.clear();
    return true;
}

void Connection::finalizeCache()
{
    for (sqlite3_stmt* st : std::as_const(m_idle))
        sqlite3_finalize(st);
    m_idle.clear();
}

sqlite3_stmt* Connection::acquire(const QByteArray& sql)
{
    sqlite3* h = forStatement();
    if (sqlite3_stmt* st = m_idle.take(sql))
        return st;
    sqlite3_stmt* st = nullptr;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v3(h, sql.constData(), int(sql.size()), SQLITE_PREPARE_PERSISTENT, &st, &tail);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(st);
        SqliteError::raise(h, rc);
    }
    if (!st)
        throw DbException(DbErr::SyntaxError, QStringLiteral("Tyhjä kyselylauseke."));
    if (tail) {
        for (const char* p = tail; *p; ++p) {
            if (!QChar::isSpace(uchar(*p)) && *p != ';') {
                sqlite3_finalize(st);
                throw DbException(DbErr::SyntaxError,
                                  QStringLiteral("Kyselyssä on useita lausekkeita: vain yksi lauseke kerrallaan."));
            }
        }
    }
    return st;
}

void Connection::release(const QByteArray& sql, sqlite3_stmt* stmt)
{
    if (!stmt)
        return;
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    if (!m_db || sqlite3_db_handle(stmt) != m_db || m_idle.contains(sql) || m_idle.size() >= MaxCachedStatements) {
        sqlite3_finalize(stmt);
        return;
    }
    m_idle.insert(sql, stmt);
}

QByteArray Connection::normalized(const QString& sql)
{
    auto it = m_normalized.constFind(sql);
    if (it != m_normalized.constEnd())
        return it.value();
    if (m_normalized.size() >= 256)
        m_normalized.clear();
    QByteArray text = NormalizeSql(sql).toUtf8();
    m_normalized.insert(sql, text);
    return text;
}

std::shared_ptr<const TableInfo> Connection::tableInfo(const QString& table)
{
    sqlite3* h = db();
    // Asked at every set opened: the statement is kept prepared.
    static const QByteArray versionSql = QByteArrayLiteral("PRAGMA schema_version");
    int version = 0;
    {
        sqlite3_stmt* st = acquire(versionSql);
        if (sqlite3_step(st) == SQLITE_ROW)
            version = sqlite3_column_int(st, 0);
        release(versionSql, st);
    }
    if (version != m_schemaVersion) {
        m_tables.clear();
        m_schemaVersion = version;
    }
    const QString key = table.toCaseFolded();
    auto it = m_tables.find(key);
    if (it != m_tables.end())
        return it.value();
    auto info = TableInfo::load(h, table);
    if (info)
        m_tables.insert(key, info);
    return info;
}

} // namespace tikkeli
