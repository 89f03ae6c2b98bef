#include "BackupTestDb.h"

#include "backup/BackupCompaction.h"
#include "backup/FileFaults.h"
#include "db/DatabaseFiles.h"
#include "db/Transaction.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <cerrno>

using namespace tikkeli;
using tikkeli::test::BackupTestDb;

namespace {

struct FaultGuard {
    ~FaultGuard()
    {
        FileFaults::hook = {};
        SetDatabaseFilesHook({});
    }
};

QStringList files(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// Grows the member table and deletes most of it again, leaving free pages to compact away.
void bloat(const QString& path)
{
    Database db = Database::open(path);
    {
        Transaction tx(db);
        for (int i = 0; i < 2000; ++i)
            db.execute(QStringLiteral("INSERT INTO jr (Nimi) VALUES (?)"), {Value(QString(40, QLatin1Char('x')))});
        tx.commit();
    }
    db.execute(QStringLiteral("DELETE FROM jr WHERE jrID > 3"));
    db.close();
}

} // namespace

TEST(BackupCompaction, ShrinksTheDatabaseKeepsItsDataAndRemovesTheMarkers)
{
    BackupTestDb club;
    bloat(club.path());
    Database window = Database::open(club.path());   // another window holds it open
    const qint64 before = QFileInfo(club.path()).size();

    const auto r = BackupCompaction::run(club.path());

    EXPECT_EQ(r.outcome, BackupCompaction::Outcome::Done) << r.stepText().toStdString();
    EXPECT_EQ(r.stepText(), QStringLiteral("5. Tiivistys valmis"));
    EXPECT_LT(QFileInfo(club.path()).size(), before);
    EXPECT_EQ(BackupTestDb::members(club.path()), 3);
    EXPECT_EQ(BackupTestDb::markers(club.path()), 0);
    EXPECT_EQ(files(club.dir()), QStringList{QStringLiteral("Erämiehet.mdb")});
    // Keys handed out before are not handed out again, and the window's handle works on.
    window.execute(QStringLiteral("INSERT INTO jr (Nimi) VALUES (?)"), {Value("Uusi")});
    EXPECT_GT(window.lastInsertId(), 2003);
    window.close();
}

TEST(BackupCompaction, FailuresLeaveTheDatabaseIntactAndWithoutMarkers)
{
    struct Case {
        const char* name;
        const char* dbStage;      // database layer stage that throws
        const char* fileStep;     // or file step that fails
        BackupCompaction::Outcome outcome;
        const char* textStart;
    };
    const Case cases[] = {
        {"compaction fails", "verify", nullptr, BackupCompaction::Outcome::CompactFailed, "5. Tiivistys ei onnistunut: 3000: "},
        {"compacted copy not stored", "copy", nullptr, BackupCompaction::Outcome::CompactFailed, "5. Tiivistys ei onnistunut: "},
        {"replace fails", nullptr, "rename", BackupCompaction::Outcome::ReplaceFailed,
         "5. Tiivistetyn tietokannan kopiointi käyttöön ei onnistunut: 70: "},
        {"no temporary file", nullptr, "write", BackupCompaction::Outcome::TempFailed,
         "5. Tiivistys ei onnistunut: Väliaikaisen tiedoston luonti ei onnistunut: 70: "},
    };
    for (const Case& c : cases) {
        BackupTestDb club;
        FaultGuard guard;
        bloat(club.path());
        const qint64 before = QFileInfo(club.path()).size();
        if (c.dbStage) {
            SetDatabaseFilesHook([stage = QString::fromLatin1(c.dbStage)](const QString& s) {
                if (s == stage)
                    throw DbException(DbErr::Generic, QStringLiteral("kirjoitus epäonnistui"));
            });
        }
        if (c.fileStep) {
            FileFaults::hook = [step = QString::fromLatin1(c.fileStep)](const QString& s, const QString&) {
                return s == step ? EBUSY : 0;
            };
        }

        const auto r = BackupCompaction::run(club.path());

        EXPECT_EQ(r.outcome, c.outcome) << c.name;
        EXPECT_TRUE(r.stepText().startsWith(QString::fromUtf8(c.textStart))) << c.name << ": " << r.stepText().toStdString();
        EXPECT_EQ(QFileInfo(club.path()).size(), before) << c.name;
        EXPECT_EQ(BackupTestDb::members(club.path()), 3) << c.name;
        EXPECT_EQ(BackupTestDb::markers(club.path()), 0) << c.name;
        Database db = Database::open(club.path());
        EXPECT_EQ(db.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok")) << c.name;
        db.close();
        if (c.outcome == BackupCompaction::Outcome::ReplaceFailed) {
            // The good compacted copy stays, and the text says where.
            ASSERT_FALSE(r.keptCopy.isEmpty());
            EXPECT_TRUE(QFileInfo::exists(r.keptCopy)) << c.name;
            EXPECT_TRUE(r.stepText().contains(QFileInfo(r.keptCopy).fileName()));
            EXPECT_LT(QFileInfo(r.keptCopy).size(), before);
        } else {
            EXPECT_EQ(files(club.dir()), QStringList{QStringLiteral("Erämiehet.mdb")}) << c.name;
        }
    }
}

TEST(BackupCompaction, AnOpenTransactionStopsTheReplace)
{
    BackupTestDb club;
    Database window = Database::open(club.path());
    Transaction pending(window);
    window.execute(QStringLiteral("INSERT INTO jr (Nimi) VALUES (?)"), {Value("Kesken")});
    const auto r = BackupCompaction::run(club.path());
    EXPECT_EQ(r.stepText(), QStringLiteral("5. Tiivistys ei onnistunut: 3003: Tietokannassa on kesken oleva muutos"));
    pending.rollback();
    EXPECT_EQ(BackupTestDb::members(club.path()), 3);
    EXPECT_EQ(BackupTestDb::markers(club.path()), 0);
    EXPECT_EQ(files(club.dir()), QStringList{QStringLiteral("Erämiehet.mdb")});
    window.close();
}
