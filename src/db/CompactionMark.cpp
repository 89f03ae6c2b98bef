#include "db/CompactionMark.h"

#include "db/SqliteError.h"

#include <QFile>
#include <QStringList>

#include <sqlite3.h>
#include <sys/stat.h>

namespace tikkeli {

namespace {

// The mark lives in sqlite_sequence, under a name no table can have: the one place in a club file
// that the schema, the schema's mark and every list of tables leave alone, and a row there is no
// row of any table. A compaction copies it with the rest, and the next compaction replaces it.
constexpr char MarkName[] = "tikkeli: tiivistetty tiedostosta";

// The statement's first column of its first row, or none.
std::optional<QString> firstText(sqlite3* db, const char* sql, const char* parameter)
{
    sqlite3_stmt* st = nullptr;
    std::optional<QString> text;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK) {
        if (parameter)
            sqlite3_bind_text(st, 1, parameter, -1, SQLITE_STATIC);
        if (sqlite3_step(st) == SQLITE_ROW)
            text = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    }
    sqlite3_finalize(st);
    return text;
}

void run(sqlite3* db, const char* sql, const QByteArray& name, const QByteArray& value = {})
{
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_bind_text(st, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        if (!value.isNull())
            sqlite3_bind_text(st, 2, value.constData(), int(value.size()), SQLITE_TRANSIENT);
        rc = sqlite3_step(st);
        if (rc == SQLITE_DONE)
            rc = SQLITE_OK;
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_OK)
        SqliteError::raise(db, rc);
}

} // namespace

CompactionMark::FileId CompactionMark::FileId::at(const QString& path)
{
    struct stat s {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &s) != 0)
        return {};
    return {quint64(s.st_dev), quint64(s.st_ino)};
}

CompactionMark::FileId CompactionMark::FileId::openBy(sqlite3* db, const QString& path)
{
    const FileId id = at(path);
    int moved = 0;
    if (!id.valid() || !db || sqlite3_file_control(db, "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK || moved)
        return {};
    return id;
}

std::optional<quint32> CompactionMark::changeCounter(sqlite3* db)
{
    sqlite3_file* file = nullptr;
    unsigned char bytes[4] = {};
    if (!db || sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file || !file->pMethods
        || file->pMethods->xRead(file, bytes, 4, 24) != SQLITE_OK)
        return std::nullopt;
    return (quint32(bytes[0]) << 24) | (quint32(bytes[1]) << 16) | (quint32(bytes[2]) << 8) | quint32(bytes[3]);
}

void CompactionMark::writeInto(sqlite3* db) const
{
    if (!firstText(db, "SELECT name FROM main.sqlite_master WHERE name = 'sqlite_sequence'", nullptr))
        return;
    const QByteArray value = QStringLiteral("%1 %2 %3 %4 %5")
                                 .arg(source.device)
                                 .arg(source.inode)
                                 .arg(sourceCommits)
                                 .arg(copy.device)
                                 .arg(copy.inode)
                                 .toLatin1();
    run(db, "DELETE FROM main.sqlite_sequence WHERE name = ?1", MarkName);
    run(db, "INSERT INTO main.sqlite_sequence (name, seq) VALUES (?1, ?2)", MarkName, value);
}

std::optional<CompactionMark> CompactionMark::of(const QString& path)
{
    sqlite3* db = nullptr;
    std::optional<QString> text;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        // The program that made the copy may be writing to it already.
        sqlite3_busy_timeout(db, 2000);
        text = firstText(db, "SELECT seq FROM main.sqlite_sequence WHERE name = ?1", MarkName);
    }
    sqlite3_close_v2(db);
    if (!text)
        return std::nullopt;
    const QStringList parts = text->split(u' ');
    if (parts.size() != 5)
        return std::nullopt;
    quint64 n[5] = {};
    for (int i = 0; i < 5; ++i) {
        bool ok = false;
        n[i] = parts[i].toULongLong(&ok);
        if (!ok)
            return std::nullopt;
    }
    if (n[2] > 0xFFFFFFFFu)
        return std::nullopt;
    return CompactionMark{{n[0], n[1]}, quint32(n[2]), {n[3], n[4]}};
}

bool CompactionMark::replacedByCompaction(sqlite3* db, const FileId& opened, const QString& path)
{
    if (!opened.valid())
        return false;
    const std::optional<CompactionMark> mark = of(path);
    if (!mark || mark->source != opened || !mark->copy.valid() || mark->copy != FileId::at(path))
        return false;
    const std::optional<quint32> counter = changeCounter(db);
    return counter && *counter == mark->sourceCommits;
}

} // namespace tikkeli
