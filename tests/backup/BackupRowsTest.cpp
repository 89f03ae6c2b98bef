#include "support/MaintTestDb.h"

#include "backup/BackupRows.h"
#include "db/DbError.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace tikkeli;
using tikkeli::test::MaintTestDb;

TEST(BackupRows, OneMarkerPerTableAboveEveryKeyEverUsedThenRemoved)
{
    MaintTestDb t;
    t.fill();
    {
        Database db = t.open();
        db.execute(QStringLiteral("INSERT INTO jr (jrSukunimi) VALUES ('Poistuva')"));
        db.execute(QStringLiteral("DELETE FROM jr WHERE jrSukunimi = 'Poistuva'"));   // key 4 is spent
    }
    AddBackupRows();
    for (const QString& table : BackupRowTables())
        EXPECT_EQ(t.markers(table), 1) << table.toStdString();
    {
        Database db = t.open();
        EXPECT_EQ(db.scalar(QStringLiteral("SELECT jrID FROM jr WHERE BackupRow = 1")).toInt64(), 5);
        EXPECT_TRUE(db.scalar(QStringLiteral("SELECT jrSukunimi FROM jr WHERE BackupRow = 1")).isNull());
    }
    EXPECT_EQ(t.count(QStringLiteral("Suoritukset")), 1);   // carries the field but is not marked
    EXPECT_EQ(t.count(QStringLiteral("Tarra")), 1);

    DeleteBackupRows();
    EXPECT_EQ(t.totalMarkers(), 0);
    EXPECT_EQ(t.count(QStringLiteral("jr")), 3);
    EXPECT_EQ(t.count(QStringLiteral("jmRivi")), 3);
}

TEST(BackupRows, AFailingTableLeavesNoMarkerBehind)
{
    MaintTestDb t;
    t.fill();
    t.open().execute(QStringLiteral("DROP TABLE si"));   // thirteenth of fifteen
    try {
        AddBackupRows();
        FAIL() << "no error";
    } catch (const DbException& e) {
        EXPECT_NE(e.number(), 0);
    }
    for (const QString& table : BackupRowTables()) {
        if (table != QLatin1String("si")) {
            EXPECT_EQ(t.markers(table), 0) << table.toStdString();
        }
    }
    EXPECT_THROW(DeleteBackupRows(), DbException);
    EXPECT_EQ(t.count(QStringLiteral("jr")), 3);
}

TEST(BackupRows, MissingDatabaseIsReportedNotCreated)
{
    MaintTestDb t;
    const QString missing = t.dir() + QStringLiteral("/puuttuu.mdb");
    EXPECT_THROW(AddBackupRows(missing), DbException);
    EXPECT_THROW(DeleteBackupRows(missing), DbException);
    EXPECT_FALSE(QFile::exists(missing));
}
