#include "BackupTestDb.h"

#include "support/OtherProgramRestore.h"

#include "backup/BackupRows.h"
#include "base/SharedState.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace tikkeli::test {

void BackupTestDb::createAt(const QString& path)
{
    Database db = Database::create(path);
    for (const QString& table : BackupRowTables()) {
        db.executeScript(QStringLiteral("CREATE TABLE %1 (%1ID INTEGER PRIMARY KEY AUTOINCREMENT, Nimi VARCHAR(50), "
                                        "BackupRow BOOLEAN NOT NULL DEFAULT 0);")
                             .arg(table));
    }
    db.executeScript(QStringLiteral("CREATE TABLE Settings (setID INTEGER PRIMARY KEY AUTOINCREMENT, "
                                    "setSection VARCHAR(255), setKey VARCHAR(255), setString VARCHAR(255));"));
    for (const char* name : {"Virtanen", "Äijälä", "Öhman"})
        db.execute(QStringLiteral("INSERT INTO jr (Nimi) VALUES (?)"), {Value(QString::fromUtf8(name))});
    db.close();
}

BackupTestDb::BackupTestDb()
{
    m_path = m_dir.filePath(QStringLiteral("Erämiehet.mdb"));
    createAt(m_path);

    QDir(m_dir.path()).mkdir(QStringLiteral("Asiakirjat"));
    qputenv("TIKKELI_INI", QFile::encodeName(iniPath()));
    qputenv("TIKKELI_DOCUMENTS", QFile::encodeName(documents()));
    State() = SharedState{};
    State().DatabasePath = m_path;
    State().ClubName = QStringLiteral("Erämiehet");
}

BackupTestDb::~BackupTestDb()
{
    ConnectionRegistry::closeAll(m_path);
    qunsetenv("TIKKELI_INI");
    qunsetenv("TIKKELI_DOCUMENTS");
    State() = SharedState{};
}

// Read and written as another program would, on connections of their own: what the file at the
// path holds, whatever this program has open or has let go.
int BackupTestDb::members(const QString& path)
{
    return FileRows(path, QStringLiteral("SELECT COUNT(*) FROM jr WHERE BackupRow = 0")).toInt();
}

int BackupTestDb::markers(const QString& path)
{
    int n = 0;
    for (const QString& table : BackupRowTables())
        n += FileRows(path, QStringLiteral("SELECT COUNT(*) FROM %1 WHERE BackupRow <> 0").arg(table)).toInt();
    return n;
}

void BackupTestDb::addMember(const QString& path, const QString& surname)
{
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(other, "INSERT INTO jr (Nimi) VALUES (?)", -1, &st, nullptr), SQLITE_OK);
    const QByteArray name = surname.toUtf8();
    sqlite3_bind_text(st, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
    EXPECT_EQ(sqlite3_step(st), SQLITE_DONE);
    sqlite3_finalize(st);
    sqlite3_close(other);
}

QString BackupTestDb::iniDatabase(const QString& iniPath)
{
    QFile f(iniPath);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith("Database="))
            return QString::fromUtf8(line.mid(9)).trimmed();
    }
    return {};
}

} // namespace tikkeli::test
