#include "db/DatabaseFiles.h"

#include "db/Connection.h"
#include "db/DatabaseProbe.h"
#include "db/FinnishCollation.h"
#include "db/SqliteError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QThread>
#include <cerrno>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

namespace tikkeli {

namespace {

std::function<void(const QString&)>& hook()
{
    static std::function<void(const QString&)> h;
    return h;
}

void stage(const char* name)
{
    if (const auto& h = hook())
        h(QString::fromLatin1(name));
}

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

// Puts tmp at dest without ever replacing an existing dest.
void renameNoReplace(const QString& tmp, const QString& dest)
{
    const QByteArray from = QFile::encodeName(tmp), to = QFile::encodeName(dest);
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return;
    }
    if (errno == EEXIST)
        throw DbException(DbErr::FileExists, QStringLiteral("Tiedosto '%1' on jo olemassa.").arg(shown(dest)));
    // File systems without hard links (memory sticks): check, then rename.
    if (QFileInfo::exists(dest))
        throw DbException(DbErr::FileExists, QStringLiteral("Tiedosto '%1' on jo olemassa.").arg(shown(dest)));
    if (::rename(from.constData(), to.constData()) != 0)
        throw DbException(DbErr::InUseOrReadOnly,
                          QStringLiteral("Tiedostoa '%1' ei voitu kirjoittaa.").arg(shown(dest)));
}

void renameReplacing(const QString& tmp, const QString& dest)
{
    if (::rename(QFile::encodeName(tmp).constData(), QFile::encodeName(dest).constData()) != 0)
        throw DbException(DbErr::InUseOrReadOnly, QStringLiteral("Tiedostoa '%1' ei voitu kirjoittaa.").arg(shown(dest)));
}

void checkTargetFolder(const QString& dest)
{
    const QFileInfo fi(dest);
    if (!fi.absoluteDir().exists())
        throw DbException(DbErr::PathNotFound, QStringLiteral("Kansiota '%1' ei löydy.").arg(shown(fi.absolutePath())));
    if (!Connection::isWritable(fi.absolutePath()))
        throw DbException(DbErr::InUseOrReadOnly, QStringLiteral("Kansioon '%1' ei voi kirjoittaa.").arg(shown(fi.absolutePath())));
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
    stage("copy");
    if (!SyncFile(tmp))
        throw DbException(DbErr::Generic, QStringLiteral("%1 ei voitu tallentaa levylle; alkuperäinen tietokanta on "
                                                         "ennallaan.").arg(partitive));
    stage("verify");
    if (!integrityOk(tmp, pragma))
        throw DbException(DbErr::Damaged,
                          QStringLiteral("%1 tarkistus epäonnistui; alkuperäinen tietokanta on ennallaan.").arg(genitive));
    stage("replace");
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

void SetDatabaseFilesHook(std::function<void(const QString&)> h)
{
    hook() = std::move(h);
}

bool SyncFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

bool SyncFolder(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::fsync(fd);   // some file systems refuse fsync on folders; the rename itself has happened
    ::close(fd);
    return true;
}

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
    SyncFolder(QFileInfo(destPath).absolutePath());
}

namespace {

// Copies the rows of one table that can still be read, row by row from both ends around the
// damage.
long long salvageTable(RawDb& in, RawDb& out, const QString& table, QStringList& problems)
{
    const QString t = quoteIdent(table);
    int columns = 0;
    {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(out.get(), (QStringLiteral("SELECT * FROM main.") + t).toUtf8().constData(), -1, &st,
                               nullptr) == SQLITE_OK)
            columns = sqlite3_column_count(st);
        sqlite3_finalize(st);
    }
    if (columns == 0)
        return 0;
    QString marks;
    for (int i = 0; i < columns; ++i)
        marks += i ? QStringLiteral(",?") : QStringLiteral("?");
    sqlite3_stmt* ins = nullptr;
    if (sqlite3_prepare_v2(out.get(), (QStringLiteral("INSERT OR IGNORE INTO main.") + t + QStringLiteral(" VALUES (") + marks + u')')
                                          .toUtf8().constData(), -1, &ins, nullptr) != SQLITE_OK) {
        sqlite3_finalize(ins);
        problems << QStringLiteral("Taulun %1 rivejä ei voitu kopioida.").arg(table);
        return 0;
    }
    long long copied = 0;
    bool damaged = false;
    auto scan = [&](const QString& sql, sqlite3_int64 bound) -> std::optional<sqlite3_int64> {
        sqlite3_stmt* sel = nullptr;
        std::optional<sqlite3_int64> last;
        if (sqlite3_prepare_v2(in.get(), sql.toUtf8().constData(), -1, &sel, nullptr) != SQLITE_OK
            || sqlite3_column_count(sel) != columns + 1) {
            sqlite3_finalize(sel);
            damaged = true;
            return last;
        }
        sqlite3_bind_int64(sel, 1, bound);
        int rc;
        while ((rc = sqlite3_step(sel)) == SQLITE_ROW) {
            last = sqlite3_column_int64(sel, 0);
            for (int i = 0; i < columns; ++i)
                sqlite3_bind_value(ins, i + 1, sqlite3_column_value(sel, i + 1));
            if (sqlite3_step(ins) == SQLITE_DONE)
                copied += sqlite3_changes(out.get());
            sqlite3_reset(ins);
        }
        if (rc != SQLITE_DONE)
            damaged = true;
        sqlite3_finalize(sel);
        return last;
    };
    const QString select = QStringLiteral("SELECT _rowid_, * FROM main.") + t;
    const auto lastForward = scan(select + QStringLiteral(" WHERE _rowid_ > ? ORDER BY _rowid_"),
                                  std::numeric_limits<sqlite3_int64>::min());
    if (damaged) {
        scan(select + QStringLiteral(" WHERE _rowid_ > ? ORDER BY _rowid_ DESC"),
             lastForward.value_or(std::numeric_limits<sqlite3_int64>::min()));
        problems << QStringLiteral("Taulusta %1 saatiin talteen %2 riviä; osa riveistä saattoi kadota.").arg(table).arg(copied);
    }
    sqlite3_finalize(ins);
    return copied;
}

} // namespace

RepairResult RepairDatabase(const QString& path)
{
    requireSQLite(path);
    if (!ConnectionRegistry::closeAll(path))
        throw DbException(DbErr::TransactionOpen,
                          QStringLiteral("Tietokantaa '%1' ei voi korjata, koska sen tapahtuma on kesken.").arg(shown(path)));
    const QFileInfo fi(path);
    if (!Connection::isWritable(fi.absoluteFilePath()) || !Connection::isWritable(fi.absolutePath()))
        throw DbException(DbErr::InUseOrReadOnly,
                          QStringLiteral("Tietokantaa '%1' ei voi korjata: tiedostoon tai kansioon ei voi kirjoittaa.")
                              .arg(shown(path)));

    RepairResult result;
    bool ok = false;
    try {
        // Read-write, so that SQLite rolls back an interrupted transaction first.
        RawDb db(path, SQLITE_OPEN_READWRITE);
        const QStringList r = db.query(QStringLiteral("PRAGMA integrity_check"));
        ok = r.size() == 1 && r.front() == u"ok";
    } catch (const DbException&) {
        ok = false;
    }
    if (ok)
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
        RawDb out(tmp, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        out.exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
        struct Entry {
            QString type, name, sql;
        };
        std::vector<Entry> schema;
        sqlite3_stmt* st = nullptr;
        int rc = sqlite3_prepare_v2(in.get(), "SELECT type, name, sql FROM main.sqlite_master WHERE sql IS NOT NULL ORDER BY rowid",
                                    -1, &st, nullptr);
        while (rc == SQLITE_OK && (rc = sqlite3_step(st)) == SQLITE_ROW) {
            rc = SQLITE_OK;
            schema.push_back({QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))),
                              QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1))),
                              QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 2)))});
        }
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE)
            throw unreadable;

        out.exec(QStringLiteral("BEGIN"));
        for (const Entry& e : schema) {
            if (e.type != u"table" || e.name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive))
                continue;
            if (sqlite3_exec(out.get(), e.sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK) {
                result.problems << QStringLiteral("Taulua %1 ei voitu luoda uudelleen.").arg(e.name);
                continue;
            }
            result.rowsSalvaged += salvageTable(in, out, e.name, result.problems);
        }
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
            for (const Entry& e : schema) {
                if (e.type != QLatin1String(type))
                    continue;
                if (sqlite3_exec(out.get(), e.sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
                    result.problems << QStringLiteral("Kohdetta %1 ei voitu luoda uudelleen.").arg(e.name);
            }
        }
        for (const char* pragma : {"user_version", "application_id"}) {
            const QStringList v = [&] {
                try {
                    return in.query(QStringLiteral("PRAGMA main.%1").arg(QLatin1String(pragma)));
                } catch (const DbException&) {
                    return QStringList();
                }
            }();
            if (!v.isEmpty())
                out.exec(QStringLiteral("PRAGMA main.%1 = %2").arg(QLatin1String(pragma)).arg(v.front().toLongLong()));
        }
        out.exec(QStringLiteral("COMMIT"));
    }
    syncAndVerify(tmp, "PRAGMA integrity_check", QStringLiteral("Korjattua tietokantaa"),
                  QStringLiteral("Korjatun tietokannan"));
    // The damaged original gets a second name first, so that it exists at every moment.
    result.keptOriginalAs = keptName(path);
    renameNoReplace(path, result.keptOriginalAs);
    // A leftover journal belongs to the damaged file, never to the new one.
    const QString journal = path + QStringLiteral("-journal");
    if (QFileInfo::exists(journal))
        ::rename(QFile::encodeName(journal).constData(), QFile::encodeName(result.keptOriginalAs + QStringLiteral("-journal")).constData());
    try {
        renameReplacing(tmp, path);
    } catch (...) {
        if (!QFileInfo::exists(path))
            ::rename(QFile::encodeName(result.keptOriginalAs).constData(), QFile::encodeName(path).constData());
        throw;
    }
    guard.release();
    SyncFolder(fi.absolutePath());
    return result;
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
                                             "sitä ei korvata.").arg(shown(destPath)));
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
    SyncFolder(QFileInfo(destPath).absolutePath());
}

} // namespace tikkeli
