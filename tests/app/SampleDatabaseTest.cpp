#include "backup/BackupRows.h"
#include "backup/FolderBackup.h"
#include "app/MaintenanceCommands.h"
#include "base/ScriptedPrompter.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "settings/SettingsLoader.h"
#include "base/SharedState.h"
#include "support/MaintTestDb.h"
#include "support/TempProgramEnvironment.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <map>

using namespace tikkeli;

namespace {

// The commands on the shipped sample club, with its real schema and constraints.
class SampleDatabase : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir().mkpath(env.userFolder());
        path = env.userFolder() + QStringLiteral("/demo1.mdb");
        ASSERT_TRUE(QFile::copy(env.programFolder() + QStringLiteral("/demo1.mdb"), path));
        QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner);
        State().DatabasePath = path;
        State().BackupFolder = env.root() + QStringLiteral("/Varmistus");
        QDir().mkpath(State().BackupFolder);
    }
    void TearDown() override { ConnectionRegistry::closeAll(State().DatabasePath); }

    std::map<QString, qint64> counts(const QString& file) const
    {
        std::map<QString, qint64> c;
        Database db = Database::open(file);
        for (const QString& t : test::ClubTables())
            c[t] = db.scalar(QStringLiteral("SELECT COUNT(*) FROM ") + t).toInt64();
        db.close();
        ConnectionRegistry::closeAll(file);
        return c;
    }

    test::TempProgramEnvironment env;
    QString path;
};

} // namespace

TEST_F(SampleDatabase, BackupRestoreAndUseTheCopy)
{
    const auto before = counts(path);
    ASSERT_GT(before.at(QStringLiteral("jr")), 0);
    std::map<QString, qint64> sequences;
    {
        Database db = Database::open(path);
        Recordset rs = db.openRecordset(QStringLiteral("SELECT name, seq FROM sqlite_sequence"), RecordsetType::Snapshot);
        for (; !rs.eof(); rs.moveNext())
            sequences[rs.field(0).toString()] = rs.field(1).toInt64();
    }
    ScriptedPrompter p;
    FolderBackup::backup();
    ASSERT_EQ(p.messageTexts().last(), QStringLiteral("Tietokannan varmuuskopiointi ja uudelleenjärjestely valmis."));
    auto afterBackup = counts(path);
    EXPECT_EQ(afterBackup[QStringLiteral("Settings")], before.at(QStringLiteral("Settings")) + 1); // BackupDate
    afterBackup[QStringLiteral("Settings")] = before.at(QStringLiteral("Settings"));
    EXPECT_EQ(afterBackup, before);
    const QString copy = State().BackupFolder + QStringLiteral("/demo1.mdb");
    EXPECT_EQ(counts(copy), before);
    {
        Database db = Database::open(path);
        for (const QString& t : BackupRowTables())
            EXPECT_EQ(
                db.scalar(QStringLiteral("SELECT COUNT(*) FROM ") + t + QStringLiteral(" WHERE BackupRow = 1")).toInt64(),
                0);
        for (const auto& [table, seq] : sequences)
            EXPECT_GE(db.scalar(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = ?"), {table}).toInt64(), seq)
                << table.toStdString();
        EXPECT_FALSE(db.scalar(QStringLiteral("SELECT setString FROM Settings WHERE setKey = 'BackupDate'")).isNull());
    }

    ScriptedPrompter r;
    r.answerText(copy);
    r.answerText(env.userFolder() + QStringLiteral("/demo1.mdb")); // the database in use ...
    r.answerNo();                                                  // ... not replaced
    r.answerText(env.userFolder() + QStringLiteral("/palautettu.mdb"));
    r.answerYes();
    int ended = 0;
    FolderBackup::EndProgram = [&] { ++ended; };
    FolderBackup::restore();
    FolderBackup::EndProgram = {};
    EXPECT_EQ(r.unexpected(), 0);
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(State().DatabasePath, env.userFolder() + QStringLiteral("/palautettu.mdb"));
    EXPECT_TRUE(env.iniContent().contains("palautettu.mdb"));
    EXPECT_EQ(counts(State().DatabasePath), before); // the copy was taken before the date was stored
}

TEST_F(SampleDatabase, ServiceCommandsConversionAndSqlOnTheRealSchema)
{
    const auto before = counts(path);
    {
        ScriptedPrompter p;
        p.answerText(QStringLiteral("UPDATE jr SET jrMukaan = True WHERE jrSukunimi LIKE \"V*\""));
        MaintenanceCommands::sqlStatement();
        EXPECT_EQ(p.messageTexts().last(), QStringLiteral("SQL-lause suoritettu."));
    }
    {
        ScriptedPrompter p;
        p.answerYes();
        MaintenanceCommands::euroConversion();
        EXPECT_EQ(p.messageTexts().size(), 1);
        Database db = Database::open(path);
        // History invoices whose rows added up before still do.
        EXPECT_EQ(db.scalar(QStringLiteral("SELECT COUNT(*) FROM jmhist h WHERE abs(h.jmhjmHinta - "
                                           "(SELECT SUM(r.jmRHinta) FROM jmRivi r WHERE r.jmRjmID = h.jmhjmID)) > 0.00005"))
                      .toInt64(),
                  0);
    }
    ScriptedPrompter p;
    p.answerText(QStringLiteral("poista kaikki"));
    MaintenanceCommands::serviceCommandBox();
    EXPECT_EQ(p.messageTexts().last(), QStringLiteral("Kaikki poistettu!"));
    const auto after = counts(path);
    for (const QString& t : test::ClubTables()) {
        const bool kept = QStringList{"Settings", "rp", "rj", "map", "Suoritukset", "Tarra", "Rekisteritiedot"}.contains(t);
        EXPECT_EQ(after.at(t), kept ? before.at(t) : 0) << t.toStdString();
    }
}
