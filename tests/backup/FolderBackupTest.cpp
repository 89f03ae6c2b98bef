#include "support/FailingFileOps.h"
#include "support/MaintTestDb.h"

#include "backup/FolderBackup.h"
#include "base/ScriptedPrompter.h"
#include "db/Database.h"
#include "db/Transaction.h"
#include "base/SharedState.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <optional>
#include <sqlite3.h>

using namespace tikkeli;
using tikkeli::test::FailingFileOps;
using tikkeli::test::MaintTestDb;

namespace {

const QString StartNote = QStringLiteral("Aloitetaan tietokannan varmuuskopiointi ja uudelleenjärjestely.");
const QString DoneNote = QStringLiteral("Tietokannan varmuuskopiointi ja uudelleenjärjestely valmis.");
const QString CompactionFailed = QStringLiteral("Tietokannan uudelleenjärjestely ei onnistunut. Palauta tietokanta "
                                                "varmuuskopiolta ennen kuin jatkat Tikkelin käyttöä.\n");
const QString RenameFailed = QStringLiteral("Tietokannan uudelleen nimeäminen ei onnistu.");
const QString SecondRenameFailed = QStringLiteral("Korjatun tietokannan uudelleen nimeäminen ei onnistu.");

class FolderBackupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.fill();
        backupDir = t.dir() + QStringLiteral("/Varmistus");
        QDir().mkpath(backupDir);
        State().BackupFolder = backupDir;    // no trailing separator
    }

    QString db() const { return t.path(); }
    QString md2() const { return t.dir() + QStringLiteral("/seura.md2"); }
    QString md3() const { return t.dir() + QStringLiteral("/seura.md3"); }
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
        for (const char* table : {"el", "et", "jr", "jm", "jmhist", "jmRivi", "lt", "me", "mt", "mvs", "pi", "pt", "si", "tl", "vs"})
            EXPECT_EQ(d.scalar(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE BackupRow = 1").arg(QLatin1String(table))).toInt64(), 0)
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
    QString backupDir;
};

} // namespace

TEST_F(FolderBackupTest, CopiesCompactsAndKeepsThePreviousFileAsMd3)
{
    t.open().execute(QStringLiteral("DELETE FROM jr WHERE jrID = 3"));
    t.open().execute(QStringLiteral("INSERT INTO jr (jrSukunimi) VALUES ('Uusi')"));   // jrID 4
    FailingFileOps ops;
    ScriptedPrompter p;
    FolderBackup::backup();

    ASSERT_EQ(p.messageTexts().size(), 2);
    EXPECT_EQ(p.messageTexts()[0], StartNote + QStringLiteral("\nVarmista että kohde ") + backupDir
                                       + QStringLiteral(" on valmiina.\nKopiointi kestää hetken..."));
    EXPECT_EQ(p.messageTexts()[1], DoneNote);
    EXPECT_EQ(ops.calls, QStringList({"backup seura.mdb seura.mdb", "compact seura.mdb seura.md2",
                                      "rename seura.mdb seura.md3", "rename seura.md2 seura.mdb"}));
    expectIntact(db());
    expectIntact(copy());
    expectIntact(md3());
    EXPECT_EQ(filesBeside(), QStringList({"seura.md3", "seura.mdb"}));

    // Keys handed out before are not handed out again.
    Database d = t.open();
    d.execute(QStringLiteral("INSERT INTO jr (jrSukunimi) VALUES ('Seuraava')"));
    EXPECT_EQ(d.lastInsertId(), 6);   // 5 went to the marker
    EXPECT_FALSE(d.scalar(QStringLiteral("SELECT setString FROM Settings WHERE setKey = 'BackupDate'")).isNull());
}

TEST_F(FolderBackupTest, StaleMd3IsReplacedAndStaleMd2Removed)
{
    test::WriteFileBytes(md3(), "vanha");
    test::WriteFileBytes(md2(), "keskeytynyt");
    FailingFileOps ops;
    ScriptedPrompter p;
    FolderBackup::backup();
    EXPECT_EQ(p.messageTexts().last(), DoneNote);
    EXPECT_TRUE(ops.calls.contains(QStringLiteral("remove seura.md2")));
    EXPECT_TRUE(ops.calls.contains(QStringLiteral("remove seura.md3")));
    expectIntact(db());
    expectIntact(md3());
    EXPECT_EQ(filesBeside(), QStringList({"seura.md3", "seura.mdb"}));
}

// Every injected failure: what the user is told, and that the database is in place, whole and free
// of markers, with nothing new left beside it.
TEST_F(FolderBackupTest, InjectedFailuresLeaveTheDatabaseWholeAtItsName)
{
    struct Case {
        const char* failing;
        QString message;
        bool copyTaken;
        bool staleMd3;
        bool staleMd2 = false;
    };
    const std::vector<Case> cases = {
        {"backup seura.mdb seura.mdb", {}, false, false},
        {"compact seura.mdb seura.md2", CompactionFailed, true, false},
        {"rename seura.mdb seura.md3", RenameFailed, true, false},
        {"rename seura.md2 seura.mdb", SecondRenameFailed, true, false},
        {"remove seura.md3", RenameFailed, true, true},
        {"remove seura.md2", CompactionFailed, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failing);
        if (c.staleMd3)
            test::WriteFileBytes(md3(), "vanha");
        if (c.staleMd2)
            test::WriteFileBytes(md2(), "keskeytynyt");
        FailingFileOps ops;
        ops.fail = [&](const QString& call) { return call == QLatin1String(c.failing); };
        ScriptedPrompter p;
        FolderBackup::backup();

        ASSERT_TRUE(ops.calls.contains(QString::fromUtf8(c.failing)));
        ASSERT_EQ(p.messageTexts().size(), 2);
        EXPECT_EQ(p.shown()[1].icon, MsgIcon::Critical);
        const QString expected = c.message.isEmpty() ? QStringLiteral("Tietokantaa ei voida kopioida \nhakemistosta: ") : c.message;
        EXPECT_TRUE(p.messageTexts()[1].startsWith(expected)) << p.messageTexts()[1].toStdString();
        if (c.message.isEmpty()) {
            // The copy's own failure is named as the cause.
            EXPECT_TRUE(p.messageTexts()[1].contains(QStringLiteral("\n\nSyy: Tiedoston käsittely ei onnistu (testi)"))) << p.messageTexts()[1].toStdString();
        }
        expectIntact(db());
        EXPECT_EQ(QFile::exists(copy()), c.copyTaken);
        QStringList left = {"seura.mdb"};
        if (c.staleMd2)
            left.prepend(QStringLiteral("seura.md2"));   // it could not be removed, and stays as it was
        if (c.staleMd3)
            left.prepend(QStringLiteral("seura.md3"));
        EXPECT_EQ(filesBeside(), left);
        if (c.staleMd3) {
            EXPECT_EQ(test::ReadFileBytes(md3()), "vanha");
        }
        QFile::remove(copy());
        QFile::remove(md3());
        QFile::remove(md2());
    }
}

TEST_F(FolderBackupTest, FailedRollbackSaysWhereTheDatabaseIs)
{
    FailingFileOps ops;
    ops.fail = [](const QString& call) {
        return call == QLatin1String("rename seura.md2 seura.mdb") || call == QLatin1String("rename seura.md3 seura.mdb");
    };
    ScriptedPrompter p;
    FolderBackup::backup();
    ASSERT_EQ(p.messageTexts().size(), 2);
    EXPECT_TRUE(p.messageTexts()[1].startsWith(SecondRenameFailed));
    EXPECT_TRUE(p.messageTexts()[1].contains(md3()));
    ASSERT_TRUE(QFile::exists(md3()));
    EXPECT_FALSE(QFile::exists(db()));
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
    FailingFileOps ops;
    ScriptedPrompter p;
    FolderBackup::backup();
    ASSERT_EQ(p.messageTexts().size(), 2);
    EXPECT_TRUE(p.messageTexts()[1].startsWith(QStringLiteral("Tietokantaa ei voida kopioida ")));
    EXPECT_TRUE(p.messageTexts()[1].contains(QStringLiteral("\n\nSyy: varmistushakemisto ") + t.dir()
                                             + QStringLiteral(" on tietokannan oma hakemisto.")));
    EXPECT_TRUE(ops.calls.isEmpty());
    EXPECT_EQ(test::ReadFileBytes(db()), before);
}

TEST_F(FolderBackupTest, NamesEndingInTwoOrThreeAreRefused)
{
    for (const char* name : {"seura.md3", "seura.md2"}) {
        const QString path = t.dir() + QLatin1Char('/') + QLatin1String(name);
        QFile::copy(db(), path);
        State().DatabasePath = path;
        FailingFileOps ops;
        ScriptedPrompter p;
        FolderBackup::backup();
        EXPECT_TRUE(ops.calls.isEmpty());
        ASSERT_EQ(p.messageTexts().size(), 2);
        EXPECT_EQ(p.shown()[1].icon, MsgIcon::Critical);
        expectIntact(path);
        QFile::remove(path);
    }
}

TEST_F(FolderBackupTest, RefusedWhileAWindowIsSavingAndNothingChanges)
{
    Database window = t.open();
    Transaction saving(window);
    window.execute(QStringLiteral("UPDATE jr SET jrEtunimi = 'Kesken' WHERE jrID = 1"));
    FailingFileOps ops;
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
    EXPECT_EQ(t.count(QStringLiteral("jr")), 4);          // written into the file now at the database's name
    Database old = Database::open(md3());
    EXPECT_EQ(old.scalar(QStringLiteral("SELECT COUNT(*) FROM jr")).toInt64(), 3);
}

TEST_F(FolderBackupTest, CopyTakenWhileAnotherConnectionWritesIsConsistent)
{
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(db()).constData(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE; INSERT INTO jr (jrSukunimi) VALUES ('Kesken');"
                                  "UPDATE jm SET jmHinta = 0;", nullptr, nullptr, nullptr), SQLITE_OK);
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
    EXPECT_TRUE(p.messageTexts().last() == DoneNote || p.messageTexts().last().startsWith(CompactionFailed));
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

TEST_F(FolderBackupTest, ASaveStartedDuringTheRunStopsItBeforeTheRenames)
{
    Database window = t.open();
    std::optional<Transaction> saving;
    FailingFileOps ops;
    ops.fail = [&](const QString& call) {
        if (call.startsWith(QLatin1String("compact")))
            saving.emplace(window);
        return false;
    };
    ScriptedPrompter p;
    FolderBackup::backup();
    ASSERT_TRUE(saving);
    saving->commit();
    window.close();

    ASSERT_EQ(p.messageTexts().size(), 2);
    EXPECT_TRUE(p.messageTexts()[1].contains(QStringLiteral("Tietokantaan ei tehty muutoksia.")));
    EXPECT_FALSE(ops.calls.join(QLatin1Char(',')).contains(QStringLiteral("rename")));
    expectIntact(db());
    EXPECT_EQ(filesBeside(), QStringList({"seura.mdb"}));
}
