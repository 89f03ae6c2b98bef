#include "DbTestSupport.h"
#include "db/DatabaseFiles.h"
#include "db/DatabaseProbe.h"
#include "db/Recordset.h"
#include "db/Transaction.h"
#include "support/FailingFileSafety.h"
#include "support/OtherInstance.h"
#include "support/OtherProgramRestore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <utility>

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

// A file written by the plain library, as another program would write it.
bool writtenByPlainSqlite(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    const bool opened = sqlite3_open(QFile::encodeName(path).constData(), &db) == SQLITE_OK;
    const bool ran = opened && sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ran;
}

class DatabaseFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        src = folder.path("kerho.mdb");
        Database db = Database::create(src);
        db.executeScript(
            QStringLiteral("CREATE TABLE jr (jrID INTEGER PRIMARY KEY AUTOINCREMENT, jrNimi VARCHAR(100), jrTieto TEXT);"
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
    void TearDown() override { Database::setWritableProbe({}); }
    DbFolder folder;
    QString src;
};

TEST_F(DatabaseFilesTest, CompactionCopiesEverythingAndKeepsKeysFromBeingReused)
{
    // An earlier version's mark of its compactions, among the counters: the compaction leaves it.
    ASSERT_TRUE(writtenByPlainSqlite(
        src, "INSERT INTO sqlite_sequence (name, seq) VALUES ('tikkeli: tiivistetty tiedostosta', '1 2 3 4 5')"));
    const QByteArray before = digest(src);
    const QString dest = folder.path("tiivis.mdb");
    CompactDatabase(src, dest);
    EXPECT_EQ(digest(src), before);
    EXPECT_EQ(filesIn(folder.path({})), (QStringList{QStringLiteral("kerho.mdb"), QStringLiteral("tiivis.mdb")}));
    Database db = Database::open(dest);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM jrNimet")).toInt64(), 1990);
    EXPECT_EQ(db.scalar(QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("delete"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT group_concat(name) FROM sqlite_sequence")).toString(), QStringLiteral("jr"));
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
    for (const FileStep failAt : {FileStep::Sync, FileStep::Verify, FileStep::Rename}) {
        test::FailingFileSafety files;
        files.fault = [failAt](FileStep step, const QString&) { return step == failAt ? ENOSPC : 0; };
        EXPECT_THROW(CompactDatabase(src, dest), DbException) << FileStepName(failAt).toStdString();
        EXPECT_EQ(filesIn(folder.path({})), QStringList{QStringLiteral("kerho.mdb")}) << FileStepName(failAt).toStdString();
    }
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
    // Every file step of the repair fails in turn; the final rename is the one that would have
    // put the repaired file in place, and its failure must leave the original at its name.
    int total = 0;
    {
        QTemporaryDir other;
        const QString copy = other.filePath(QStringLiteral("kerho.mdb"));
        ASSERT_TRUE(QFile::copy(src, copy));
        test::FailingFileSafety count;
        RepairDatabase(copy);
        total = count.steps();
        EXPECT_TRUE(count.calls.contains(QStringLiteral("rename kerho.mdb"))) << count.calls.join(u',').toStdString();
    }
    ASSERT_GE(total, 4);
    for (int failAt = 1; failAt <= total; ++failAt) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("kerho.mdb"));
        ASSERT_TRUE(QFile::copy(src, path));
        test::FailingFileSafety files;
        files.failAt = failAt;
        bool threw = false;
        try {
            RepairDatabase(path);
        } catch (const DbException&) {
            threw = true;
        }
        const QString step = files.calls.value(failAt - 1);
        SCOPED_TRACE(step.toStdString() + " of " + files.calls.join(u',').toStdString());
        if (!threw) {
            // A file system without hard links gets a copy of the original instead; a failed
            // flush of the folder after the last rename comes too late to undo anything.
            EXPECT_TRUE(step.startsWith(QStringLiteral("link")) || step.startsWith(QStringLiteral("syncfolder")));
            EXPECT_TRUE(filesIn(dir.path()).contains(QStringLiteral("kerho_vioittunut.mdb")));
            continue;
        }
        EXPECT_EQ(digest(path), damagedDigest);
        EXPECT_EQ(filesIn(dir.path()), QStringList{QStringLiteral("kerho.mdb")});
    }
}

// Through a chain of two links, the file at its end is repaired and its damaged original kept
// beside it; the links stay links, and nothing is written beside them.
TEST_F(DatabaseFilesTest, RepairThroughLinksRepairsTheFileAtTheirEndAndKeepsTheLinks)
{
    damage(src, 40);
    const QByteArray damagedDigest = digest(src);
    const QString links = folder.path("linkit");
    QDir().mkpath(links);
    ASSERT_TRUE(QFile::link(QStringLiteral("../kerho.mdb"), links + QStringLiteral("/välissä.mdb")));
    ASSERT_TRUE(QFile::link(QStringLiteral("välissä.mdb"), links + QStringLiteral("/seura.mdb")));

    const RepairResult r = RepairDatabase(links + QStringLiteral("/seura.mdb"));
    EXPECT_TRUE(r.wasDamaged);
    EXPECT_EQ(r.keptOriginalAs, folder.path("kerho_vioittunut.mdb"));
    EXPECT_EQ(digest(r.keptOriginalAs), damagedDigest);
    EXPECT_EQ(QFile::symLinkTarget(links + QStringLiteral("/seura.mdb")), links + QStringLiteral("/välissä.mdb"));
    EXPECT_EQ(QFile::symLinkTarget(links + QStringLiteral("/välissä.mdb")), src);
    EXPECT_EQ(filesIn(links), (QStringList{QStringLiteral("seura.mdb"), QStringLiteral("välissä.mdb")}));
    Database db = Database::open(src);
    EXPECT_EQ(db.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM jrNimet")).toInt64(), r.rowsSalvaged);
}

// The program's folder is a link to a stick (Tikkeli -> usb/Tikkeli) and the database in it a
// relative link "../data/kerho.mdb": the damaged file the system opens, usb/data/kerho.mdb, is
// repaired and kept beside itself. data/kerho.mdb, where the link read as text leads, is another
// club's healthy file and stays untouched.
TEST_F(DatabaseFilesTest, RepairThroughALinkedFolderRepairsTheFileTheSystemOpens)
{
    const QString root = QFileInfo(src).canonicalPath();
    for (const char* dir : {"usb/Tikkeli", "usb/data", "data"})
        QDir(root).mkpath(QLatin1String(dir));
    const QString other = root + QStringLiteral("/data/kerho.mdb");
    ASSERT_TRUE(QFile::copy(src, other));
    const QByteArray otherDigest = digest(other);
    const QString file = root + QStringLiteral("/usb/data/kerho.mdb");
    damage(src, 40);
    ASSERT_TRUE(QFile::rename(src, file));
    const QByteArray damagedDigest = digest(file);
    ASSERT_TRUE(QFile::link(root + QStringLiteral("/usb/Tikkeli"), root + QStringLiteral("/Tikkeli")));
    ASSERT_TRUE(QFile::link(QStringLiteral("../data/kerho.mdb"), root + QStringLiteral("/usb/Tikkeli/seura.mdb")));

    const RepairResult r = RepairDatabase(root + QStringLiteral("/Tikkeli/seura.mdb"));
    EXPECT_TRUE(r.wasDamaged);
    EXPECT_EQ(r.keptOriginalAs, root + QStringLiteral("/usb/data/kerho_vioittunut.mdb"));
    EXPECT_EQ(digest(r.keptOriginalAs), damagedDigest);
    EXPECT_EQ(digest(other), otherDigest);
    EXPECT_EQ(filesIn(root + QStringLiteral("/data")), QStringList{QStringLiteral("kerho.mdb")});
    EXPECT_TRUE(QFileInfo(root + QStringLiteral("/Tikkeli")).isSymLink());
    EXPECT_TRUE(QFileInfo(root + QStringLiteral("/usb/Tikkeli/seura.mdb")).isSymLink());
    EXPECT_EQ(filesIn(root + QStringLiteral("/usb/Tikkeli")), QStringList{QStringLiteral("seura.mdb")});
    Database db = Database::open(file);
    EXPECT_EQ(db.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM jrNimet")).toInt64(), r.rowsSalvaged);
}

TEST_F(DatabaseFilesTest, RepairStoppedAtAnyStepLeavesAWholeDatabaseAtItsName)
{
    damage(src, 40);
    const QByteArray damagedDigest = digest(src);
    for (int stopAt = 1; stopAt <= 12; ++stopAt) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("kerho.mdb"));
        ASSERT_TRUE(QFile::copy(src, path));
        {
            test::FailingFileSafety files;
            files.stopAt = stopAt;
            try {
                RepairDatabase(path);
            } catch (const DbException&) {
            }
        }
        ASSERT_TRUE(QFileInfo::exists(path)) << stopAt;
        // Either the damaged original, untouched, or the repaired file that checks clean.
        if (digest(path) != damagedDigest) {
            Database db = Database::open(path);
            EXPECT_EQ(db.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok")) << stopAt;
            db.close();
            ConnectionRegistry::closeAll(path);
        }
    }
}

// Another program (the sqlite3 shell, a process of its own) is in the middle of a save into the
// damaged file, or holds the lock of a sound one, when the repair begins: the repair is refused as
// a save under way, the file and the other program's journal as they were, and that program's
// commit goes through. Once it has, the repair salvages the file with the other program's row.
TEST_F(DatabaseFilesTest, RepairLeavesAnotherProgramsSaveUnderWayWhole)
{
    struct Case {
        const char* name;
        bool damaged;
        const char* begin;
        const char* rowsAfter; // the other program's table once the repair has run
    };
    const Case cases[] = {
        {"a save under way into a damaged file", true, "BEGIN IMMEDIATE; INSERT INTO muu (x) VALUES ('toisen');", "toisen"},
        {"the lock held on a sound file", false, "BEGIN EXCLUSIVE;", ""},
    };
    struct ShortWait {
        int was = std::exchange(RepairWriterWaitMs, 300);
        ~ShortWait() { RepairWriterWaitMs = was; }
    } shortWait;
    ASSERT_TRUE(writtenByPlainSqlite(src, "CREATE TABLE muu (x TEXT)"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("kerho.mdb"));
        ASSERT_TRUE(QFile::copy(src, path));
        if (c.damaged)
            damage(path, 40);
        const QByteArray before = digest(path);
        test::SaveUnderWay other(path, QString::fromUtf8(c.begin));
        try {
            RepairDatabase(path);
            ADD_FAILURE() << "repaired in the middle of the other program's save";
        } catch (const DbException& e) {
            EXPECT_EQ(e.number(), DbErr::Locked) << e.description().toStdString();
            EXPECT_FALSE(e.description().contains(QStringLiteral("ei voi lukea"))) << e.description().toStdString();
        }
        EXPECT_TRUE(other.journalUntouched());
        EXPECT_EQ(digest(path), before);
        EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("kerho_vioittunut.mdb"))));
        EXPECT_TRUE(other.commit());

        const RepairResult r = RepairDatabase(path);
        EXPECT_EQ(r.wasDamaged, c.damaged);
        EXPECT_EQ(test::FileRows(path, QStringLiteral("SELECT x FROM muu")), QString::fromUtf8(c.rowsAfter));
        EXPECT_EQ(test::FileRows(path, QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    }
}

// Another program tries to save into the damaged file at every file step of the repair until the
// repaired file takes its name, on a file system without hard links, where the original is copied
// aside: every save is refused, so no commit goes into the original after the copy has been made.
TEST_F(DatabaseFilesTest, AnotherProgramCannotSaveWhileTheRepairHoldsTheFile)
{
    const auto otherSaves = [](const QString& path) {
        QProcess other;
        other.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), QStringLiteral("-bail"), path,
                                                QStringLiteral("INSERT INTO muu (x) VALUES ('toinen')")});
        return other.waitForFinished(30000) && other.exitStatus() == QProcess::NormalExit && other.exitCode() == 0;
    };
    ASSERT_TRUE(writtenByPlainSqlite(src, "CREATE TABLE muu (x TEXT)"));
    damage(src, 40);
    ASSERT_TRUE(otherSaves(src)) << "the other program saves while no repair holds the file";
    int tries = 0;
    int saved = 0;
    bool replaced = false;
    test::FailingFileSafety files;
    files.fault = [&](FileStep step, const QString& at) {
        if (!replaced) {
            ++tries;
            saved += otherSaves(src);
        }
        replaced = replaced || (step == FileStep::Rename && QFileInfo(at).fileName() == QStringLiteral("kerho.mdb"));
        return step == FileStep::Link ? EPERM : 0;
    };
    const RepairResult r = RepairDatabase(src);
    EXPECT_TRUE(replaced);
    EXPECT_GE(tries, 10) << files.calls.join(u',').toStdString();
    EXPECT_EQ(saved, 0) << "of " << tries;
    EXPECT_EQ(test::FileRows(r.keptOriginalAs, QStringLiteral("SELECT count(*) FROM muu")), QStringLiteral("1"));
    EXPECT_EQ(test::FileRows(src, QStringLiteral("SELECT count(*) FROM muu")), QStringLiteral("1"));
}

TEST_F(DatabaseFilesTest, RepairKeepsTheRowsOfEveryUndamagedPage)
{
    struct Case {
        const char* name;
        qint64 cutBytes; // bytes cut off the end (0: none)
        int zeroedPage;  // a page overwritten with zeros (0: none)
    };
    const qint64 size = QFileInfo(src).size();
    const Case cases[] = {
        {"eight pages cut", 8 * 4096, 0},
        {"a quarter cut", size / 4 / 4096 * 4096, 0},
        {"half cut", size / 2 / 4096 * 4096, 0},
        {"cut mid-page", size / 3 + 1000, 0},
        {"page zeroed", 0, 30},
        {"page near the end zeroed", 0, int(size / 4096) - 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("kerho.mdb"));
        ASSERT_TRUE(QFile::copy(src, path));
        {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            if (c.cutBytes) {
                ASSERT_TRUE(f.resize(size - c.cutBytes));
            }
            if (c.zeroedPage) {
                ASSERT_TRUE(f.seek(qint64(c.zeroedPage - 1) * 4096));
                f.write(QByteArray(4096, '\0'));
            }
        }
        // About 30 rows fit a page: what is lost is what lay on the damaged pages.
        const qint64 damagedBytes = c.cutBytes ? c.cutBytes : 4096;
        const qint64 mostLost = (damagedBytes / 4096 + 2) * 40;
        const RepairResult r = RepairDatabase(path);
        ASSERT_TRUE(r.wasDamaged);
        EXPECT_GE(r.rowsSalvaged, 2000 - 10 - mostLost) << r.problems.join(u'\n').toStdString();
        ASSERT_FALSE(r.tables.empty());
        EXPECT_EQ(r.tables.front().table, QStringLiteral("jr"));
        EXPECT_EQ(r.tables.front().saved, r.rowsSalvaged);
        // A damaged index page loses no row; a damaged table page is reported with its rows.
        if (r.rowsSalvaged < 1990) {
            EXPECT_FALSE(r.tables.front().lost.isEmpty());
            EXPECT_TRUE(r.problems.join(u' ').contains(QStringLiteral("menetettiin")));
        }
        Database db = Database::open(path);
        EXPECT_EQ(db.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
        EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM jr")).toInt64(), r.rowsSalvaged);
        // The first and the last undamaged rows are both there.
        EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM jr WHERE jrID = 11")).toInt64(), 1);
        EXPECT_EQ(db.scalar(QStringLiteral("PRAGMA application_id")).toInt64(), DatabaseApplicationId);
        db.close();
        ConnectionRegistry::closeAll(path);
    }
}

TEST(DatabaseProbe, ForeignOrTinySqliteFilesAreRefusedUntouched)
{
    QTemporaryDir dir;
    // Another program's database: no application id of ours, none of our tables.
    const QString foreign = dir.filePath(QStringLiteral("muu.mdb"));
    ASSERT_TRUE(writtenByPlainSqlite(foreign, "PRAGMA journal_mode=WAL; CREATE TABLE kirjat (id INTEGER PRIMARY KEY, "
                                              "nimi TEXT); INSERT INTO kirjat (nimi) VALUES ('x');"));
    const QString otherId = dir.filePath(QStringLiteral("toinen.mdb"));
    ASSERT_TRUE(writtenByPlainSqlite(otherId, "PRAGMA application_id=1234; CREATE TABLE jr (jrID INTEGER PRIMARY KEY);"));
    const QString tiny = dir.filePath(QStringLiteral("pieni.mdb"));
    {
        QFile f(tiny);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("SQLite format 3\0", 16) + QByteArray(60, '\1'));
    }
    for (const QString& path : {foreign, otherId, tiny}) {
        SCOPED_TRACE(path.toStdString());
        const QByteArray before = digest(path);
        const QStringList filesBefore = filesIn(dir.path());
        EXPECT_FALSE(ProbeDatabaseFile(path).isSQLite());
        EXPECT_EQ(ProbeDatabaseFile(path).error.number, DbErr::NotADatabase);
        try {
            Database::open(path);
            ADD_FAILURE() << "opened";
        } catch (const DbException& e) {
            EXPECT_EQ(e.number(), DbErr::NotADatabase);
        }
        EXPECT_THROW(RepairDatabase(path), DbException);
        EXPECT_EQ(digest(path), before);
        EXPECT_EQ(filesIn(dir.path()), filesBefore);
    }
}

TEST(DatabaseProbe, AnOlderFileOfOursIsKnownByItsTablesAndGetsOurMark)
{
    QTemporaryDir dir;
    const QString old = dir.filePath(QStringLiteral("vanha.mdb"));
    ASSERT_TRUE(writtenByPlainSqlite(old, "CREATE TABLE jr (jrID INTEGER PRIMARY KEY AUTOINCREMENT, jrSukunimi TEXT);"));
    EXPECT_TRUE(ProbeDatabaseFile(old).isSQLite());
    Database db = Database::open(old);
    EXPECT_EQ(db.scalar(QStringLiteral("PRAGMA application_id")).toInt64(), DatabaseApplicationId);
    db.close();
    ConnectionRegistry::closeAll(old);
}

TEST_F(DatabaseFilesTest, BackupIsConsistentWhileAnotherConnectionWrites)
{
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(src.toUtf8().constData(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(writer,
                           "BEGIN IMMEDIATE; DELETE FROM jr WHERE jrID <= 1000;"
                           "INSERT INTO jr (jrNimi) VALUES ('kesken');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
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
