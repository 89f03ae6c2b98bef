#include "BackupTestDb.h"

#include "backup/BackupCompaction.h"
#include "support/FailingFileSafety.h"
#include "db/DatabaseFiles.h"
#include "db/Transaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <cerrno>

using namespace tikkeli;
using tikkeli::test::BackupTestDb;
using tikkeli::test::FailingFileSafety;

namespace {

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
    Database window = Database::open(club.path()); // another window holds it open
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
        FileStep step;   // the step that fails
        bool onDatabase; // only where it touches the database's own name
        BackupCompaction::Outcome outcome;
        const char* textStart;
    };
    const Case cases[] = {
        {"compacted copy fails its check", FileStep::Verify, false, BackupCompaction::Outcome::CompactFailed,
         "5. Tiivistys ei onnistunut: 3049: "},
        {"compacted copy not stored", FileStep::Sync, false, BackupCompaction::Outcome::CompactFailed,
         "5. Tiivistys ei onnistunut: "},
        {"replace fails", FileStep::Rename, true, BackupCompaction::Outcome::ReplaceFailed,
         "5. Tiivistetyn tietokannan kopiointi käyttöön ei onnistunut: 70: "},
        {"no temporary file", FileStep::Create, false, BackupCompaction::Outcome::TempFailed,
         "5. Tiivistys ei onnistunut: Väliaikaisen tiedoston luonti ei onnistunut: 70: "},
    };
    for (const Case& c : cases) {
        BackupTestDb club;
        bloat(club.path());
        const qint64 before = QFileInfo(club.path()).size();
        FailingFileSafety safety;
        safety.fault = [&](FileStep step, const QString& path) {
            return step == c.step && (!c.onDatabase || path == club.path()) ? EBUSY : 0;
        };

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

TEST(BackupCompaction, StoppedAtEveryFileStepTheDatabaseHoldsTheOldOrTheNewState)
{
    BackupTestDb probe;
    bloat(probe.path());
    int total = 0;
    {
        FailingFileSafety count;
        ASSERT_EQ(BackupCompaction::run(probe.path()).outcome, BackupCompaction::Outcome::Done);
        total = count.steps();
    }
    ASSERT_GE(total, 3);
    for (int stop = 1; stop <= total; ++stop) {
        SCOPED_TRACE(stop);
        BackupTestDb club;
        bloat(club.path());
        {
            FailingFileSafety files;
            files.stopAt = stop;
            const auto r = BackupCompaction::run(club.path());
            // Every step up to the rename stops it before the database changes.
            if (!files.calls.last().startsWith(QStringLiteral("syncfolder"))) {
                EXPECT_NE(r.outcome, BackupCompaction::Outcome::Done) << files.calls.join(u',').toStdString();
            }
        }
        Database db = Database::open(club.path());
        EXPECT_EQ(db.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
        db.close();
        EXPECT_EQ(BackupTestDb::members(club.path()), 3);
        EXPECT_EQ(BackupTestDb::markers(club.path()), 0);
    }
}

TEST(BackupCompaction, LeftoverMarkersGoFirstAndAFailedRemovalStopsIt)
{
    BackupTestDb club;
    {
        Database db = Database::open(club.path());
        db.execute(QStringLiteral("INSERT INTO jr (BackupRow) VALUES (1)"));
        db.close();
    }
    ASSERT_EQ(BackupTestDb::markers(club.path()), 1);
    EXPECT_EQ(BackupCompaction::run(club.path()).outcome, BackupCompaction::Outcome::Done);
    EXPECT_EQ(BackupTestDb::markers(club.path()), 0);

    {
        Database db = Database::open(club.path());
        db.execute(QStringLiteral("INSERT INTO jr (BackupRow) VALUES (1)"));
        db.execute(QStringLiteral("CREATE TRIGGER keep BEFORE DELETE ON jr BEGIN SELECT RAISE(ABORT, 'lukittu'); END"));
        db.close();
    }
    const qint64 before = QFileInfo(club.path()).size();
    const auto r = BackupCompaction::run(club.path());
    EXPECT_EQ(r.outcome, BackupCompaction::Outcome::CompactFailed);
    EXPECT_TRUE(r.stepText().startsWith(QStringLiteral("5. Tiivistys ei onnistunut: "))) << r.stepText().toStdString();
    EXPECT_TRUE(r.stepText().contains(QStringLiteral("Merkintärivien poisto ei onnistunut")));
    EXPECT_EQ(QFileInfo(club.path()).size(), before);
}

TEST(BackupCompaction, AJournalThatAppearsBesideTheDatabaseStopsTheRename)
{
    // Directly, and through a link in another folder: SQLite keeps the journal beside the file.
    for (const bool throughALink : {false, true}) {
        SCOPED_TRACE(throughALink ? "through a link" : "directly");
        BackupTestDb club;
        const QString journal = club.path() + QStringLiteral("-journal");
        const QString link = club.dir() + QStringLiteral("/Asiakirjat/seura.mdb");
        if (throughALink) {
            ASSERT_TRUE(QFile::link(club.path(), link));
        }
        FailingFileSafety files;
        // Another program's interrupted write leaves its journal while the copy is being flushed.
        files.fault = [&](FileStep step, const QString&) {
            if (step == FileStep::Sync && !QFileInfo::exists(journal)) {
                QFile f(journal);
                f.open(QIODevice::WriteOnly);
                f.write("keskeneräinen");
            }
            return 0;
        };
        const QByteArray before = [&] {
            QFile f(club.path());
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        const auto r = BackupCompaction::run(throughALink ? link : club.path());
        EXPECT_EQ(r.outcome, BackupCompaction::Outcome::ReplaceFailed);
        QFile f(club.path());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), before);
        EXPECT_EQ(QFileInfo(link).isSymLink(), throughALink);
        QFile::remove(journal);
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
