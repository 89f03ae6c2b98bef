#include "db/DatabaseProbe.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <memory>
#include <optional>
#include <vector>
#include <QFileInfo>
#include <QUrl>

#include "db/Schema.h"

#include <sqlite3.h>

namespace tikkeli {

namespace {

DbFileProbe make(DbFileKind kind, int number, const QString& text)
{
    return DbFileProbe{kind, DbError{number, text}};
}

quint32 bigEndian32(const QByteArray& head, int at)
{
    return (quint32(quint8(head[at])) << 24) | (quint32(quint8(head[at + 1])) << 16) | (quint32(quint8(head[at + 2])) << 8)
           | quint32(quint8(head[at + 3]));
}

// The first 100 bytes of the file (fewer when it is shorter); none when it cannot be read. Read
// through SQLite's own file layer, never a plain open: closing any other handle of a file drops
// every lock this process holds on it, the write lock of a step that replaces the database among
// them, and another program could then commit into the file about to be replaced.
std::optional<QByteArray> readHeader(const QString& absolutePath)
{
    sqlite3_vfs* vfs = sqlite3_vfs_find(nullptr);
    if (!vfs)
        return std::nullopt;
    // A database's name in the form the layer takes (and keeps while the file is open): the file
    // behind any links, as SQLite itself names it.
    std::vector<char> full(std::size_t(vfs->mxPathname) + 1, 0);
    // SQLITE_OK_SYMLINK: the name was found through a link.
    if ((vfs->xFullPathname(vfs, QFile::encodeName(absolutePath).constData(), int(full.size()), full.data()) & 0xff)
        != SQLITE_OK)
        return std::nullopt;
    const std::unique_ptr<const char, void (*)(sqlite3_filename)> name(
        sqlite3_create_filename(full.data(), "", "", 0, nullptr), sqlite3_free_filename);
    std::vector<char> space(std::size_t(vfs->szOsFile), 0);
    auto* file = reinterpret_cast<sqlite3_file*>(space.data());
    int flags = 0;
    if (!name || vfs->xOpen(vfs, name.get(), file, SQLITE_OPEN_READONLY | SQLITE_OPEN_MAIN_DB, &flags) != SQLITE_OK) {
        if (file->pMethods)
            file->pMethods->xClose(file);
        return std::nullopt;
    }
    std::optional<QByteArray> head;
    sqlite3_int64 size = 0;
    if (file->pMethods->xFileSize(file, &size) == SQLITE_OK) {
        QByteArray bytes(int(std::min<sqlite3_int64>(size, 100)), Qt::Uninitialized);
        if (bytes.isEmpty() || file->pMethods->xRead(file, bytes.data(), int(bytes.size()), 0) == SQLITE_OK)
            head = bytes;
    }
    file->pMethods->xClose(file);
    return head;
}

// Whether the file holds one of our tables; nullopt when its schema cannot be read. The handle is
// immutable and read-only: no lock, no journal, no write of any kind.
std::optional<bool> holdsOurTables(const QString& path)
{
    QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    const QByteArray uri = "file:" + url.toEncoded(QUrl::RemoveScheme) + "?mode=ro&immutable=1";
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(uri.constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    std::optional<bool> found;
    sqlite3_stmt* st = nullptr;
    if (rc == SQLITE_OK)
        rc = sqlite3_prepare_v2(db, "SELECT name FROM main.sqlite_master WHERE type = 'table'", -1, &st, nullptr);
    if (rc == SQLITE_OK) {
        found = false;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            const QString name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
            if (Schema::table(name) != nullptr)
                *found = true;
        }
        if (rc != SQLITE_DONE)
            found.reset();
    }
    sqlite3_finalize(st);
    sqlite3_close_v2(db);
    return found;
}

} // namespace

DbFileProbe ProbeDatabaseFile(const QString& path)
{
    const QString shown = QDir::toNativeSeparators(path);
    if (path.isEmpty())
        return make(DbFileKind::Missing, DbErr::FileNotFound, QStringLiteral("Tietokantatiedostoa ei ole annettu."));
    const QFileInfo fi(path);
    if (!fi.exists()) {
        if (!fi.absoluteDir().exists())
            return make(DbFileKind::FolderMissing, DbErr::PathNotFound,
                        QStringLiteral("Kansiota '%1' ei löydy.").arg(QDir::toNativeSeparators(fi.absolutePath())));
        return make(DbFileKind::Missing, DbErr::FileNotFound, QStringLiteral("Tiedostoa '%1' ei löydy.").arg(shown));
    }
    if (fi.isDir())
        return make(DbFileKind::NotADatabase, DbErr::NotADatabase,
                    QStringLiteral("'%1' on kansio eikä tietokantatiedosto.").arg(shown));
    const std::optional<QByteArray> read = readHeader(fi.absoluteFilePath());
    if (!read)
        return make(DbFileKind::Unreadable, DbErr::InUseOrReadOnly,
                    QStringLiteral("Tiedostoa '%1' ei voi lukea: se on toisen ohjelman käytössä tai siihen ei ole "
                                   "lukuoikeutta.")
                        .arg(shown));
    const QByteArray& head = *read;
    if (head.isEmpty())
        return make(DbFileKind::Empty, DbErr::NotADatabase,
                    QStringLiteral("Tiedosto '%1' on tyhjä eikä siis tietokanta.").arg(shown));
    const QByteArray jet = head.mid(4, 15);
    if (jet == "Standard Jet DB" || jet == "Standard ACE DB")
        return make(DbFileKind::Access, DbErr::AccessDatabase,
                    QStringLiteral("Tiedosto '%1' on Microsoft Access -tietokanta. Tämä ohjelmaversio ei pysty "
                                   "käyttämään sitä: tietokanta on ensin muunnettava. Tiedostoon ei ole tehty "
                                   "muutoksia.")
                        .arg(shown));
    if (head.size() < 100 || !head.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return make(DbFileKind::NotADatabase, DbErr::NotADatabase,
                    QStringLiteral("Tiedosto '%1' ei ole tietokanta tai sen muotoa ei tunnisteta.").arg(shown));
    const quint32 applicationId = bigEndian32(head, 68);
    if (applicationId != quint32(DatabaseApplicationId)) {
        // Another program's mark counts only in a header that is otherwise whole: a file whose
        // tables cannot be read may be one of ours with a damaged header.
        std::optional<bool> ours = holdsOurTables(path);
        if (ours && applicationId != 0)
            ours = false;
        if (ours == false)
            return make(DbFileKind::Foreign, DbErr::NotADatabase,
                        QStringLiteral("Tiedosto '%1' on SQLite-tietokanta, mutta ei Tikkelin tietokanta. Tiedostoon ei "
                                       "ole tehty muutoksia.")
                            .arg(shown));
    }
    return DbFileProbe{DbFileKind::SQLite, DbError{}};
}

} // namespace tikkeli
