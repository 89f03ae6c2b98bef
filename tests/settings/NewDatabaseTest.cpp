#include "settings/NewDatabase.h"
#include "app/Startup.h"
#include "base/ScriptedPrompter.h"
#include "platform/IniSettingsStore.h"
#include "settings/SettingsLoader.h"
#include "support/TempProgramEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

struct NewDatabaseRun {
    test::TempProgramEnvironment env;
    ScriptedPrompter prompter;
    NewDatabaseRun() { State().DatabasePath = QStringLiteral("/vanha/demo1.mdb"); }
    NewDatabaseResult run(std::optional<QString> answer)
    {
        prompter.answerText(answer);
        return CreateNewDatabase(NewDatabaseIntro(), NewDatabaseTemplate());
    }
    QString userFile(const QString& name) const { return env.userFolder() + QLatin1Char('/') + name; }
};

} // namespace

TEST(CreateNewDatabase, LongNameIsCutToEightAndTheIniPointsAtTheCopy)
{
    NewDatabaseRun r;
    EXPECT_EQ(r.run(QStringLiteral("Jasenrekisteri2024")), NewDatabaseResult::Created);
    const QString path = r.userFile(QStringLiteral("Jasenrek.mdb"));
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_EQ(State().DatabasePath, path);
    EXPECT_EQ(ProgramIniStore().read(QStringLiteral("Database")), path);
    const auto& shown = r.prompter.shown();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0].text, QStringLiteral("Tämä toiminto luo uuden tietokannan yhdistyksen jäsenrekisterin pohjaksi."));
    EXPECT_EQ(shown[1].kind, ScriptedPrompter::Kind::Input);
    EXPECT_EQ(shown[1].text, QStringLiteral("Anna uudelle tietokannalle nimi (max. 8 kirjainta)."));
    EXPECT_EQ(shown[2].text, QStringLiteral("Tyhjä tietokanta on kopioitu ja se tulee käyttöön, kun Tikkeli seuraavan "
                                            "kerran käynnistetään."));
    EXPECT_EQ(shown[3].text, QStringLiteral("Tikkeli suljetaan, koska tietokanta on vaihdettu."));
    QFile copy(path), original(r.env.programFolder() + QStringLiteral("/mallit/malli.mdb"));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly) && original.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), original.readAll());
}

TEST(CreateNewDatabase, EmptyOrCancelledNameStops)
{
    for (const std::optional<QString>& answer :
         {std::optional<QString>(), std::optional<QString>(QString()), std::optional<QString>(QStringLiteral("   "))}) {
        NewDatabaseRun r;
        EXPECT_EQ(r.run(answer), NewDatabaseResult::Cancelled);
        EXPECT_EQ(r.prompter.messageTexts().last(),
                  QStringLiteral("Tietokannan nimi ei voi olla tyhjä. Toiminto keskeytetään."));
        EXPECT_EQ(State().DatabasePath, QStringLiteral("/vanha/demo1.mdb"));
        EXPECT_FALSE(QFileInfo::exists(r.env.iniPath()));
        EXPECT_TRUE(QDir(r.env.userFolder()).entryList(QDir::Files).isEmpty()) << "no file of blanks is founded";
    }
}

// A founded database carries a new club's settings: its first start goes straight into the
// program without the older version's migration, and so does every later one.
TEST(CreateNewDatabase, FoundedDatabaseStartsWithoutTheMigration)
{
    NewDatabaseRun r;
    ASSERT_EQ(r.run(QStringLiteral("Hirvet")), NewDatabaseResult::Created);
    const QString path = r.userFile(QStringLiteral("Hirvet.mdb"));
    ASSERT_EQ(ProgramIniStore().read(QStringLiteral("Database")), path);
    for (int start = 1; start <= 2; ++start) {
        SCOPED_TRACE(start);
        r.prompter.clear();
        State() = SharedState{};
        Startup startup;
        const StartupOutcome out = startup.run();
        EXPECT_FALSE(out.endProgram);
        EXPECT_TRUE(out.databaseLoaded);
        EXPECT_EQ(State().DatabasePath, path);
        EXPECT_FALSE(r.prompter.anyMessageContains(QStringLiteral("Tietokannasta ei löydy asetuksia")));
        EXPECT_FALSE(r.prompter.anyMessageContains(QStringLiteral("Käynnistä Tikkeli nyt uudestaan")));
        EXPECT_EQ(r.prompter.unexpected(), 0);
        EXPECT_EQ(State().InvoiceNumberCounter, 100); // references of at least four digits from the first invoice
        EXPECT_EQ(State().BackupReminderDays, 30);
        EXPECT_TRUE(State().ClubName.isEmpty());
    }
}

TEST(CreateNewDatabase, ExistingNameIsRefusedBeforeAnythingIsCopied)
{
    NewDatabaseRun r;
    QDir().mkpath(r.env.userFolder());
    QFile existing(r.userFile(QStringLiteral("seura.mdb")));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("oma");
    existing.close();
    EXPECT_EQ(r.run(QStringLiteral("seura")), NewDatabaseResult::Cancelled);
    EXPECT_EQ(r.prompter.messageTexts().last(), QStringLiteral("Nimi: seura on jo käytössä. Toiminto keskeytetään."));
    QFile again(r.userFile(QStringLiteral("seura.mdb")));
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), QByteArray("oma"));
}

TEST(CreateNewDatabase, NamesThatWouldLeaveTheFolderAreRefused)
{
    for (const char* bad : {"../seura", "a/b", "a\\b", ".piilo", "..", "se\tura", "x..y"}) {
        NewDatabaseRun r;
        EXPECT_EQ(r.run(QString::fromLatin1(bad)), NewDatabaseResult::Cancelled) << bad;
        EXPECT_TRUE(r.prompter.messageTexts().last().contains(QStringLiteral("Toiminto keskeytetään."))) << bad;
        EXPECT_EQ(QDir(r.env.documentsFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(), 0)
            << bad;
        EXPECT_EQ(State().DatabasePath, QStringLiteral("/vanha/demo1.mdb"));
    }
    EXPECT_TRUE(NewDatabaseNameProblem(QStringLiteral("Erä-ry 1")).isEmpty());
}

TEST(CreateNewDatabase, FailuresKeepTheProgramOnItsDatabase)
{
    {
        // The template is missing: the general message with the number.
        NewDatabaseRun r;
        QFile::remove(r.env.programFolder() + QStringLiteral("/mallit/malli.mdb"));
        EXPECT_EQ(r.run(QStringLiteral("seura")), NewDatabaseResult::Failed);
        EXPECT_TRUE(
            r.prompter.messageTexts().last().startsWith(QStringLiteral("Tietokannan luonti epäonnistui, virhe: 53 / ")));
        EXPECT_FALSE(QFileInfo::exists(r.userFile(QStringLiteral("seura.mdb"))));
    }
    {
        // The folder cannot be made: the permission message naming the file.
        NewDatabaseRun r;
        QFile blocker(r.env.userFolder());
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        EXPECT_EQ(r.run(QStringLiteral("seura")), NewDatabaseResult::Failed);
        EXPECT_TRUE(r.prompter.messageTexts().last().startsWith(
            QStringLiteral("Tietokannan luonti epäonnistui, koska tiedostoa:\n") + r.userFile(QStringLiteral("seura.mdb"))));
        EXPECT_EQ(State().DatabasePath, QStringLiteral("/vanha/demo1.mdb"));
    }
    {
        // The ini file cannot be written: the copy goes and the running program stays where it was.
        NewDatabaseRun r;
        qputenv("TIKKELI_INI", (r.env.programFolder() + QStringLiteral("/demo1.mdb/Tikkeli.ini")).toUtf8());
        EXPECT_EQ(r.run(QStringLiteral("seura")), NewDatabaseResult::Failed);
        EXPECT_TRUE(
            r.prompter.messageTexts().last().startsWith(QStringLiteral("Tietokannan luonti epäonnistui, virhe: 75 / ")));
        EXPECT_EQ(State().DatabasePath, QStringLiteral("/vanha/demo1.mdb"));
        EXPECT_FALSE(QFileInfo::exists(r.userFile(QStringLiteral("seura.mdb"))));
    }
}
