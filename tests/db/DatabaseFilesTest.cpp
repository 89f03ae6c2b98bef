#include "DbTestSupport.h"
#include "db/DatabaseFiles.h"
#include "db/DatabaseProbe.h"
#include "db/Recordset.h"
#include "db/Transaction.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace tikkeli;

namespace {

QByteArray digest(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

QStringList filesIn(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

class DatabaseFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        src = folder.path("kerho.mdb");
        Database db = Database::create(src);
        db.executeScript(QStringLiteral(
            "CREATE TABLE jr (jrID INTEGER PRIMARY KEY AUTOINCREMENT, jrNimi VARCHAR(100), jrTieto TEXT);"
            "CREATE INDEX jr_jrNimi ON jr (jrNimi);"
            "CREATE VIEW jrNimet AS SELECT jrNimi FROM jr;"));
        Transaction tr(db);
        for (int i = 1; i <= 2000; ++i)
            db.execute(QStringLiteral("INSERT INTO jr (jrNimi, jrTieto) VALUES (?, ?)"),
                       {QStringLiteral("Jäsen %1").arg(i), QString(120, QChar(u'a' + i % 26))});
        tr.commit();
        db.execute(QStringLiteral("DELETE FROM jr WHERE jrID > 1990"));
        db.close();
        ASSERT_TRUE(ConnectionRegistry::closeAll(src));
    }
    void TearDown() override
    {
        SetDatabaseFilesHook({});
        Database::setWritableProbe({});
    }
    DbFolder folder;
    QString src;
};

TEST_F(DatabaseFilesTest, CompactionCopiesEverythingAndKeepsKeysFromBeingReused)
{
    const QByteArray before = digest(src);
    const QString dest = folder.path("tiivis.mdb");
    CompactDatabase(src, dest);
    EXPECT_EQ(digest(src), before);
    EXPECT_EQ(filesIn(folder.path({})), (QStringList{QStringLiteral("kerho.mdb"), QStringLiteral("tiivis.mdb")}));
    Database db = Database::open(dest);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM jrNimet")).toInt64(), 1990);
    EXPECT_EQ(db.scalar(QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("delete"));
    db.execute(QStringLiteral("INSERT INTO jr (jrNimi) VALUES ('Uusi')"));
    EXPECT_EQ(db.lastInsertId(), 2001);

    try {
        CompactDatabase(src, dest);
        ADD_FAILURE();
    } catch (const DbException& e) {
        EXPECT_EQ(e.number(), DbErr::FileExists);
    }
}

TEST_F(DatabaseFilesTest, FailedCompactionLeavesNoTraceAndTheOriginalUntouched)
{
    const QByteArray before = digest(src);
    const QString dest = folder.path("tiivis.mdb");
    for (const char* failAt : {"copy", "verify", "replace"}) {
        SetDatabaseFilesHook([failAt](const QString& stage) {
            if (stage == QLatin1String(failAt))
                throw DbException(DbErr::DiskFull, QStringLiteral("levy täynnä"));
        });
        EXPECT_THROW(CompactDatabase(src, dest), DbException) << failAt;
        EXPECT_EQ(filesIn(folder.path({})), QStringList{QStringLiteral("kerho.mdb")}) << failAt;
    }
    SetDatabaseFilesHook({});
    const QString folderPath = QFileInfo(dest).absolutePath();
    Database::setWritableProbe([folderPath](const QString& p) { return p != folderPath; });
    try {
        CompactDatabase(src, dest);
        ADD_FAILURE();
    } catch (const DbException& e) {
        EXPECT_EQ(e.number(), DbErr::InUseOrReadOnly);
    }
    EXPECT_EQ(digest(src), before);
    EXPECT_EQ(filesIn(folder.path({})), QStringList{QStringLiteral("kerho.mdb")});
}

TEST_F(DatabaseFilesTest, RepairRefusesFilesThatAreNotOurs)
{
    const QString access = folder.path("vanha.mdb");
    QFile f(access);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4, '\0') + "Standard Jet DB" + QByteArray(3000, '\0'));
    f.close();
    const QByteArray before = digest(access);
    try {
        RepairDatabase(access);
        ADD_FAILURE();
    } catch (const DbException& e) {
        EXPECT_EQ(e.number(), DbErr::AccessDatabase);
    }
    EXPECT_EQ(digest(access), before);
    EXPECT_EQ(filesIn(folder.path({})), (QStringList{QStringLiteral("kerho.mdb"), QStringLiteral("vanha.mdb")}));

    const RepairResult intact = RepairDatabase(src);
    EXPECT_FALSE(intact.wasDamaged);
    EXPECT_TRUE(intact.keptOriginalAs.isEmpty());
}

// Overwrites one page in the middle of the table with junk.
void damage(const QString& path, int page)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.seek(qint64(page - 1) * 4096 + 8));
    f.write(QByteArray(4000, '\x5a'));
}

// What a session that ended in the middle of a write leaves beside the file.
void leaveJournal(const QString& path)
{
    QFile j(path + QStringLiteral("-journal"));
    ASSERT_TRUE(j.open(QIODevice::WriteOnly));
    j.write(QByteArray(512, '\x01'));
}

// The error number of opening the file; 0 when it opened.
int openErrorNumber(const QString& path)
{
    try {
        Database::open(path);
        return 0;
    } catch (const DbException& e) {
        return e.number();
    }
}

TEST_F(DatabaseFilesTest, DamagedDataInACleanlyClosedFileIsFoundByTheReadThatMeetsIt)
{
    damage(src, 40);
    // A cleanly closed file opens on its structural checks alone.
    Database db = Database::open(src);
    try {
        db.scalar(QStringLiteral("SELECT sum(length(jrTieto)) FROM jr NOT INDEXED"));
        db.scalar(QStringLiteral("SELECT count(*) FROM jr INDEXED BY jr_jrNimi WHERE jrNimi > ''"));
        ADD_FAILURE() << "the damaged page was read without an error";
    } catch (const DbException& e) {
        EXPECT_EQ(e.number(), DbErr::Damaged);
    }
}

// Without a read before it (which would mark the file damaged by itself), the journal alone must
// make the open check the whole file.
TEST_F(DatabaseFilesTest, AJournalLeftByAnInterruptedSessionMakesTheOpenCheckTheWholeFile)
{
    damage(src, 40);
    leaveJournal(src);
    EXPECT_EQ(openErrorNumber(src), DbErr::Damaged) << "a damaged file opened after an interrupted session";
}

TEST_F(DatabaseFilesTest, AFileFoundDamagedByAReadIsCheckedInFullAtItsNextOpen)
{
    damage(src, 40);
    {
        Database db = Database::open(src);
        EXPECT_THROW(db.scalar(QStringLiteral("SELECT sum(length(jrTieto)) FROM jr NOT INDEXED")), DbException);
    }
    ASSERT_TRUE(ConnectionRegistry::closeAll(src));
    EXPECT_EQ(openErrorNumber(src), DbErr::Damaged) << "a file known to be damaged opened on its structural checks";
}

TEST_F(DatabaseFilesTest, AWriteAheadLogLeftBesideTheFileAlsoMeansAnInterruptedSession)
{
    damage(src, 40);
    {
        QFile wal(src + QStringLiteral("-wal"));
        ASSERT_TRUE(wal.open(QIODevice::WriteOnly));
        wal.write(QByteArray(512, '\x02'));
    }
    EXPECT_EQ(openErrorNumber(src), DbErr::Damaged) << "a damaged file opened after an interrupted session of another tool";
}

TEST_F(DatabaseFilesTest, ATruncatedFileIsDamagedAtOpen)
{
    {
        QFile f(src);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.resize(f.size() - 4096 * 3));
    }
    EXPECT_EQ(openErrorNumber(src), DbErr::Damaged) << "a truncated file opened";
}

TEST_F(DatabaseFilesTest, RepairSalvagesADamagedFileAndKeepsTheOriginal)
{
    damage(src, 40);
    const QByteArray damagedDigest = digest(src);

    const RepairResult r = RepairDatabase(src);
    EXPECT_TRUE(r.wasDamaged);
    EXPECT_EQ(QFileInfo(r.keptOriginalAs).fileName(), QStringLiteral("kerho_vioittunut.mdb"));
    EXPECT_EQ(digest(r.keptOriginalAs), damagedDigest);
    EXPECT_GT(r.rowsSalvaged, 1900);
    EXPECT_LT(r.rowsSalvaged, 1990);
    EXPECT_FALSE(r.problems.isEmpty());

    Database db = Database::open(src);
    EXPECT_EQ(db.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM jrNimet")).toInt64(), r.rowsSalvaged);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'jr_jrNimi'")).toInt64(), 1);
    db.execute(QStringLiteral("INSERT INTO jr (jrNimi) VALUES ('Uusi')"));
    EXPECT_EQ(db.lastInsertId(), 2001);
    EXPECT_EQ(filesIn(folder.path({})), (QStringList{QStringLiteral("kerho.mdb"), QStringLiteral("kerho_vioittunut.mdb")}));
}

TEST_F(DatabaseFilesTest, FailedRepairLeavesTheDamagedFileInPlace)
{
    damage(src, 40);
    const QByteArray damagedDigest = digest(src);
    for (const char* failAt : {"copy", "verify", "replace"}) {
        SetDatabaseFilesHook([failAt](const QString& stage) {
            if (stage == QLatin1String(failAt))
                throw DbException(DbErr::Generic, QStringLiteral("virhe"));
        });
        EXPECT_THROW(RepairDatabase(src), DbException);
        EXPECT_EQ(digest(src), damagedDigest) << failAt;
        EXPECT_EQ(filesIn(folder.path({})), QStringList{QStringLiteral("kerho.mdb")}) << failAt;
    }
}

TEST_F(DatabaseFilesTest, BackupIsConsistentWhileAnotherConnectionWrites)
{
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(src.toUtf8().constData(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(writer, "BEGIN IMMEDIATE; DELETE FROM jr WHERE jrID <= 1000;"
                                   "INSERT INTO jr (jrNimi) VALUES ('kesken');", nullptr, nullptr, nullptr), SQLITE_OK);
    const QString dest = folder.path("varmuus.mdb");
    Database db = Database::open(src);
    BackupDatabase(db, dest);
    sqlite3_exec(writer, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(writer);

    Database copy = Database::open(dest);
    EXPECT_EQ(copy.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    EXPECT_EQ(copy.scalar(QStringLiteral("SELECT count(*) FROM jr")).toInt64(), 1990);
    EXPECT_EQ(copy.scalar(QStringLiteral("SELECT count(*) FROM jr WHERE jrNimi = 'kesken'")).toInt64(), 0);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM jr")).toInt64(), 991);

    // A second backup replaces the first; a file that is not a database is never overwritten.
    copy.close();
    ConnectionRegistry::closeAll(dest);
    BackupDatabase(src, dest);
    EXPECT_EQ(Database::open(dest).scalar(QStringLiteral("SELECT count(*) FROM jr")).toInt64(), 991);
    const QString junk = folder.path("muistio.txt");
    QFile f(junk);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("tärkeä muistio");
    f.close();
    EXPECT_THROW(BackupDatabase(src, junk), DbException);
    EXPECT_THROW(BackupDatabase(src, src), DbException);
    QFile g(junk);
    ASSERT_TRUE(g.open(QIODevice::ReadOnly));
    EXPECT_EQ(g.readAll(), QByteArray("tärkeä muistio"));
}

} // namespace
