#include "base/Clock.h"
#include "base/NullConversions.h"
#include "base/ScriptedPrompter.h"
#include "base/ProgramHooks.h"
#include "db/Database.h"
#include "settings/DatabaseSettingsStore.h"
#include "platform/IniSettingsStore.h"
#include "settings/SettingsLoader.h"
#include "settings/SettingsSaver.h"
#include "support/OtherProgramRestore.h"
#include "support/TempProgramEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

QString templateCopy(const test::TempProgramEnvironment& env, const QString& name = QStringLiteral("seura.mdb"))
{
    // The template as a database of an older version: its Settings table empty.
    const QString path = env.copyOfShipped(QStringLiteral("mallit/malli.mdb"), name);
    Database db = Database::open(path);
    db.execute(QStringLiteral("DELETE FROM Settings"));
    db.close();
    return path;
}

void put(Database& db, const QString& key, const QString& value)
{
    DatabaseSettingsStore(db).write(value, key);
}

} // namespace

TEST(ReadDatabasePaths, EmptyIniGetsTheUsersSampleCopyAndBackupFolderWrittenBack)
{
    test::TempProgramEnvironment env;
    EXPECT_TRUE(ReadDatabasePaths());
    EXPECT_EQ(State().DatabasePath, env.userFolder() + QStringLiteral("/demo1.mdb"));
    EXPECT_TRUE(QFileInfo::exists(State().DatabasePath));
    EXPECT_EQ(State().BackupFolder, env.userFolder() + QStringLiteral("/Varmuuskopiot/"));
    EXPECT_TRUE(QFileInfo(State().BackupFolder).isDir());
    const IniSettingsStore ini = ProgramIniStore();
    EXPECT_EQ(ini.read(QStringLiteral("Database")), State().DatabasePath);
    EXPECT_EQ(ini.read(QStringLiteral("DatabaseBackup")), State().BackupFolder);
    // The program folder's file is never the one in use.
    EXPECT_NE(State().DatabasePath, env.programFolder() + QStringLiteral("/demo1.mdb"));
}

TEST(ReadDatabasePaths, StoredPathsAreTakenAsTheyAreAndAnExistingCopyIsKept)
{
    test::TempProgramEnvironment env;
    env.writeIni("[TIKKELI]\nDatabase=/srv/seura/jäsenet.mdb\nDatabaseBackup=/mnt/varmistus/\n");
    ReadDatabasePaths();
    EXPECT_EQ(State().DatabasePath, QStringLiteral("/srv/seura/jäsenet.mdb"));
    EXPECT_EQ(State().BackupFolder, QStringLiteral("/mnt/varmistus/"));

    QDir().mkpath(env.userFolder());
    QFile own(env.userFolder() + QStringLiteral("/demo1.mdb"));
    ASSERT_TRUE(own.open(QIODevice::WriteOnly));
    own.write("käyttäjän muutokset");
    own.close();
    EXPECT_TRUE(EnsureSampleDatabaseCopy());
    QFile again(env.userFolder() + QStringLiteral("/demo1.mdb"));
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), QByteArray("käyttäjän muutokset"));
}

TEST(ReadDatabasePaths, UnwritableIniStillGivesBothPathsForThisRun)
{
    test::TempProgramEnvironment env;
    QFile blocker(env.root() + QStringLiteral("/tiedosto"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("TIKKELI_INI", (env.root() + QStringLiteral("/tiedosto/Tikkeli.ini")).toUtf8());
    EXPECT_TRUE(ReadDatabasePaths());
    EXPECT_EQ(State().DatabasePath, SampleDatabasePath());
    EXPECT_TRUE(QFileInfo::exists(State().DatabasePath));
    EXPECT_EQ(State().BackupFolder, DefaultBackupFolder());
}

TEST(EnsureSampleDatabaseCopy, MissingSampleInTheProgramFolderLeavesNoFile)
{
    test::TempProgramEnvironment env(false);
    EXPECT_FALSE(EnsureSampleDatabaseCopy());
    EXPECT_FALSE(QFileInfo::exists(SampleDatabasePath()));
    EXPECT_TRUE(QDir(env.userFolder()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST(LoadSettings, EveryKeyByItsRule)
{
    struct Case {
        const char* key;
        const char* stored; // nullptr: key missing
        std::function<void(const SharedState&)> check;
    };
    const std::vector<Case> cases = {
        {"Laskunro", "abc", [](const SharedState& s) { EXPECT_EQ(s.InvoiceNumberCounter, 1); }},
        {"Laskunro", nullptr, [](const SharedState& s) { EXPECT_EQ(s.InvoiceNumberCounter, 1); }},
        {"Laskunro", "2,5", [](const SharedState& s) { EXPECT_EQ(s.InvoiceNumberCounter, 2); }},
        {"Laskunro", "3,5", [](const SharedState& s) { EXPECT_EQ(s.InvoiceNumberCounter, 4); }},
        {"Laskunro", "99999999999", [](const SharedState& s) { EXPECT_EQ(s.InvoiceNumberCounter, 1); }},
        {"Jasennro", "1061", [](const SharedState& s) { EXPECT_EQ(s.MemberNumberCounter, 1061); }},
        {"Sopimusnro", "x", [](const SharedState& s) { EXPECT_EQ(s.ContractNumberCounter, 1); }},
        {"VarmuuskopioPv", "viikko", [](const SharedState& s) { EXPECT_EQ(s.BackupReminderDays, 30); }},
        {"VarmuuskopioPv", "7", [](const SharedState& s) { EXPECT_EQ(s.BackupReminderDays, 7); }},
        {"MargYla", "10", [](const SharedState& s) { EXPECT_EQ(s.MarginTop, 10); }},
        {"MargAla", "700", [](const SharedState& s) { EXPECT_EQ(s.MarginBottom, 682); }},
        {"MargVas", "-5000", [](const SharedState& s) { EXPECT_EQ(s.MarginLeft, -682); }},
        {"MargOik", "leveä", [](const SharedState& s) { EXPECT_EQ(s.MarginRight, 0); }},
        {"TarMargYla", "12,5", [](const SharedState& s) { EXPECT_EQ(s.LabelMarginTop, 12); }},
        {"TarMargAla", "99999", [](const SharedState& s) { EXPECT_EQ(s.LabelMarginBottom, 32767); }},
        {"FonttiKoko", "iso", [](const SharedState& s) { EXPECT_EQ(s.ReportFontSize, 10); }},
        {"FonttiKoko", "12", [](const SharedState& s) { EXPECT_EQ(s.ReportFontSize, 12); }},
        {"Fontti", nullptr, [](const SharedState& s) { EXPECT_EQ(s.ReportFontName, QStringLiteral("Times New Roman")); }},
        {"Fontti", "Arial", [](const SharedState& s) { EXPECT_EQ(s.ReportFontName, QStringLiteral("Arial")); }},
        {"MuistutaVarm", "1", [](const SharedState& s) { EXPECT_TRUE(s.RemindBackup); }},
        {"MuistutaVarm", "-1", [](const SharedState& s) { EXPECT_TRUE(s.RemindBackup); }},
        {"MuistutaVarm", "0", [](const SharedState& s) { EXPECT_FALSE(s.RemindBackup); }},
        {"MuistutaVarm", "kyllä", [](const SharedState& s) { EXPECT_FALSE(s.RemindBackup); }},
        {"LaajaTilatieto", "True", [](const SharedState& s) { EXPECT_TRUE(s.ExtendedEstateInfo); }},
        {"AutoJasennumero", "1", [](const SharedState& s) { EXPECT_TRUE(s.AutoMemberNumbers); }},
        {"AutoSopimusnumero", nullptr, [](const SharedState& s) { EXPECT_FALSE(s.AutoContractNumbers); }},
        {"Muistutuskulut", "5,50", [](const SharedState& s) { EXPECT_EQ(s.ReminderFee, Currency::fromRaw(55000)); }},
        {"Muistutuskulut", "viisi", [](const SharedState& s) { EXPECT_EQ(s.ReminderFee, Currency()); }},
        {"Viivastyskorko", "7,5", [](const SharedState& s) { EXPECT_DOUBLE_EQ(s.LateInterestRate, 7.5); }},
        {"Viivastyskorko", "?", [](const SharedState& s) { EXPECT_DOUBLE_EQ(s.LateInterestRate, 0.0); }},
        {"RegOsoite", "Kirkkotie 12, A 3",
         [](const SharedState& s) { EXPECT_EQ(s.ClubAddress, QStringLiteral("Kirkkotie 12, A 3")); }},
        {"EmailPohja", nullptr,
         [](const SharedState& s) { EXPECT_EQ(s.InvoiceTemplatePath, DefaultInvoiceTemplatePath()); }},
        {"EmailKarhupohja", nullptr,
         [](const SharedState& s) { EXPECT_EQ(s.ReminderTemplatePath, DefaultReminderTemplatePath()); }},
        {"ViiteHakemisto", nullptr, [](const SharedState& s) { EXPECT_FALSE(s.RefPaymentFolder.isEmpty()); }},
        {"BackupDate", "1.2.2024 10:00:00",
         [](const SharedState& s) { EXPECT_EQ(s.LastBackupDate, QDateTime(QDate(2024, 2, 1), QTime(10, 0))); }},
    };
    test::TempProgramEnvironment env;
    for (const Case& c : cases) {
        State() = SharedState{};
        const QString path = templateCopy(env, QStringLiteral("k%1.mdb").arg(&c - cases.data()));
        Database db = Database::open(path);
        if (c.stored)
            put(db, QString::fromLatin1(c.key), QString::fromUtf8(c.stored));
        LoadSettings(db);
        SCOPED_TRACE(std::string(c.key) + " = " + (c.stored ? c.stored : "(puuttuu)"));
        c.check(State());
        db.close();
    }
}

TEST(LoadSettings, BadBackupDateBecomesNowAndIsWrittenBack)
{
    test::TempProgramEnvironment env;
    for (const char* stored : {"ei päivä", ""}) {
        Database db = Database::open(templateCopy(env, QStringLiteral("b%1.mdb").arg(qstrlen(stored))));
        if (*stored)
            put(db, QStringLiteral("BackupDate"), QString::fromUtf8(stored));
        const QDateTime now(QDate(2026, 12, 31), QTime(23, 59, 59));
        const FixedClock clock(now);
        LoadSettings(db);
        EXPECT_EQ(State().LastBackupDate, now);
        const QString written = DatabaseSettingsStore(db).read(QStringLiteral("BackupDate"));
        EXPECT_FALSE(written.isEmpty());
        // The next load reads the written text back as the same second.
        State() = SharedState{};
        LoadSettings(db);
        EXPECT_EQ(State().LastBackupDate, now) << written.toStdString();
        db.close();
    }
}

TEST(LoadSettings, PageMarginsArePushedTimes48AndLabelMarginsAreNot)
{
    test::TempProgramEnvironment env;
    std::vector<std::pair<ReportMargin, int>> pushed;
    ProgramHooks::SetReportMargin = [&](ReportMargin m, int twips) { pushed.emplace_back(m, twips); };
    Database db = Database::open(templateCopy(env));
    put(db, QStringLiteral("MargYla"), QStringLiteral("10"));
    put(db, QStringLiteral("MargOik"), QStringLiteral("1000"));
    put(db, QStringLiteral("TarMargYla"), QStringLiteral("7"));
    LoadSettings(db);
    const std::vector<std::pair<ReportMargin, int>> expected = {{ReportMargin::Top, 480},
                                                                {ReportMargin::Bottom, 0},
                                                                {ReportMargin::Left, 0},
                                                                {ReportMargin::Right, 682 * 48}};
    EXPECT_EQ(pushed, expected);
}

TEST(SaveBackupDate, WritesNowAndLeavesTheSharedDateAndIgnoresFailures)
{
    test::TempProgramEnvironment env;
    State().DatabasePath = templateCopy(env);
    const QDateTime startValue(QDate(2020, 1, 1), QTime(0, 0));
    const QDateTime now(QDate(2027, 1, 1), QTime(0, 0, 1));
    const FixedClock clock(now);
    State().LastBackupDate = startValue;
    SaveBackupDate();
    EXPECT_EQ(State().LastBackupDate, startValue);
    Database db = Database::open(State().DatabasePath);
    const QDateTime stored =
        ParseLocaleDate(DatabaseSettingsStore(db).read(QStringLiteral("BackupDate"))).value_or(QDateTime());
    EXPECT_EQ(stored, now);
    State().DatabasePath = env.root() + QStringLiteral("/eiole.mdb");
    EXPECT_NO_THROW(SaveBackupDate());
    EXPECT_FALSE(QFileInfo::exists(State().DatabasePath));
}

TEST(TemplatePaths, ResetWritesTheDefaultWithoutTouchingSharedState)
{
    test::TempProgramEnvironment env;
    State().DatabasePath = templateCopy(env);
    State().InvoiceTemplatePath = QStringLiteral("/vanha/lasku.txt");
    ResetInvoiceTemplatePath();
    ResetReminderTemplatePath();
    EXPECT_EQ(State().InvoiceTemplatePath, QStringLiteral("/vanha/lasku.txt"));
    Database db = Database::open(State().DatabasePath);
    DatabaseSettingsStore store(db);
    EXPECT_EQ(store.read(QStringLiteral("EmailPohja")), env.programFolder() + QStringLiteral("/lasku.txt"));
    EXPECT_EQ(store.read(QStringLiteral("EmailKarhupohja")), env.programFolder() + QStringLiteral("/karhu.txt"));
    State().DatabasePath = env.root() + QStringLiteral("/eiole.mdb");
    EXPECT_ANY_THROW(ResetInvoiceTemplatePath());
}

// A program that could not read the club file's settings leaves the club's own template stored there.
TEST(TemplatePaths, ResetKeepsTheTemplateOfAFileWhoseSettingsWereNotRead)
{
    test::TempProgramEnvironment env;
    State().DatabasePath = env.copyOfShipped(QStringLiteral("demo1.mdb"), QStringLiteral("seura.mdb"));
    Database db = Database::open(State().DatabasePath);
    put(db, QStringLiteral("EmailPohja"), QStringLiteral("/seura/oma.txt"));
    ResetInvoiceTemplatePath();
    EXPECT_EQ(DatabaseSettingsStore(db).read(QStringLiteral("EmailPohja")), QStringLiteral("/seura/oma.txt"));
    LoadSettings(db);
    ResetInvoiceTemplatePath();
    EXPECT_EQ(DatabaseSettingsStore(db).read(QStringLiteral("EmailPohja")),
              env.programFolder() + QStringLiteral("/lasku.txt"));
}

TEST(EnsureSettingsInDatabase, FlaggedDatabaseNeedsNoMigration)
{
    test::TempProgramEnvironment env;
    ScriptedPrompter prompter;
    State().DatabasePath = templateCopy(env);
    {
        Database db = Database::open(State().DatabasePath);
        put(db, QStringLiteral("AsKannassa"), QStringLiteral("1"));
    }
    EXPECT_FALSE(EnsureSettingsInDatabase());
    EXPECT_TRUE(prompter.shown().empty());
}

TEST(EnsureSettingsInDatabase, MigrationMovesOldIniValuesKeepsTheClubNameAndAsksForARestart)
{
    test::TempProgramEnvironment env;
    ScriptedPrompter prompter;
    const QString path = templateCopy(env);
    env.writeIni(QStringLiteral("[TIKKELI]\nDatabase=%1\nDatabaseBackup=/mnt/v/\nLaskunro=57\nHenkilo=Åke Järvi\n"
                                "MargYla=5\n")
                     .arg(path)
                     .toUtf8());
    {
        Database db = Database::open(path);
        put(db, QStringLiteral("RegName"), QStringLiteral("Erämiehet ry"));
        put(db, QStringLiteral("Henkilo"), QStringLiteral("Uudempi Nimi"));
    }
    ReadDatabasePaths();
    QString nameWhileOpen;
    ProgramHooks::ShowMigrationSettingsDialog = [&] { nameWhileOpen = State().ClubName; };
    EXPECT_TRUE(EnsureSettingsInDatabase());
    EXPECT_EQ(nameWhileOpen, QStringLiteral("Erämiehet ry"));
    EXPECT_EQ(State().InvoiceNumberCounter, 57);
    EXPECT_EQ(State().MarginTop, 5);
    ASSERT_EQ(prompter.messageTexts().size(), 3);
    EXPECT_TRUE(prompter.messageTexts()[0].startsWith(QStringLiteral("Tietokannasta ei löydy asetuksia.")));
    EXPECT_EQ(prompter.messageTexts()[1], QStringLiteral("Tarkista ja tallenna asetukset Asetukset ikkunoissa."));
    EXPECT_EQ(prompter.messageTexts()[2], QStringLiteral("Käynnistä Tikkeli nyt uudestaan."));

    // Without the settings window the values move by themselves: keys the database lacks, and
    // the flag; what the database has stays.
    ProgramHooks::ShowMigrationSettingsDialog = {};
    EXPECT_TRUE(EnsureSettingsInDatabase());
    Database db = Database::open(path);
    DatabaseSettingsStore store(db);
    EXPECT_EQ(store.read(QStringLiteral("Laskunro")), QStringLiteral("57"));
    EXPECT_EQ(store.read(QStringLiteral("Henkilo")), QStringLiteral("Uudempi Nimi"));
    EXPECT_EQ(store.read(QStringLiteral("RegName")), QStringLiteral("Erämiehet ry"));
    EXPECT_EQ(store.read(QStringLiteral("AsKannassa")), QStringLiteral("1"));
    db.close();
    prompter.clear();
    EXPECT_FALSE(EnsureSettingsInDatabase());
}

TEST(SaveDatabasePath, SetsStateAndIniAndRaisesWhenTheIniCannotBeWritten)
{
    test::TempProgramEnvironment env;
    SaveDatabasePath(QStringLiteral("/koti/seura.mdb"));
    EXPECT_EQ(State().DatabasePath, QStringLiteral("/koti/seura.mdb"));
    EXPECT_EQ(ProgramIniStore().read(QStringLiteral("Database")), QStringLiteral("/koti/seura.mdb"));
    qputenv("TIKKELI_INI", (env.iniPath() + QStringLiteral("/alla/Tikkeli.ini")).toUtf8());
    EXPECT_ANY_THROW(SaveDatabasePath(QStringLiteral("/muu.mdb")));
}

// Another program restores a backup over the club file while no settings window is open: once a
// write meets the restored file, shared state holds that file's club details, fees and counters,
// and the main window's caption names its club.
TEST(FollowReplacedSettings, SharedStateIsReadAgainFromARestoredFile)
{
    test::TempProgramEnvironment env;
    ScriptedPrompter prompter;
    const QString path = templateCopy(env);
    Database db = Database::open(path);
    put(db, QStringLiteral("RegName"), QStringLiteral("Erämiehet ry"));
    put(db, QStringLiteral("Muistutuskulut"), QStringLiteral("5,00"));
    put(db, QStringLiteral("Laskunro"), QStringLiteral("100"));
    State().DatabasePath = path;
    LoadSettings(db, true);
    QStringList captions;
    auto& caption = SettingsSaver::programServices().setMainCaption;
    const auto programCaption = caption;
    caption = [&](const QString& text) { captions << text; };
    FollowReplacedSettings();

    test::RestoreChangedCopy(path, QStringLiteral("UPDATE Settings SET setString = 'Palautettu' WHERE setKey = 'RegName';"
                                                  "UPDATE Settings SET setString = '7,50' WHERE setKey = 'Muistutuskulut';"
                                                  "UPDATE Settings SET setString = '90' WHERE setKey = 'Laskunro'"));
    EXPECT_EQ(State().ClubName, QStringLiteral("Erämiehet ry")) << "nothing has met the restored file yet";
    EXPECT_THROW(put(db, QStringLiteral("Puhelin"), QStringLiteral("050 1")), DbException);
    QCoreApplication::processEvents();
    caption = programCaption;
    EXPECT_EQ(State().ClubName, QStringLiteral("Palautettu"));
    EXPECT_EQ(State().ReminderFee, Currency::parse(QStringLiteral("7,50")).value());
    EXPECT_EQ(State().InvoiceNumberCounter, 90);
    EXPECT_EQ(captions, QStringList{QStringLiteral("Tikkeli - Palautettu")});
}
