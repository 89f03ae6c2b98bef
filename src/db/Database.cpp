#include "db/Database.h"
#include "db/DatabaseProbe.h"

#include "db/Connection.h"
#include "db/FileHold.h"
#include "db/FinnishCollation.h"
#include "db/Recordset.h"
#include "db/SqlDialect.h"
#include "db/SqliteError.h"
#include "db/Statement.h"

#include <QDir>
#include <QFileInfo>
#include <sqlite3.h>

namespace tikkeli {

namespace {

// Marks files this program created (ASCII "TIKK"); writing it also puts the header on disk, so a
// new file is never an empty one.

} // namespace

Database Database::open(const QString& path)
{
    const QFileInfo fi(path);
    const QString canonical = fi.canonicalFilePath();
    if (canonical.isEmpty() || path.isEmpty()) {
        // Let the probe say what is missing.
        Connection::openFile(path);
        throw DbException(DbErr::FileNotFound,
                          QStringLiteral("Tiedostoa '%1' ei löydy.").arg(QDir::toNativeSeparators(path)));
    }
    auto conn = ConnectionRegistry::acquire(canonical);
    conn->db();
    return Database(std::move(conn));
}

Database Database::create(const QString& path)
{
    const QFileInfo fi(path);
    const QString shown = QDir::toNativeSeparators(path);
    if (path.isEmpty())
        throw DbException(DbErr::FileNotFound, QStringLiteral("Tietokantatiedostoa ei ole annettu."));
    if (fi.exists() || fi.isSymLink())
        throw DbException(DbErr::FileExists, QStringLiteral("Tiedosto '%1' on jo olemassa.").arg(shown));
    if (!fi.absoluteDir().exists())
        throw DbException(DbErr::PathNotFound,
                          QStringLiteral("Kansiota '%1' ei löydy.").arg(QDir::toNativeSeparators(fi.absolutePath())));
    if (!Connection::isWritable(fi.absolutePath()))
        throw DbException(
            DbErr::InUseOrReadOnly,
            QStringLiteral("Kansioon '%1' ei voi kirjoittaa.").arg(QDir::toNativeSeparators(fi.absolutePath())));
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
    if (rc == SQLITE_OK) {
        const QByteArray sql = "PRAGMA journal_mode=DELETE; PRAGMA application_id="
                               + QByteArray::number(DatabaseApplicationId) + ";";
        rc = sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK) {
        DbException e = SqliteError::from(db, rc);
        sqlite3_close_v2(db);
        QFile::remove(path);
        throw e;
    }
    sqlite3_close_v2(db);
    FileHold::created(QFileInfo(path).canonicalFilePath());
    return open(path);
}

void Database::setWritableProbe(std::function<bool(const QString&)> probe)
{
    Connection::setWritableProbe(std::move(probe));
}

Connection& Database::conn() const
{
    if (!m_conn)
        throw DbException(DbErr::ObjectClosed, QStringLiteral("Tietokantaa ei ole avattu."));
    return *m_conn;
}

bool Database::isOpen() const
{
    return m_conn != nullptr;
}

QString Database::path() const
{
    return m_conn ? m_conn->path() : QString();
}

void Database::close()
{
    m_conn.reset();
}

void Database::execute(const QString& sql, const Params& params)
{
    Connection& c = conn();
    Statement st(c, c.normalized(sql));
    st.bind(params);
    st.run();
    c.changes = int(sqlite3_changes(c.db()));
}

void Database::executeScript(const QString& sql)
{
    Connection& c = conn();
    const QByteArray text = NormalizeSql(sql).toUtf8();
    char* err = nullptr;
    const int rc = sqlite3_exec(c.forStatement(), text.constData(), nullptr, nullptr, &err);
    sqlite3_free(err);
    if (rc != SQLITE_OK)
        SqliteError::raise(c.db(), rc);
    c.changes = int(sqlite3_changes(c.db()));
}

int Database::rowsAffected() const
{
    return conn().changes;
}

std::int64_t Database::lastInsertId() const
{
    return sqlite3_last_insert_rowid(conn().db());
}

Value Database::scalar(const QString& sql, const Params& params)
{
    Connection& c = conn();
    Statement st(c, c.normalized(sql));
    st.bind(params);
    if (!st.step() || st.columnCount() == 0)
        return {};
    Value v = st.column(0);
    st.run();
    return v;
}

QList<qint64> Database::wholeNumbers(const QString& sql, const Params& params)
{
    Connection& c = conn();
    Statement st(c, c.normalized(sql));
    st.bind(params);
    QList<qint64> numbers;
    while (st.step())
        numbers.push_back(sqlite3_column_int64(st.get(), 0));
    return numbers;
}

bool Database::inTransaction() const
{
    return m_conn && m_conn->inTransaction();
}

sqlite3* Database::handle() const
{
    return conn().db();
}

} // namespace tikkeli
