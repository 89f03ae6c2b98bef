#include "support/MaintTestDb.h"

#include "backup/BackupRows.h"
#include "db/DbError.h"
#include "support/TempProgramEnvironment.h"

#include <QFile>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

using namespace tikkeli;
using tikkeli::test::MaintTestDb;

TEST(BackupRows, LeftoverMarkersAreRemovedAndEveryOtherRowKept)
{
    MaintTestDb t;
    t.fill();
    {
        Database db = t.open();
        for (const QString& table : BackupRowTables())
            db.execute(QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (BackupRow) VALUES (1)"));
    }
    for (const QString& table : BackupRowTables())
        EXPECT_EQ(t.markers(table), 1) << table.toStdString();
    EXPECT_EQ(DeleteBackupRows(), BackupRowTables().size());
    EXPECT_EQ(t.totalMarkers(), 0);
    EXPECT_EQ(t.count(QStringLiteral("jr")), 3);
    EXPECT_EQ(t.count(QStringLiteral("jmRivi")), 3);
    EXPECT_EQ(t.count(QStringLiteral("Suoritukset")), 1); // carries the field but is not marked
    EXPECT_EQ(DeleteBackupRows(), 0);
}

TEST(BackupRows, ATableTheFileLacksHoldsNoMarkerAndAFailureRemovesNothing)
{
    MaintTestDb t;
    t.fill();
    t.open().execute(QStringLiteral("DROP TABLE si"));
    t.open().execute(QStringLiteral("INSERT INTO jr (BackupRow) VALUES (1)"));
    t.open().execute(QStringLiteral("INSERT INTO vs (BackupRow) VALUES (1)"));
    t.open().execute(QStringLiteral("CREATE TRIGGER pysy BEFORE DELETE ON vs BEGIN SELECT RAISE(ABORT, 'lukittu'); END"));
    EXPECT_THROW(DeleteBackupRows(), DbException);
    EXPECT_EQ(t.markers(QStringLiteral("jr")), 1); // one transaction: nothing went
    t.open().execute(QStringLiteral("DROP TRIGGER pysy"));
    EXPECT_EQ(DeleteBackupRows(), 2);
    EXPECT_EQ(t.markers(QStringLiteral("jr")) + t.markers(QStringLiteral("vs")), 0);
}

TEST(BackupRows, MissingDatabaseIsReportedNotCreated)
{
    MaintTestDb t;
    const QString missing = t.dir() + QStringLiteral("/puuttuu.mdb");
    EXPECT_THROW(DeleteBackupRows(missing), DbException);
    EXPECT_FALSE(QFile::exists(missing));
}

namespace {

// Work of another program on the file, through its own connection.
void elsewhere(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close_v2(db);
}

} // namespace

// The start-up skips its look for markers only on a file that no program can have written to
// since this one closed it.
TEST(BackupRows, OnlyAFileAsTheProgramLeftItIsTakenAsUntouched)
{
    struct Case {
        const char* what;
        std::function<void(const QString& path)> after;
        bool untouched;
    };
    const Case cases[] = {
        {"nothing done", [](const QString&) {}, true},
        {"read by another program", [](const QString& p) { elsewhere(p, "SELECT COUNT(*) FROM jr"); }, true},
        {"a marker left by another program", [](const QString& p) { elsewhere(p, "INSERT INTO jr (BackupRow) VALUES (1)"); },
         false},
        {"a marker left and the file's times put back",
         [](const QString& p) {
             struct stat before {};
             ASSERT_EQ(::stat(QFile::encodeName(p).constData(), &before), 0);
             elsewhere(p, "INSERT INTO vs (BackupRow) VALUES (1)");
             const timespec times[2] = {before.st_atim, before.st_mtim};
             ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(p).constData(), times, 0), 0);
         },
         false},
        {"the file replaced by a copy of itself",
         [](const QString& p) {
             ASSERT_TRUE(QFile::copy(p, p + QStringLiteral(".kopio")));
             ASSERT_TRUE(QFile::remove(p));
             ASSERT_TRUE(QFile::rename(p + QStringLiteral(".kopio"), p));
         },
         false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        test::TempProgramEnvironment env;
        MaintTestDb t;
        t.fill();
        ConnectionRegistry::closeAll(t.path());
        EXPECT_FALSE(UntouchedSinceCleanClose(t.path())) << "nothing remembered yet";
        RememberCleanClose(t.path());
        EXPECT_TRUE(UntouchedSinceCleanClose(t.path()));
        k.after(t.path());
        EXPECT_EQ(UntouchedSinceCleanClose(t.path()), k.untouched);
        // Another file is never the one remembered.
        const QString other = t.dir() + QStringLiteral("/toinen.mdb");
        ASSERT_TRUE(QFile::copy(t.path(), other));
        EXPECT_FALSE(UntouchedSinceCleanClose(other));
        EXPECT_FALSE(UntouchedSinceCleanClose(t.dir() + QStringLiteral("/puuttuu.mdb")));
    }
}
