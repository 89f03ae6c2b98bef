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
// row of any table. A compaction copies it with the rest, and the next compaction adds its own.
constexpr char MarkName[] = "tikkeli: tiivistetty tiedostosta";
// A window left open for days may miss a few backups; a longer chain would only grow the file.
constexpr std::size_t MaxEarlier = 15;

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

// Each compaction as five numbers, the oldest first: the source's device and inode, its change
// counter, the copy's device and inode.
std::optional<CompactionMark> parse(const QString& text)
{
    const QStringList parts = text.split(u' ');
    if (parts.size() % 5 != 0)
        return std::nullopt;
    std::vector<CompactionMark> chain;
    for (qsizetype at = 0; at < parts.size(); at += 5) {
        quint64 n[5] = {};
        for (int i = 0; i < 5; ++i) {
            bool ok = false;
            n[i] = parts[at + i].toULongLong(&ok);
            if (!ok)
                return std::nullopt;
        }
        if (n[2] > 0xFFFFFFFFu)
            return std::nullopt;
        chain.push_back(CompactionMark{{n[0], n[1]}, quint32(n[2]), {n[3], n[4]}, {}});
    }
    CompactionMark mark = chain.back();
    chain.pop_back();
    mark.earlier = std::move(chain);
    return mark;
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
    // The copy has the mark of the compaction that made source, when one did.
    std::vector<CompactionMark> chain;
    if (const auto text = firstText(db, "SELECT seq FROM main.sqlite_sequence WHERE name = ?1", MarkName)) {
        if (std::optional<CompactionMark> made = parse(*text); made && made->copy == source) {
            chain = std::move(made->earlier);
            made->earlier.clear();
            chain.push_back(*made);
        }
    }
    if (chain.size() > MaxEarlier)
        chain.erase(chain.begin(), chain.end() - MaxEarlier);
    chain.push_back(*this);
    QStringList numbers;
    for (const CompactionMark& m : chain) {
        for (const quint64 n : {m.source.device, m.source.inode, quint64(m.sourceCommits), m.copy.device, m.copy.inode})
            numbers << QString::number(n);
    }
    run(db, "DELETE FROM main.sqlite_sequence WHERE name = ?1", MarkName);
    run(db, "INSERT INTO main.sqlite_sequence (name, seq) VALUES (?1, ?2)", MarkName, numbers.join(u' ').toLatin1());
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
    return text ? parse(*text) : std::nullopt;
}

bool CompactionMark::replacedByCompaction(sqlite3* db, const FileId& opened, const QString& path)
{
    return replacedByCompaction(opened, opened.valid() ? changeCounter(db) : std::nullopt, path);
}

bool CompactionMark::replacedByCompaction(const FileId& opened, std::optional<quint32> commits, const QString& path)
{
    if (!opened.valid() || !commits)
        return false;
    const std::optional<CompactionMark> mark = of(path);
    if (!mark)
        return false;
    // From the file at path back through the compactions that made it, each of the copy the one
    // before it made, to one made of the file open here.
    FileId made = FileId::at(path);
    for (std::size_t i = mark->earlier.size() + 1; i-- > 0;) {
        const CompactionMark& link = i == mark->earlier.size() ? *mark : mark->earlier[i];
        if (!link.copy.valid() || link.copy != made)
            return false;
        if (link.source == opened)
            return *commits == link.sourceCommits;
        made = link.source;
    }
    return false;
}

} // namespace tikkeli
