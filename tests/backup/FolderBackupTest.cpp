#include "support/FailingFileSafety.h"
#include "support/MaintTestDb.h"

#include "backup/FolderBackup.h"
#include "base/ScriptedPrompter.h"
#include "db/Database.h"
#include "db/Transaction.h"
#include "base/SharedState.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <optional>
#include <sqlite3.h>

using namespace tikkeli;
using tikkeli::test::FailingFileSafety;
using tikkeli::test::MaintTestDb;

namespace {

const QString StartNote = QStringLiteral("Aloitetaan tietokannan varmuuskopiointi ja uudelleenjärjestely.");
const QString DoneNote = QStringLiteral("Tietokannan varmuuskopiointi ja uudelleenjärjestely valmis.");
const QString CompactionFailed = QStringLiteral("Tietokannan uudelleenjärjestely ei onnistunut. Tietokanta on ennallaan.\n");

class FolderBackupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.fill();
        backupDir = t.dir() + QStringLiteral("/Varmistus");
        QDir().mkpath(backupDir);
        State().BackupFolder = backupDir; // no trailing separator
    }

    QString db() const { return t.path(); }
    // The club's file: the database's path, or the file its link points to.
    QString file() const { return fileDir + QStringLiteral("/seura.mdb"); }
    QString md2() const { return fileDir + QStringLiteral("/seura.md2"); }
    QString md3() const { return fileDir + QStringLiteral("/seura.md3"); }
    // The database's path becomes a link to the club's file in a folder of its own.
    void linkDatabase()
    {
        fileDir = t.dir() + QStringLiteral("/kerho");
        ASSERT_TRUE(QDir().mkpath(fileDir));
        ASSERT_TRUE(QFile::rename(db(), file()));
        ASSERT_TRUE(QFile::link(file(), db()));
    }
    void expectLinkToTheFile() const
    {
        if (fileDir == t.dir())
            return;
        EXPECT_TRUE(QFileInfo(db()).isSymLink());
        EXPECT_EQ(QFileInfo(db()).symLinkTarget(), file());
    }
    QString copy() const { return backupDir + QStringLiteral("/seura.mdb"); }

    // The database at path opens, holds the club's rows and no marker.
    static void expectIntact(const QString& path)
    {
        SCOPED_TRACE(path.toStdString());
        ASSERT_TRUE(QFile::exists(path));
        Database d = Database::open(path);
        EXPECT_EQ(d.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
        EXPECT_EQ(d.scalar(QStringLiteral("SELECT COUNT(*) FROM jr WHERE BackupRow = 0")).toInt64(), 3);
        EXPECT_EQ(d.scalar(QStringLiteral("SELECT COUNT(*) FROM jmRivi")).toInt64(), 3);
        for (const char* table :
             {"el", "et", "jr", "jm", "jmhist", "jmRivi", "lt", "me", "mt", "mvs", "pi", "pt", "si", "tl", "vs"})
            EXPECT_EQ(
                d.scalar(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE BackupRow = 1").arg(QLatin1String(table))).toInt64(),
                0)
                << table;
        d.close();
        ConnectionRegistry::closeAll(path);
    }
    QStringList filesBeside() const
    {
        QStringList files = QDir(t.dir()).entryList(QDir::Files);
        files.sort();
        return files;
    }

    MaintTestDb t;
    QString fileDir = t.dir();
    QString backupDir;
};

} // namespace

TEST_F(FolderBackupTest, CopiesCompactsAndKeepsThePreviousFileAsMd3)
{
    t.open().execute(QStringLiteral("INSERT INTO jr (jrSukunimi) VALUES ('Uusi')")); // jrID 4
    t.open().execute(QStringLiteral("DELETE FROM jr WHERE jrID = 4"));
    FailingFileSafety files;
    ScriptedPrompter p;
    FolderBackup::backup();

    ASSERT_EQ(p.messageTexts().size(), 2);
    EXPECT_EQ(p.messageTexts()[0], StartNote + QStringLiteral("\nVarmista että kohde ") + backupDir
                                       + QStringLiteral(" on valmiina.\nKopiointi kestää hetken..."));
    EXPECT_EQ(p.messageTexts()[1], DoneNote);
    // The previous file gets its second name before the compacted one takes the database's name in
    // one rename: the name never stands empty.
    const QString calls = files.calls.join(u',');
    const qsizetype linked = files.calls.indexOf(QStringLiteral("link seura.md3"));
    EXPECT_GE(linked, 0) << calls.toStdString();
    EXPECT_GT(files.calls.indexOf(QStringLiteral("rename seura.mdb"), linked), linked) << calls.toStdString();
    EXPECT_FALSE(calls.contains(QStringLiteral("remove seura.mdb"))) << calls.toStdString();
    expectIntact(db());
    expectIntact(copy());
    expectIntact(md3());
    EXPECT_EQ(filesBeside(), QStringList({"seura.md3", "seura.mdb"}));

    // The key counters travel with the compacted file by themselves: 4 was spent and stays spent.
    Database d = t.open();
    d.execute(QStringLiteral("INSERT INTO jr (jrSukunimi) VALUES ('Seuraava')"));
    EXPECT_EQ(d.lastInsertId(), 5);
    EXPECT_FALSE(d.scalar(QStringLiteral("SELECT setString FROM Settings WHERE setKey = 'BackupDate'")).isNull());
}

TEST_F(FolderBackupTest, StaleCopiesOfOursAreReplacedButAnUnrelatedFileIsNeverDeleted)
{
    QFile::copy(db(), md3());
    QFile::copy(db(), md2());
    {
        FailingFileSafety files;
        ScriptedPrompter p;
        FolderBackup::backup();
        EXPECT_EQ(p.messageTexts().last(), DoneNote);
        EXPECT_TRUE(files.calls.contains(QStringLiteral("remove seura.md2")));
        EXPECT_TRUE(files.calls.contains(QStringLiteral("remove seura.md3")));
        expectIntact(db());
        expectIntact(md3());
        EXPECT_EQ(filesBeside(), QStringList({"seura.md3", "seura.mdb"}));
    }
    for (const QString& foreign : {md2(), md3()}) {
        SCOPED_TRACE(foreign.toStdString());
        QFile::remove(md2());
        QFile::remove(md3());
        test::WriteFileBytes(foreign, "käyttäjän omaa tekstiä");
        const QByteArray before = test::ReadFileBytes(db());
        ScriptedPrompter p;
        FolderBackup::backup();
        EXPECT_EQ(p.shown().back().icon, MsgIcon::Critical);
        EXPECT_TRUE(p.messageTexts().last().contains(QStringLiteral("ei ole Tikkelin tietokanta")));
        EXPECT_EQ(test::ReadFileBytes(foreign), "käyttäjän omaa tekstiä");
        expectIntact(db());
    }
}

TEST_F(FolderBackupTest, ADatabaseNameNotEndingInMdbIsRefused)
{
    for (const char* name : {"seura.md3", "seura.md2", "clu"}) {
        const QString path = t.dir() + QLatin1Char('/') + QLatin1String(name);
        QFile::copy(db(), path);
        // "clu" would make "clu2": a text file of the user's.
        test::WriteFileBytes(t.dir() + QStringLiteral("/cl2"), "teksti");
        State().DatabasePath = path;
        FailingFileSafety files;
        ScriptedPrompter p;
        FolderBackup::backup();
        EXPECT_TRUE(files.calls.isEmpty());
        ASSERT_EQ(p.messageTexts().size(), 2);
        EXPECT_EQ(p.shown()[1].icon, MsgIcon::Critical);
        EXPECT_TRUE(p.messageTexts()[1].contains(QStringLiteral(".mdb")));
        expectIntact(path);
        EXPECT_EQ(test::ReadFileBytes(t.dir() + QStringLiteral("/cl2")), "teksti");
        QFile::remove(path);
    }
    // A link to the club's file under the name of one of its copies would be that copy.
    const QString link = t.dir() + QStringLiteral("/seura.md2");
    ASSERT_TRUE(QFile::link(db(), link));
    State().DatabasePath = link;
    FailingFileSafety files;
    ScriptedPrompter p;
    FolderBackup::backup();
    EXPECT_TRUE(files.calls.isEmpty());
    EXPECT_TRUE(p.messageTexts().last().contains(QStringLiteral("jota varmuuskopiointi käyttää")));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    expectIntact(db());
    // A file in a folder that is itself a link (a stick's folder linked in) is no link: the refusal
    // says nothing of one.
    const QString stick = t.dir() + QStringLiteral("/tikku");
    ASSERT_TRUE(QDir().mkpath(stick));
    ASSERT_TRUE(QFile::copy(db(), stick + QStringLiteral("/seura.db")));
    ASSERT_TRUE(QFile::link(stick, t.dir() + QStringLiteral("/kerho")));
    State().DatabasePath = t.dir() + QStringLiteral("/kerho/seura.db");
    p.clear();
    FolderBackup::backup();
    EXPECT_TRUE(files.calls.isEmpty());
    EXPECT_TRUE(p.messageTexts().last().contains(QStringLiteral("päättyä \".mdb\"")));
    EXPECT_FALSE(p.messageTexts().last().contains(QStringLiteral("linkki"))) << p.messageTexts().last().toStdString();
    expectIntact(stick + QStringLiteral("/seura.db"));
}

// The crash and fault harness: the run is failed, and then stopped, at each of its file steps in
// turn. After every run the database at its name checks clean and holds the club's rows without
// any marker, and the user was told of a failure exactly when the run did not finish.
// The same over a database reached through a link: the link stays a link to the club's file, which
// is the one compacted.
class FolderBackupSteps : public FolderBackupTest, public ::testing::WithParamInterface<bool> {};

TEST_P(FolderBackupSteps, FailedOrStoppedAtEveryFileStepTheDatabaseStaysWhole)
{
    if (GetParam())
        linkDatabase();
    const QByteArray original = test::ReadFileBytes(file());
    int total = 0;
    {
        FailingFileSafety count;
        ScriptedPrompter p;
        FolderBackup::backup();
        ASSERT_EQ(p.messageTexts().last(), DoneNote);
        expectLinkToTheFile();
        expectIntact(md3());
        total = count.steps();
    }
    ASSERT_GE(total, 6);
    for (const bool stop : {false, true}) {
        for (int n = 1; n <= total; ++n) {
            ConnectionRegistry::closeAll(db());
            for (const QString& f : {md2(), md3(), copy()})
                QFile::remove(f);
            test::WriteFileBytes(file(), original);
            FailingFileSafety files;
            (stop ? files.stopAt : files.failAt) = n;
            ScriptedPrompter p;
            FolderBackup::backup();
            const QString step = files.calls.value(n - 1);
            SCOPED_TRACE((stop ? "stopped at " : "failed at ") + step.toStdString() + " of "
                         + files.calls.join(u',').toStdString());
            expectIntact(db());
            expectLinkToTheFile();
            const bool done = p.messageTexts().last() == DoneNote;
            if (!stop) {
                // Without hard links the previous file is copied instead; the others must fail.
                // A folder's flush after a name has changed cannot undo the change.
                const bool tolerated = step.startsWith(QStringLiteral("link"))
                                       || step.startsWith(QStringLiteral("syncfolder"));
                EXPECT_EQ(done, tolerated);
                if (!done) {
                    EXPECT_EQ(p.shown().back().icon, MsgIcon::Critical);
                }
                if (files.calls.size() <= 3) {
                    // The copy into the backup folder failed: its own failure is named as the cause.
                    EXPECT_TRUE(p.messageTexts().back().contains(QStringLiteral("\n\nSyy: ")))
                        << p.messageTexts().back().toStdString();
                }
            }
            // A failed run cleans up after itself; a stopped one leaves at most the compacted
            // copy, which the next run removes.
            if (!stop) {
                EXPECT_FALSE(QFile::exists(md2()));
            }
        }
    }
}
INSTANTIATE_TEST_SUITE_P(DirectOrLinked, FolderBackupSteps, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "ThroughALink" : "Direct"; });

TEST_F(FolderBackupTest, LeftoverMarkersAreRemovedFirstAndAFailedRemovalIsReported)
{
    t.open().execute(QStringLiteral("INSERT INTO jr (BackupRow) VALUES (1)"));
    t.open().execute(QStringLiteral("INSERT INTO pi (BackupRow) VALUES (1)"));
    ASSERT_EQ(t.totalMarkers(), 2);
    {
        ScriptedPrompter p;
        FolderBackup::backup();
        EXPECT_EQ(p.messageTexts().last(), DoneNote);
        EXPECT_EQ(t.totalMarkers(), 0);
    }
    t.open().execute(QStringLiteral("INSERT INTO jr (BackupRow) VALUES (1)"));
    t.open().execute(QStringLiteral("CREATE TRIGGER pysy BEFORE DELETE ON jr BEGIN SELECT RAISE(ABORT, 'lukittu'); END"));
    ScriptedPrompter p;
    FolderBackup::backup();
    EXPECT_EQ(p.shown().back().icon, MsgIcon::Critical);
    EXPECT_NE(p.messageTexts().last(), DoneNote);
    EXPECT_TRUE(p.messageTexts().last().contains(QStringLiteral("merkintärivien poisto ei onnistunut")));
}

TEST_F(FolderBackupTest, AJournalBesideTheDatabaseStopsTheRename)
{
    const QByteArray before = test::ReadFileBytes(db());
    FailingFileSafety files;
    // Another program's interrupted write leaves its journal while the copy is being checked.
    files.fault = [&](FileStep step, const QString&) {
        if (step == FileStep::Verify && QFileInfo(db() + QStringLiteral("-journal")).size() == 0)
            test::WriteFileBytes(db() + QStringLiteral("-journal"), "keskeneräinen");
        return 0;
    };
    ScriptedPrompter p;
    FolderBackup::backup();
    EXPECT_EQ(p.shown().back().icon, MsgIcon::Critical);
    EXPECT_TRUE(p.messageTexts().last().contains(QStringLiteral("lokitiedosto")));
    EXPECT_EQ(test::ReadFileBytes(db()), before);
    EXPECT_EQ(files.calls.count(QStringLiteral("rename seura.mdb")), 1); // the copy in the backup folder only
    QFile::remove(db() + QStringLiteral("-journal"));
}

TEST_F(FolderBackupTest, FolderWithTrailingSeparatorAndRefusalOfTheDatabaseItself)
{
    {
        State().BackupFolder = backupDir + QLatin1Char('/');
        ScriptedPrompter p;
        FolderBackup::backup();
        EXPECT_EQ(p.messageTexts().last(), DoneNote);
        EXPECT_TRUE(QFile::exists(copy()));
    }
    // The database's own folder as the backup folder would make the database its own copy.
    State().BackupFolder = t.dir();
    const QByteArray before = test::ReadFileBytes(db());
    FailingFileSafety ops;
    ScriptedPrompter p;
    FolderBackup::backup();
    ASSERT_EQ(p.messageTexts().size(), 2);
    EXPECT_TRUE(p.messageTexts()[1].startsWith(QStringLiteral("Tietokantaa ei voida kopioida ")));
    EXPECT_TRUE(p.messageTexts()[1].contains(QStringLiteral("\n\nSyy: varmistushakemisto ") + t.dir()
                                             + QStringLiteral(" on tietokannan oma hakemisto.")));
    EXPECT_TRUE(ops.calls.isEmpty());
    EXPECT_EQ(test::ReadFileBytes(db()), before);
}

TEST_F(FolderBackupTest, RefusedWhileAWindowIsSavingAndNothingChanges)
{
    Database window = t.open();
    Transaction saving(window);
    window.execute(QStringLiteral("UPDATE jr SET jrEtunimi = 'Kesken' WHERE jrID = 1"));
    FailingFileSafety ops;
    ScriptedPrompter p;
    FolderBackup::backup();
    EXPECT_TRUE(ops.calls.isEmpty());
    ASSERT_EQ(p.messageTexts().size(), 2);
    EXPECT_TRUE(p.messageTexts()[1].contains(QStringLiteral("Tietokantaan ei tehty muutoksia.")));
    saving.rollback();
    window.close();
    expectIntact(db());
    EXPECT_FALSE(QFile::exists(copy()));
}

TEST_F(FolderBackupTest, WindowsReopenTheCompactedFileAfterwards)
{
    Database window = t.open();
    EXPECT_EQ(window.scalar(QStringLiteral("SELECT COUNT(*) FROM jr")).toInt64(), 3);
    ScriptedPrompter p;
    FolderBackup::backup();
    EXPECT_EQ(p.messageTexts().last(), DoneNote);
    window.execute(QStringLiteral("INSERT INTO jr (jrSukunimi) VALUES ('Ikkunasta')"));
    window.close();
    ConnectionRegistry::closeAll(db());
    EXPECT_EQ(t.count(QStringLiteral("jr")), 4); // written into the file now at the database's name
    Database old = Database::open(md3());
    EXPECT_EQ(old.scalar(QStringLiteral("SELECT COUNT(*) FROM jr")).toInt64(), 3);
}

TEST_F(FolderBackupTest, CopyTakenWhileAnotherConnectionWritesIsConsistent)
{
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(db()).constData(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other,
                           "BEGIN IMMEDIATE; INSERT INTO jr (jrSukunimi) VALUES ('Kesken');"
                           "UPDATE jm SET jmHinta = 0;",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    ScriptedPrompter p;
    FolderBackup::backup();
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);

    expectIntact(copy());
    Database c = Database::open(copy());
    EXPECT_EQ(c.scalar(QStringLiteral("SELECT COUNT(*) FROM jr")).toInt64(), 3);
    EXPECT_EQ(c.scalar(QStringLiteral("SELECT SUM(jmHinta) FROM jm")).toCurrency().raw(), 7445730);
    c.close();
    // The other writer kept the compaction from running; the database stays whole either way.
    // Its journal beside the file stops the rename: the file alone is not the whole database then.
    EXPECT_TRUE(p.messageTexts().last() == DoneNote || p.messageTexts().last().startsWith(CompactionFailed)
                || p.messageTexts().last().contains(QStringLiteral("lokitiedosto")))
        << p.messageTexts().last().toStdString();
    expectIntact(db());
}

TEST_F(FolderBackupTest, MissingBackupFolderIsReportedAndNothingChanges)
{
    State().BackupFolder = t.dir() + QStringLiteral("/eiole");
    ScriptedPrompter p;
    FolderBackup::backup();
    ASSERT_EQ(p.messageTexts().size(), 2);
    EXPECT_EQ(p.messageTexts()[1], QStringLiteral("Tietokantaa ei voida kopioida \nhakemistosta: ") + db()
                                       + QStringLiteral("\nhakemistoon: ") + t.dir()
                                       + QStringLiteral("/eiole/seura.mdb\n\nSyy: varmistushakemistoa ") + t.dir()
                                       + QStringLiteral("/eiole ei ole olemassa.\n\nTarkista asetuksista tietokanta ja "
                                                        "varmistushakemistot!\nYritä tämän jälkeen uudestaan."));
    expectIntact(db());
    EXPECT_EQ(filesBeside(), QStringList({"seura.mdb"}));
}

// A window's save tried between the compaction's read and the rename cannot begin: the compaction
// holds the file's write lock, so the save waits and is refused as busy, and the backup completes
// with every row in the compacted file.
TEST_F(FolderBackupTest, ASaveTriedDuringTheCompactionIsRefusedAsBusyAndTheBackupCompletes)
{
    Database window = t.open();
    std::optional<int> refused;
    FailingFileSafety ops;
    ops.fault = [&](FileStep step, const QString& path) {
        if (step == FileStep::Verify && path.contains(QStringLiteral("seura.md2")) && !refused) {
            sqlite3_busy_timeout(window.handle(), 50);
            try {
                Transaction saving(window);
                window.execute(QStringLiteral("INSERT INTO jr (jrSukunimi) VALUES ('Kesken')"));
                saving.commit();
                refused = 0;
            } catch (const DbException& e) {
                refused = e.number();
            }
        }
        return 0;
    };
    ScriptedPrompter p;
    FolderBackup::backup();
    window.close();

    EXPECT_EQ(refused, DbErr::Locked);
    EXPECT_EQ(p.messageTexts().last(), DoneNote);
    expectIntact(db());
    EXPECT_EQ(filesBeside(), QStringList({"seura.md3", "seura.mdb"}));
}
