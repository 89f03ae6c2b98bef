#include "db/DatabaseFiles.h"

#include "base/ErrorHandling.h"
#include "base/FileSafety.h"
#include "db/Connection.h"
#include "db/DatabaseProbe.h"
#include "db/FinnishCollation.h"
#include "db/PageSalvage.h"
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
#include <map>
#include <optional>
#include <cerrno>
#include <utility>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

namespace tikkeli {

namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// Temporary files carry names the program knows again: a run stopped half-way leaves them behind,
// and the next run of the same command (or the next start) removes them.
QString tempBeside(const QString& target, const char* tag)
{
    FileSafety::instance().removeLeftovers(target, {QLatin1String(tag)});
    return FileSafety::temporaryName(target, QLatin1String(tag));
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
    return FileSafety::fileBehind(a) == FileSafety::fileBehind(b);
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

void CompactDatabase(const QString& srcPath, const QString& destPath, const DatabaseWriteLock* lock)
{
    requireSQLite(srcPath);
    // A lock of another file than src would guard nothing this copy reads.
    if (lock && !lock->holds(srcPath))
        throw DbException(DbErr::InvalidArgument,
                          QStringLiteral("Tietokannan '%1' kirjoituslukitus puuttuu.").arg(shown(srcPath)));
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
        // An earlier version marked its compactions in the counters' table; nothing reads it now.
        if (!copy.query(QStringLiteral("SELECT name FROM main.sqlite_master WHERE name = 'sqlite_sequence'")).isEmpty())
            copy.exec(QStringLiteral("DELETE FROM main.sqlite_sequence WHERE name = 'tikkeli: tiivistetty tiedostosta'"));
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

// Step 1: the full check, of the file alone: the write lock's first read has rolled back an
// interrupted transaction.
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

constexpr sqlite3_int64 Lowest = std::numeric_limits<sqlite3_int64>::min();
constexpr sqlite3_int64 Highest = std::numeric_limits<sqlite3_int64>::max();

// Lost key ranges are kept merged, so a run of unreadable rows is one range.
void addLost(TableSalvage& r, sqlite3_int64 from, sqlite3_int64 to)
{
    if (from > to)
        return;
    if (!r.lost.isEmpty() && r.lost.back().second >= from - 1) {
        r.lost.back().second = std::max<long long>(r.lost.back().second, to);
        return;
    }
    r.lost << QPair<long long, long long>(from, to);
}

// Step 4: the rows of one table that can still be read, by rowid ranges: a scan that meets a
// damaged page skips ahead to the next rowid that can be found, so every readable page is kept.
// Every turn of the loop moves past at least one key, so the salvage ends on any file: a key
// whose row cannot be read is counted lost once and passed.
class RowSalvage {
public:
    RowSalvage(RawDb& in, RawDb& out, const QString& table) : m_in(in.get()), m_out(out.get())
    {
        r.table = table;
        const QString t = quoteIdent(table);
        const QStringList inColumns = columnsOf(m_in, table);
        QStringList shared;
        for (const QString& c : columnsOf(m_out, table))
            if (inColumns.contains(c, Qt::CaseInsensitive))
                shared << c;
        m_columns = int(shared.size());
        QString names, marks;
        for (int i = 0; i < shared.size(); ++i) {
            names += (i ? QStringLiteral(",") : QString()) + quoteIdent(shared[i]);
            marks += i ? QStringLiteral(",?") : QStringLiteral("?");
        }
        if (m_columns == 0
            || sqlite3_prepare_v2(m_out,
                                  QStringLiteral("INSERT OR IGNORE INTO main.%1 (%2) VALUES (%3)")
                                      .arg(t, names, marks)
                                      .toUtf8()
                                      .constData(),
                                  -1, &m_insert, nullptr)
                   != SQLITE_OK) {
            r.unreadable = true;
            return;
        }
        m_scanSql =
            QStringLiteral("SELECT _rowid_, %1 FROM main.%2 WHERE _rowid_ > ? ORDER BY _rowid_").arg(names, t).toUtf8();
        m_oneSql = QStringLiteral("SELECT _rowid_, %1 FROM main.%2 WHERE _rowid_ = ?").arg(names, t).toUtf8();
        m_seekSql =
            QStringLiteral("SELECT _rowid_ FROM main.%1 WHERE _rowid_ >= ? ORDER BY _rowid_ LIMIT 1").arg(t).toUtf8();
    }
    ~RowSalvage() { sqlite3_finalize(m_insert); }
    RowSalvage(const RowSalvage&) = delete;
    RowSalvage& operator=(const RowSalvage&) = delete;

    TableSalvage run()
    {
        if (r.unreadable)
            return r;
        sqlite3_int64 after = Lowest; // every row up to this one has been dealt with
        for (;;) {
            if (copy(m_scanSql, after, after) == SQLITE_DONE)
                break;
            if (after == Lowest)
                after = 0; // keys are positive; the search for readable rows starts there
            const std::optional<sqlite3_int64> next = reachableFrom(after + 1);
            if (!next) {
                addLost(r, after + 1, Highest);
                break;
            }
            addLost(r, after + 1, *next - 1);
            // The row at the key found: read alone, so a row whose contents are damaged is met once.
            sqlite3_int64 read = *next - 1;
            copy(m_oneSql, *next, read);
            if (read != *next) {
                addLost(r, *next, *next);
                ++m_unreadableRows;
            }
            after = *next;
            if (after == Highest)
                break;
        }
        return r;
    }
    long long unreadableRows() const { return m_unreadableRows; }

private:
    // Copies the rows the statement returns for key; last is the key of the last row copied.
    int copy(const QByteArray& sql, sqlite3_int64 key, sqlite3_int64& last)
    {
        sqlite3_stmt* sel = nullptr;
        int rc = sqlite3_prepare_v2(m_in, sql.constData(), -1, &sel, nullptr);
        if (rc == SQLITE_OK) {
            sqlite3_bind_int64(sel, 1, key);
            while ((rc = sqlite3_step(sel)) == SQLITE_ROW) {
                last = sqlite3_column_int64(sel, 0);
                for (int i = 0; i < m_columns; ++i)
                    sqlite3_bind_value(m_insert, i + 1, sqlite3_column_value(sel, i + 1));
                if (sqlite3_step(m_insert) == SQLITE_DONE)
                    r.saved += sqlite3_changes(m_out);
                sqlite3_reset(m_insert);
            }
        }
        sqlite3_finalize(sel);
        return rc;
    }

    enum class Seek { Found, None, Damaged };
    Seek seek(sqlite3_int64 from, sqlite3_int64& found)
    {
        sqlite3_stmt* st = nullptr;
        int rc = sqlite3_prepare_v2(m_in, m_seekSql.constData(), -1, &st, nullptr);
        if (rc == SQLITE_OK) {
            sqlite3_bind_int64(st, 1, from);
            rc = sqlite3_step(st);
            if (rc == SQLITE_ROW)
                found = sqlite3_column_int64(st, 0);
        }
        sqlite3_finalize(st);
        return rc == SQLITE_ROW ? Seek::Found : rc == SQLITE_DONE ? Seek::None : Seek::Damaged;
    }

    // The first key at or past from that can be reached: farther and farther ahead of the damage,
    // then back towards it, so the readable rows at the start of the next page are not skipped.
    std::optional<sqlite3_int64> reachableFrom(sqlite3_int64 from)
    {
        sqlite3_int64 damagedAt = from - 1;
        for (sqlite3_int64 step = 1;; step = step > Highest / 2 ? Highest : step * 2) {
            const sqlite3_int64 probe = from > Highest - (step - 1) ? Highest : from + (step - 1);
            sqlite3_int64 found = 0;
            const Seek s = seek(probe, found);
            if (s == Seek::Found) {
                sqlite3_int64 lo = damagedAt, hi = probe;
                while (hi - lo > 1) {
                    const sqlite3_int64 mid = lo + (hi - lo) / 2;
                    sqlite3_int64 nearer = 0;
                    if (seek(mid, nearer) == Seek::Found) {
                        hi = mid;
                        found = nearer;
                    } else {
                        lo = mid;
                    }
                }
                return found;
            }
            if (probe == Highest || (s == Seek::None && step >= (sqlite3_int64(1) << 40)))
                return std::nullopt; // nothing readable this far ahead
            damagedAt = probe;
        }
    }

    sqlite3* m_in;
    sqlite3* m_out;
    sqlite3_stmt* m_insert = nullptr;
    int m_columns = 0;
    QByteArray m_scanSql, m_oneSql, m_seekSql;
    TableSalvage r;
    long long m_unreadableRows = 0;
};

// The largest key a table ever handed out, where the file keeps count (AUTOINCREMENT).
std::optional<sqlite3_int64> highestKeyGiven(sqlite3* in, const QString& table)
{
    std::optional<sqlite3_int64> seq;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(in, "SELECT seq FROM main.sqlite_sequence WHERE name = ?", -1, &st, nullptr) == SQLITE_OK) {
        const QByteArray name = table.toUtf8();
        sqlite3_bind_text(st, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(st) == SQLITE_ROW)
            seq = sqlite3_column_int64(st, 0);
    }
    sqlite3_finalize(st);
    return seq;
}

// How many rows the lost ranges can have held: no more than their keys, and none past the largest
// key the table ever gave. Exact when every lost key was one whose row was found but not read.
void countLost(TableSalvage& t, long long unreadableRows, std::optional<sqlite3_int64> highestGiven)
{
    QList<QPair<long long, long long>> ranges;
    for (auto range : t.lost) {
        if (highestGiven) {
            if (range.first > *highestGiven)
                continue;
            range.second = std::min<long long>(range.second, *highestGiven);
        }
        ranges << range;
    }
    t.lost = ranges;
    t.lostRows = 0;
    for (const auto& range : t.lost) {
        if (range.second == Highest)
            t.lostCountKnown = false;
        else
            t.lostRows += range.second - range.first + 1;
    }
    t.lostExact = t.lostCountKnown && t.lostRows == unreadableRows;
}

// Step 4b: rows on table leaf pages that no tree reaches any more, because the interior pages
// above them were lost. A loose page is given to the one table that lost every key on it and
// whose columns fit its rows; a page that fits no table, or more than one equally, is left out.
class LooseRows {
public:
    LooseRows(RawDb& in, RawDb& out) : m_in(in.get()), m_out(out.get()) {}
    ~LooseRows()
    {
        for (auto& [key, st] : m_inserts)
            sqlite3_finalize(st);
    }
    LooseRows(const LooseRows&) = delete;
    LooseRows& operator=(const LooseRows&) = delete;

    // The file's bytes are read only when a table lost rows.
    void salvage(const std::function<std::optional<QByteArray>()>& file, const std::vector<quint32>& roots,
                 std::vector<TableSalvage>& tables)
    {
        for (TableSalvage& t : tables)
            if (!t.complete())
                m_candidates.push_back({&t, describe(t.table)});
        if (m_candidates.empty())
            return;
        const std::optional<QByteArray> bytes = file();
        if (!bytes)
            return;
        for (const OrphanLeaf& leaf : PageSalvage::orphanLeaves(*bytes, roots)) {
            Candidate* owner = ownerOf(leaf);
            if (!owner)
                continue;
            for (const PageRow& row : leaf.rows)
                insert(*owner, row);
        }
    }

private:
    enum class Affinity { Integer, Text, Blob, Real, Numeric };
    struct Column {
        QString name;
        Affinity affinity;
    };
    struct Shape {
        std::vector<Column> columns; // in the order of the damaged file's rows
        int rowidColumn = -1;        // the INTEGER PRIMARY KEY, stored as NULL in the row
    };
    struct Candidate {
        TableSalvage* table;
        Shape shape;
    };

    static Affinity affinityOf(const QString& declared)
    {
        const QString t = declared.toUpper();
        if (t.contains(u"INT"))
            return Affinity::Integer;
        if (t.contains(u"CHAR") || t.contains(u"CLOB") || t.contains(u"TEXT"))
            return Affinity::Text;
        if (t.isEmpty() || t.contains(u"BLOB"))
            return Affinity::Blob;
        if (t.contains(u"REAL") || t.contains(u"FLOA") || t.contains(u"DOUB"))
            return Affinity::Real;
        return Affinity::Numeric;
    }

    Shape describe(const QString& table) const
    {
        Shape shape;
        const QStringList outColumns = columnsOf(m_out, table);
        sqlite3_stmt* st = nullptr;
        int keys = 0;
        int keyColumn = -1;
        bool integerKey = false;
        if (sqlite3_prepare_v2(m_in, "SELECT name, type, pk FROM pragma_table_info(?)", -1, &st, nullptr) == SQLITE_OK) {
            const QByteArray name = table.toUtf8();
            sqlite3_bind_text(st, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
            while (sqlite3_step(st) == SQLITE_ROW) {
                const QString column = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
                const QString type = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
                if (sqlite3_column_int(st, 2) > 0) {
                    ++keys;
                    keyColumn = int(shape.columns.size());
                    integerKey = type.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0;
                }
                // A column the fresh file lacks is read past but not written.
                shape.columns.push_back(
                    {outColumns.contains(column, Qt::CaseInsensitive) ? column : QString(), affinityOf(type)});
            }
        }
        sqlite3_finalize(st);
        if (keys == 1 && integerKey)
            shape.rowidColumn = keyColumn;
        return shape;
    }

    // A key whose row was found no longer counts as lost.
    static void found(TableSalvage& t, qint64 key)
    {
        for (qsizetype i = 0; i < t.lost.size(); ++i) {
            auto& range = t.lost[i];
            if (key < range.first || key > range.second)
                continue;
            if (range.first == range.second)
                t.lost.removeAt(i);
            else if (key == range.first)
                ++range.first;
            else if (key == range.second)
                --range.second;
            else
                t.lost.insert(i + 1, QPair<long long, long long>(key + 1, std::exchange(range.second, key - 1)));
            return;
        }
    }

    static bool inLost(const TableSalvage& t, qint64 key)
    {
        return std::any_of(t.lost.begin(), t.lost.end(), [&](const auto& r) { return key >= r.first && key <= r.second; });
    }

    // How badly the page's rows fit the table: -1 when they cannot belong to it at all.
    static int misfit(const Candidate& c, const OrphanLeaf& leaf)
    {
        int score = 0;
        for (const PageRow& row : leaf.rows) {
            if (row.fields.size() > c.shape.columns.size() || !inLost(*c.table, row.rowid))
                return -1;
            score += int(c.shape.columns.size() - row.fields.size());
            for (size_t i = 0; i < row.fields.size(); ++i) {
                const int type = row.fields[i].type;
                if (type == SQLITE_NULL)
                    continue;
                const Affinity a = c.shape.columns[i].affinity;
                const bool wrong = int(i) == c.shape.rowidColumn
                                   || (a == Affinity::Text && (type == SQLITE_INTEGER || type == SQLITE_FLOAT))
                                   || (a != Affinity::Text && a != Affinity::Blob && type == SQLITE_TEXT);
                score += wrong ? 10 : 0;
            }
        }
        return score;
    }

    Candidate* ownerOf(const OrphanLeaf& leaf)
    {
        Candidate* best = nullptr;
        int bestScore = -1;
        bool tie = false;
        for (Candidate& c : m_candidates) {
            const int score = misfit(c, leaf);
            if (score < 0)
                continue;
            if (!best || score < bestScore) {
                best = &c;
                bestScore = score;
                tie = false;
            } else if (score == bestScore) {
                tie = true;
            }
        }
        return tie ? nullptr : best;
    }

    sqlite3_stmt* insertFor(const Candidate& c, size_t fields)
    {
        const QString key = c.table->table + u'/' + QString::number(fields);
        if (auto it = m_inserts.find(key); it != m_inserts.end())
            return it->second;
        QString names = QStringLiteral("_rowid_"), marks = QStringLiteral("?");
        for (size_t i = 0; i < fields; ++i) {
            if (int(i) == c.shape.rowidColumn || c.shape.columns[i].name.isEmpty())
                continue;
            names += u',' + quoteIdent(c.shape.columns[i].name);
            marks += QStringLiteral(",?");
        }
        sqlite3_stmt* st = nullptr;
        const QByteArray sql = QStringLiteral("INSERT OR IGNORE INTO main.%1 (%2) VALUES (%3)")
                                   .arg(quoteIdent(c.table->table), names, marks)
                                   .toUtf8();
        if (sqlite3_prepare_v2(m_out, sql.constData(), -1, &st, nullptr) != SQLITE_OK) {
            sqlite3_finalize(st);
            st = nullptr;
        }
        m_inserts.emplace(key, st);
        return st;
    }

    void insert(Candidate& c, const PageRow& row)
    {
        sqlite3_stmt* st = insertFor(c, row.fields.size());
        if (!st)
            return;
        sqlite3_bind_int64(st, 1, row.rowid);
        int at = 2;
        for (size_t i = 0; i < row.fields.size(); ++i) {
            if (int(i) == c.shape.rowidColumn || c.shape.columns[i].name.isEmpty())
                continue;
            const PageField& f = row.fields[i];
            switch (f.type) {
            case SQLITE_INTEGER: sqlite3_bind_int64(st, at, f.integer); break;
            case SQLITE_FLOAT: sqlite3_bind_double(st, at, f.real); break;
            case SQLITE_TEXT: sqlite3_bind_text(st, at, f.bytes.constData(), int(f.bytes.size()), SQLITE_TRANSIENT); break;
            case SQLITE_BLOB: sqlite3_bind_blob(st, at, f.bytes.constData(), int(f.bytes.size()), SQLITE_TRANSIENT); break;
            default: sqlite3_bind_null(st, at); break;
            }
            ++at;
        }
        if (sqlite3_step(st) == SQLITE_DONE && sqlite3_changes(m_out) > 0) {
            ++c.table->saved;
            ++c.table->found;
            found(*c.table, row.rowid);
        }
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
    }

    sqlite3* m_in;
    sqlite3* m_out;
    std::vector<Candidate> m_candidates;
    std::map<QString, sqlite3_stmt*> m_inserts;
};

std::vector<quint32> rootPages(RawDb& in)
{
    std::vector<quint32> roots;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(in.get(), "SELECT rootpage FROM main.sqlite_master", -1, &st, nullptr) == SQLITE_OK)
        while (sqlite3_step(st) == SQLITE_ROW)
            roots.push_back(quint32(sqlite3_column_int64(st, 0)));
    sqlite3_finalize(st);
    return roots;
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
// The copy is read through the lock's own handle: closing a handle of our own on the file would
// drop the lock.
void putInPlace(const QString& tmp, const QString& path, RepairResult& result, const DatabaseWriteLock& lock)
{
    FileSafety& files = FileSafety::instance();
    const QString kept = keptName(path);
    if (auto e = files.link(path, kept)) {
        if (e->number == DbErr::FileExists || (e = lock.copyTo(kept, QStringLiteral("korjaus"))))
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

DbException unreadableForRepair(const QString& path)
{
    return DbException(DbErr::Damaged, QStringLiteral("Tietokannan '%1' rakennetta ei voi lukea, joten sitä ei voi "
                                                      "korjata. Tiedostoa ei ole muutettu.")
                                           .arg(shown(path)));
}

// No other program of ours is left on the damaged file when the repaired one takes its name, and
// no other program's commit goes into the file from the check to the rename, where it would be
// left behind with the damaged original; a save under way when the repair begins is not cut off.
DatabaseWriteLock lockForRepair(const QString& path)
{
    try {
        return DatabaseWriteLock::take(path, RepairWriterWaitMs, DatabaseWriteLock::ShortFile::ReadWhatIsThere);
    } catch (const DbException& e) {
        if (e.number() == DbErr::Locked)
            throw DbException(DbErr::Locked, QStringLiteral("Toinen ohjelma tallentaa parhaillaan tietokantaan '%1', "
                                                            "joten sitä ei voi nyt korjata. Odota, että tallennus "
                                                            "päättyy, ja yritä uudestaan. Tiedostoa ei ole muutettu.")
                                                 .arg(shown(path)));
        // The lock's first read is of the file's first page, where its structure begins.
        if (e.number() == DbErr::Damaged || e.number() == DbErr::NotADatabase)
            throw unreadableForRepair(path);
        throw;
    }
}

} // namespace

RepairResult RepairDatabase(const QString& databasePath, PartialRepair partial)
{
    // Through a link, the file it points to is repaired and kept beside itself; the link stays.
    const QString path = FileSafety::fileBehind(databasePath);
    requireSQLite(path);
    if (!ConnectionRegistry::closeAll(path))
        throw DbException(
            DbErr::TransactionOpen,
            QStringLiteral("Tietokantaa '%1' ei voi korjata, koska sen tapahtuma on kesken.").arg(shown(path)));
    DatabaseWriteLock lock = lockForRepair(path);
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
        const DbException unreadable = unreadableForRepair(path);
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
        QStringList objectProblems;
        std::vector<long long> unreadableRows;
        for (const QString& table : createTables(out, *schema, objectProblems)) {
            RowSalvage salvage(in, out, table);
            result.tables.push_back(salvage.run());
            unreadableRows.push_back(salvage.unreadableRows());
        }
        LooseRows(in, out).salvage([&] { return lock.contents(); }, rootPages(in), result.tables);
        for (size_t i = 0; i < result.tables.size(); ++i) {
            TableSalvage& t = result.tables[i];
            countLost(t, unreadableRows[i], highestKeyGiven(in.get(), t.table));
            result.rowsSalvaged += t.saved;
            if (!t.complete())
                result.problems << t.text();
        }
        finishFreshFile(in, out, *schema, objectProblems);
        result.problems << objectProblems;
        out.exec(QStringLiteral("COMMIT"));
    }
    if (partial == PartialRepair::HoldBack && !result.complete()) {
        result.heldBack = true;
        return result;
    }
    syncAndVerify(tmp, "PRAGMA integrity_check", QStringLiteral("Korjattua tietokantaa"),
                  QStringLiteral("Korjatun tietokannan"));
    putInPlace(tmp, path, result, lock);
    guard.release();
    // Every row under its own key, as after a compaction: what the windows hold typed of a row
    // is still written into that row.
    if (result.complete())
        lock.keepsItsRows();
    return result;
}
QString TableSalvage::text() const
{
    QString s = QStringLiteral("Taulu %1: %2 riviä talteen").arg(table).arg(saved);
    if (found > 0)
        s += QStringLiteral(" (niistä %1 irrallisilta sivuilta)").arg(found);
    if (complete())
        return s + u'.';
    if (unreadable)
        return s + QStringLiteral(", taulun rivejä ei voitu lukea.");
    if (!lostCountKnown)
        s += QStringLiteral(", rivejä menetettiin");
    else if (lostExact && lostRows == 1)
        s += QStringLiteral(", 1 rivi menetettiin");
    else
        s += (lostExact ? QStringLiteral(", %1 riviä menetettiin") : QStringLiteral(", enintään %1 riviä menetettiin"))
                 .arg(lostRows);
    QStringList keys;
    for (const auto& range : lost) {
        if (keys.size() == 5) {
            keys << QStringLiteral("…");
            break;
        }
        if (range.second == Highest)
            keys << QStringLiteral("rivinumerosta %1 alkaen").arg(range.first);
        else if (range.first == range.second)
            keys << QStringLiteral("rivinumero %1").arg(range.first);
        else
            keys << QStringLiteral("rivinumerot %1–%2").arg(range.first).arg(range.second);
    }
    return s + QStringLiteral(" (%1).").arg(keys.join(QStringLiteral(", ")));
}

bool RepairResult::complete() const
{
    return problems.isEmpty()
           && std::all_of(tables.begin(), tables.end(), [](const TableSalvage& t) { return t.complete(); });
}

QString RepairResult::summary() const
{
    if (!wasDamaged)
        return {};
    QStringList lines;
    lines << (complete() ? QStringLiteral("Tietokanta oli vioittunut, ja sen kaikki rivit saatiin talteen.")
                         : QStringLiteral("Tietokanta oli vioittunut, eikä kaikkia sen rivejä saatu talteen. Tarkista "
                                          "tiedot tai palauta tietokanta varmuuskopiolta."))
          << QStringLiteral("Alkuperäinen tiedosto on tallessa nimellä %1.").arg(shown(keptOriginalAs));
    for (const TableSalvage& t : tables)
        if (t.saved > 0 || !t.complete())
            lines << t.text();
    for (const QString& p : problems)
        if (!lines.contains(p))
            lines << p;
    return lines.join(u'\n');
}

bool HasHotJournal(const QString& databasePath)
{
    // SQLite keeps the journal beside the file a link points to.
    const QString file = FileSafety::fileBehind(databasePath);
    for (const char* suffix : {"-journal", "-wal"}) {
        const QFileInfo side(file + QLatin1String(suffix));
        if (side.exists() && side.size() > 0)
            return true;
    }
    return false;
}

DatabaseWriteLock::~DatabaseWriteLock()
{
    release();
}

DatabaseWriteLock::DatabaseWriteLock(DatabaseWriteLock&& other) noexcept
    : m_sole(std::move(other.m_sole)), m_db(std::exchange(other.m_db, nullptr)), m_path(std::exchange(other.m_path, {}))
{
}

DatabaseWriteLock& DatabaseWriteLock::operator=(DatabaseWriteLock&& other) noexcept
{
    if (this != &other) {
        release();
        m_sole = std::move(other.m_sole);
        m_db = std::exchange(other.m_db, nullptr);
        m_path = std::exchange(other.m_path, {});
    }
    return *this;
}

void DatabaseWriteLock::release()
{
    // The connection goes before the hold: closing the hold's descriptor would drop its locks.
    if (m_db) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    m_path.clear();
    m_sole.release();
}

DatabaseWriteLock DatabaseWriteLock::take(const QString& path, int waitMs, ShortFile shortFile)
{
    DatabaseWriteLock lock;
    lock.m_sole = SoleUse::take(path);
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX,
                             nullptr);
    lock.m_db = db;
    if (rc != SQLITE_OK)
        SqliteError::raise(db, rc);
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, waitMs);
    // The connection never writes: the engine's leave to look past the page count changes nothing.
    if (shortFile == ShortFile::ReadWhatIsThere
        && (rc = sqlite3_exec(db, "PRAGMA writable_schema=ON", nullptr, nullptr, nullptr)) != SQLITE_OK)
        SqliteError::raise(db, rc);
    // A write-ahead log of another tool goes into the file first, as at every open of ours; then
    // the write lock. Taking it reads the file, and that first read rolls a journal left by a
    // stopped write back into the file.
    for (const char* sql : {"PRAGMA journal_mode=DELETE", "BEGIN IMMEDIATE"}) {
        if ((rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr)) != SQLITE_OK) {
            const int code = sqlite3_extended_errcode(db);
            if ((code & 0xff) == SQLITE_BUSY || (code & 0xff) == SQLITE_LOCKED)
                throw DbException(
                    DbErr::Locked,
                    QStringLiteral("Toinen ohjelma tallentaa parhaillaan tietokantaan '%1'.").arg(shown(path)));
            SqliteError::raise(db, rc);
        }
    }
    lock.m_path = path;
    return lock;
}

bool DatabaseWriteLock::holds(const QString& path) const
{
    int moved = 0;
    return m_db && samePath(m_path, path) && sqlite3_file_control(m_db, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK
           && !moved;
}

int DatabaseWriteLock::readThrough(const std::function<int(const char* data, int size)>& sink) const
{
    sqlite3_file* file = nullptr;
    sqlite3_int64 size = 0;
    if (!m_db || sqlite3_file_control(m_db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file
        || !file->pMethods || file->pMethods->xFileSize(file, &size) != SQLITE_OK)
        return EBADF;
    QByteArray buffer(1 << 16, Qt::Uninitialized);
    for (sqlite3_int64 at = 0; at < size;) {
        const int n = int(std::min<sqlite3_int64>(buffer.size(), size - at));
        if (file->pMethods->xRead(file, buffer.data(), n, at) != SQLITE_OK)
            return EIO;
        if (const int err = sink(buffer.constData(), n))
            return err;
        at += n;
    }
    return 0;
}

std::optional<FileError> DatabaseWriteLock::copyTo(const QString& dest, const QString& tag) const
{
    if (QFileInfo::exists(dest) || QFileInfo(dest).isSymLink())
        return FileError::fromErrno(EEXIST);
    if (!m_db)
        return FileError::fromErrno(EBADF);
    FileSafety& files = FileSafety::instance();
    std::optional<FileError> error;
    const QString temp = files.reserveTemp(dest, error, tag);
    if (temp.isEmpty())
        return error;
    int err = 0;
    {
        const int out = ::open(QFile::encodeName(temp).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        err = out < 0 ? errno : files.check(FileStep::Write, temp);
        if (err == 0) {
            err = readThrough([out](const char* data, int n) {
                for (qint64 done = 0; done < n;) {
                    const ssize_t w = ::write(out, data + done, size_t(n - done));
                    if (w < 0 && errno != EINTR)
                        return errno;
                    if (w > 0)
                        done += w;
                }
                return 0;
            });
        }
        if (out >= 0 && ::close(out) != 0 && err == 0)
            err = errno;
    }
    if (err != 0) {
        files.remove(temp);
        return FileError::fromErrno(err);
    }
    return files.publish(temp, dest, FileSafety::Existing::Keep);
}

std::optional<QByteArray> DatabaseWriteLock::contents() const
{
    QByteArray bytes;
    if (readThrough([&bytes](const char* data, int n) {
            bytes.append(data, n);
            return 0;
        })
        != 0)
        return std::nullopt;
    return bytes;
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
    // A copy that another program of ours has open as its database is not replaced under it.
    const SoleUse destHeld = SoleUse::take(destPath);

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
