#include "BackupTestDb.h"

#include "backup/BackupRows.h"
#include "base/SharedState.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace tikkeli::test {

BackupTestDb::BackupTestDb()
{
    m_path = m_dir.filePath(QStringLiteral("Erämiehet.mdb"));
    Database db = Database::create(m_path);
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

int BackupTestDb::members(const QString& path)
{
    Database db = Database::open(path);
    const int n = static_cast<int>(db.scalar(QStringLiteral("SELECT COUNT(*) FROM jr WHERE BackupRow = 0")).toInt64());
    db.close();
    return n;
}

int BackupTestDb::markers(const QString& path)
{
    Database db = Database::open(path);
    int n = 0;
    for (const QString& table : BackupRowTables())
        n += static_cast<int>(
            db.scalar(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE BackupRow <> 0").arg(table)).toInt64());
    db.close();
    return n;
}

void BackupTestDb::addMember(const QString& path, const QString& surname)
{
    Database db = Database::open(path);
    db.execute(QStringLiteral("INSERT INTO jr (Nimi) VALUES (?)"), {Value(surname)});
    db.close();
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
