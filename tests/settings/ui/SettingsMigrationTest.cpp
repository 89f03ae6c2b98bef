#include "settings/SettingsFixture.h"

#include "base/ProgramHooks.h"
#include "settings/SettingsLoader.h"
#include "settings/ui/frmAsetukset.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

using namespace tikkeli;
using namespace tikkeli::test;

namespace {

class SettingsMigrationTest : public SettingsFixture {
protected:
    void TearDown() override
    {
        ProgramHooks::clear();
        SettingsFixture::TearDown();
    }
    void writeIni(const QString& key, const QString& value)
    {
        IniSettingsStore ini;
        ini.setFile(State().IniFileName);
        ini.setSection("TIKKELI");
        ini.write(value, key);
    }
    // Acts in the modal window once it is up.
    static void whenShown(std::function<void(frmAsetukset*)> act)
    {
        QTimer::singleShot(0, [act] {
            auto* w = qobject_cast<frmAsetukset*>(QApplication::activeModalWidget());
            ASSERT_TRUE(w) << "the migration shows the settings window modally";
            act(w);
        });
    }
};

} // namespace

// An older installation: every setting in the ini file, the club database without AsKannassa.
TEST_F(SettingsMigrationTest, MigrationThroughTheWindowEndsWithTheFlagAndKeepsTheClubName)
{
    {
        Database db = Database::open(dbPath);
        DatabaseSettingsStore(db).write("Vanhat Erämiehet ry", "RegName");
        db.close();
    }
    State() = SharedState{};
    writeIni("Database", dbPath);
    QDir(dir.path()).mkpath("kopiot");
    writeIni("DatabaseBackup", dir.filePath("kopiot/"));
    writeIni("Laskunro", "77");
    writeIni("RegPuhelin", "050 1");
    ProgramHooks::ShowMigrationSettingsDialog = [] { RunSettingsMigrationDialog(); };
    whenShown([](frmAsetukset* w) {
        auto* name = w->findChild<QLineEdit*>("tNimi");
        auto* number = w->findChild<QLineEdit*>("tLaskunumero");
        auto* save = w->findChild<QPushButton*>("cTallenna");
        ASSERT_TRUE(name && number && save);
        EXPECT_EQ(name->text(), "Vanhat Erämiehet ry");
        EXPECT_EQ(number->text(), "77");
        save->click();
    });
    ReadDatabasePaths();
    EXPECT_TRUE(EnsureSettingsInDatabase());

    EXPECT_EQ(prompter.messageTexts().value(1), "Tarkista ja tallenna asetukset Asetukset ikkunoissa.");
    EXPECT_EQ(prompter.messageTexts().value(2), "Käynnistä Tikkeli nyt uudestaan.");
    EXPECT_EQ(stored("AsKannassa"), "1");
    EXPECT_EQ(stored("RegName"), "Vanhat Erämiehet ry");
    EXPECT_EQ(stored("Laskunro"), "77");
    EXPECT_EQ(stored("RegPuhelin"), "050 1");

    // The next start finds the settings in the database and asks nothing.
    prompter.clear();
    EXPECT_FALSE(EnsureSettingsInDatabase());
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(SettingsMigrationTest, YesToTheCloseQuestionSavesTheMigration)
{
    State() = SharedState{};
    writeIni("Database", dbPath);
    ProgramHooks::ShowMigrationSettingsDialog = [] { EXPECT_TRUE(RunSettingsMigrationDialog()); };
    whenShown([this](frmAsetukset* w) {
        auto* name = w->findChild<QLineEdit*>("tNimi");
        ASSERT_TRUE(name);
        name->setText("Uusi Seura");
        prompter.answerYes();
        w->close();
    });
    ReadDatabasePaths();
    EXPECT_TRUE(EnsureSettingsInDatabase());
    EXPECT_EQ(stored("AsKannassa"), "1");
    EXPECT_EQ(stored("RegName"), "Uusi Seura");
}

TEST_F(SettingsMigrationTest, ClosingTheMigrationWindowUnsavedLeavesTheMigrationForTheNextStart)
{
    State() = SharedState{};
    writeIni("Database", dbPath);
    ProgramHooks::ShowMigrationSettingsDialog = [] { EXPECT_FALSE(RunSettingsMigrationDialog()); };
    whenShown([](frmAsetukset* w) { w->close(); });
    ReadDatabasePaths();
    EXPECT_TRUE(EnsureSettingsInDatabase());
    EXPECT_FALSE(stored("AsKannassa").has_value());
}
