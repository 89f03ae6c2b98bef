#include "support/MaintTestDb.h"

#include "backup/BackupRows.h"
#include "db/DbError.h"

#include <QFile>
#include <gtest/gtest.h>

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
