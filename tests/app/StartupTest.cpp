#include "support/FailingFileSafety.h"
#include "base/Clock.h"
#include "base/ScriptedPrompter.h"
#include "app/Startup.h"
#include "backup/BackupRows.h"
#include "db/Connection.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "db/FileHold.h"
#include "db/UpdateDatabase.h"
#include "settings/DatabaseSettingsStore.h"
#include "platform/IniSettingsStore.h"
#include "settings/SettingsForm.h"
#include "settings/SettingsLoader.h"
#include "settings/SettingsSaver.h"
#include "support/OtherProgramRestore.h"
#include "support/SecondProgram.h"
#include "support/StoppedRun.h"
#include "support/TempProgramEnvironment.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopedValueRollback>
#include "support/TestFiles.h"

#include "platform/SettingsError.h"
#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <optional>
#include <vector>
#include <sqlite3.h>

using namespace tikkeli;

namespace {

// Another program of ours whose whole-file step has a club file, and the file it shows that by
// while it lasts: removed, the step ends.
constexpr char HeldFileVar[] = "TIKKELI_VAIHE_TIEDOSTO";
constexpr char HeldFlagVar[] = "TIKKELI_VAIHE_KESKEN";

// Root may write any file; the engine is told to judge by the owner's permission bit instead, as
// it would for an ordinary user.
struct OwnerBitWritableProbe {
    OwnerBitWritableProbe()
    {
        Connection::setWritableProbe(
            [](const QString& path) { return bool(QFile::permissions(path) & QFileDevice::WriteOwner); });
    }
    ~OwnerBitWritableProbe() { Connection::setWritableProbe({}); }
};

class StartupRoads : public ::testing::Test {
protected:
    void SetUp() override
    {
        startup.updateDatabase = [this](Database& db) {
            ++upgrades;
            UpdateDatabase(db);
        };
    }

    // The sample club database under another name, with its settings as shipped.
    QString clubDatabase(const QString& name = QStringLiteral("seura.mdb"))
    {
        return env.copyOfShipped(QStringLiteral("demo1.mdb"), name);
    }
    void configure(const QString& databasePath)
    {
        env.writeIni(
            QStringLiteral("[TIKKELI]\nDatabase=%1\nDatabaseBackup=%2/v/\n").arg(databasePath, env.root()).toUtf8());
    }
    void setSetting(const QString& path, const QString& key, const QString& value)
    {
        Database db = Database::open(path);
        DatabaseSettingsStore(db).write(value, key);
        db.close();
        ConnectionRegistry::closeAll(path);
    }
    QString iniDatabase() const { return ProgramIniStore().read(QStringLiteral("Database")); }
    static QString settingsRows(const QString& path)
    {
        return test::FileRows(path, QStringLiteral("SELECT setSection || '/' || setKey || '=' || ifnull(setString, '-') "
                                                   "FROM Settings ORDER BY setID"));
    }
    // What the settings window saves when the user saves what it shows, the settings the program
    // holds, going ahead at every question (a counter lower than the file's).
    bool saveTheSettingsHeld()
    {
        QDir().mkpath(State().BackupFolder);
        for (int counter = 0; counter < 3; ++counter)
            prompter.answerYes();
        SettingsSaver::Services services;
        services.open = [](const QString& path) { return Database::open(path); };
        services.upgrade = [](Database& db) { UpdateDatabase(db); };
        services.repair = [](const QString&) { return false; };
        services.applyPageMargins = [] {};
        services.setMainCaption = [](const QString&) {};
        SettingsForm form = SettingsForm::fromState(State());
        return SettingsSaver(services).save(form);
    }

    test::TempProgramEnvironment env;
    ScriptedPrompter prompter;
    Startup startup;
    int upgrades = 0;
};

} // namespace

TEST(IsDemoDatabase, LastNineCharactersOfALongerPath)
{
    EXPECT_TRUE(IsDemoDatabase(QStringLiteral("/home/a/Tikkeli/demo1.mdb")));
    EXPECT_TRUE(IsDemoDatabase(QStringLiteral("/x/DEMO1.MDB")));
    EXPECT_TRUE(IsDemoDatabase(QStringLiteral("omademo1.mdb")));
    EXPECT_TRUE(IsDemoDatabase(QStringLiteral("/x/Demo1.Mdb")));
    EXPECT_FALSE(IsDemoDatabase(QStringLiteral("demo1.mdb")));
    EXPECT_FALSE(IsDemoDatabase(QStringLiteral("/x/demo2.mdb")));
    EXPECT_FALSE(IsDemoDatabase(QStringLiteral("/x/demo1.mdb2")));
    EXPECT_FALSE(IsDemoDatabase(QString()));
}

TEST_F(StartupRoads, HealthyDatabaseUpgradesLoadsSettingsAndSetsTheCaption)
{
    const QString path = clubDatabase();
    configure(path);
    int sizeSet = 0, placementRestored = 0;
    startup.setWindowSize = [&] { ++sizeSet; };
    startup.restorePlacement = [&] { ++placementRestored; };
    const StartupOutcome out = startup.run();
    EXPECT_FALSE(out.endProgram);
    EXPECT_TRUE(out.databaseLoaded);
    EXPECT_FALSE(out.sampleDatabase);
    EXPECT_EQ(out.caption, QStringLiteral("Tikkeli - Erämiehet ry"));
    EXPECT_EQ(upgrades, 1);
    EXPECT_EQ(sizeSet, 1);
    EXPECT_EQ(placementRestored, 1);
    EXPECT_EQ(State().InvoiceNumberCounter, 2123);
    EXPECT_EQ(State().PrintCopies, 1);
    EXPECT_EQ(State().DatabasePath, path);
    EXPECT_EQ(prompter.unexpected(), 0);
    // The main window keeps no database open.
    EXPECT_FALSE(ConnectionRegistry::isOpen(path));
}

TEST_F(StartupRoads, BackupReminderCountsCalendarDaysBothWays)
{
    struct Case {
        int daysAgo;
        bool reminded;
    };
    // New Year's morning: the last backup 31 days ago was in the previous year.
    const QDate today(2027, 1, 1);
    const FixedClock clock(QDateTime(today, QTime(0, 0, 5)));
    for (const Case c : {Case{31, true}, Case{30, false}, Case{-31, true}, Case{0, false}}) {
        prompter.clear();
        State() = SharedState{};
        const QString path = clubDatabase(QStringLiteral("m%1.mdb").arg(c.daysAgo + 100));
        configure(path);
        setSetting(path, QStringLiteral("MuistutaVarm"), QStringLiteral("1"));
        setSetting(path, QStringLiteral("VarmuuskopioPv"), QStringLiteral("30"));
        const QDate last = today.addDays(-c.daysAgo);
        setSetting(path, QStringLiteral("BackupDate"),
                   last.toString(QStringLiteral("d.M.yyyy")) + QStringLiteral(" 23:59:00"));
        startup.run();
        const QString reminder = QStringLiteral("Varmuuskopion tekemisestä on yli 30 päivää.\n\nMuista tehdä varmuuskopio!");
        EXPECT_EQ(prompter.messageTexts().contains(reminder), c.reminded) << c.daysAgo;
    }
}

TEST_F(StartupRoads, EmptyIniOpensTheUsersCopyOfTheSampleAndOffersTheChooser)
{
    const StartupOutcome out = startup.run();
    EXPECT_TRUE(out.databaseLoaded);
    EXPECT_TRUE(out.sampleDatabase);
    EXPECT_EQ(State().DatabasePath, env.userFolder() + QStringLiteral("/demo1.mdb"));
    EXPECT_EQ(iniDatabase(), State().DatabasePath);
    EXPECT_EQ(out.caption, QStringLiteral("Tikkeli - Erämiehet ry"));
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(StartupRoads, AnIniThatCannotBeReadIsSaidAndTheSampleIsNotOpened)
{
    QFile::remove(env.iniPath());
    ASSERT_TRUE(QDir().mkpath(env.iniPath()));
    const StartupOutcome out = startup.run();
    EXPECT_TRUE(out.endProgram);
    EXPECT_FALSE(out.databaseLoaded);
    EXPECT_TRUE(prompter.anyMessageContains(QStringLiteral("Asetustiedoston paikalla")));
    EXPECT_FALSE(QFileInfo::exists(env.userFolder() + QStringLiteral("/demo1.mdb")));
    EXPECT_TRUE(QFileInfo(env.iniPath()).isDir());
}

TEST_F(StartupRoads, AnIniLargerThanAnyWeWriteIsSaidAndLeftAsItIsWhileTheProgramStartsOnDefaults)
{
    const QString path = clubDatabase();
    QByteArray huge = QStringLiteral("[TIKKELI]\nDatabase=%1\n").arg(path).toUtf8();
    while (huge.size() <= IniSettingsStore::MaxFileBytes)
        huge += "; " + QByteArray(78, 'x') + '\n';
    env.writeIni(huge);
    QElapsedTimer clock;
    clock.start();
    const StartupOutcome out = startup.run();
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_FALSE(out.endProgram);
    EXPECT_TRUE(prompter.anyMessageContains(QStringLiteral("on liian suuri")));
    EXPECT_TRUE(prompter.anyMessageContains(QStringLiteral("käynnistyy oletusasetuksin")));
    EXPECT_NE(State().DatabasePath, path) << "nothing of the file is read";
    QFile ini(env.iniPath());
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_EQ(ini.readAll(), huge);
    EXPECT_THROW(ProgramIniStore().write(QStringLiteral("x.mdb"), QStringLiteral("Database")), SettingsError);
}

TEST_F(StartupRoads, EmptyPathIsNotFoundWithoutOpeningAnything)
{
    Database db;
    State().DatabasePath.clear();
    EXPECT_EQ(startup.openDatabase(db, true), DbErr::FileNotFound);
    EXPECT_FALSE(db.isOpen());
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(StartupRoads, MissingFileAndYesOpensTheSampleAndPointsTheIniAtIt)
{
    const QString missing = env.root() + QStringLiteral("/poistettu.mdb");
    configure(missing);
    prompter.answerYes();
    const StartupOutcome out = startup.run();
    ASSERT_GE(prompter.shown().size(), 2u);
    EXPECT_EQ(prompter.shown()[0].text,
              QStringLiteral("Tietokantaa ei löydy, korjaa asetuksista tietokannan nimi\nNykyinen nimi: ") + missing);
    EXPECT_EQ(prompter.shown()[1].text, QStringLiteral("Yritetäänkö avata oletustietokanta?"));
    EXPECT_EQ(prompter.shown()[1].icon, MsgIcon::Question);
    EXPECT_TRUE(out.databaseLoaded);
    EXPECT_TRUE(out.sampleDatabase);
    EXPECT_EQ(upgrades, 1);
    EXPECT_EQ(iniDatabase(), SampleDatabasePath());
    EXPECT_EQ(out.caption, QStringLiteral("Tikkeli - Erämiehet ry"));
    EXPECT_FALSE(QFileInfo::exists(missing));
}

TEST_F(StartupRoads, MissingFileAndNoRunsOnWithoutDatabase)
{
    const QString missing = env.root() + QStringLiteral("/kadonnut/demo1.mdb");
    configure(missing);
    prompter.answerNo();
    const StartupOutcome out = startup.run();
    EXPECT_FALSE(out.endProgram);
    EXPECT_FALSE(out.databaseLoaded);
    EXPECT_EQ(out.caption, QStringLiteral("Tikkeli - "));
    EXPECT_TRUE(out.sampleDatabase); // the configured name ends in demo1.mdb
    EXPECT_EQ(upgrades, 0);
    EXPECT_EQ(iniDatabase(), missing);
    EXPECT_EQ(State().ClubName, QString());
}

TEST_F(StartupRoads, SampleMissingTooAsksAgainNamingTheSample)
{
    test::TempProgramEnvironment bare(false);
    const QString missing = bare.root() + QStringLiteral("/eiole.mdb");
    bare.writeIni(QStringLiteral("[TIKKELI]\nDatabase=%1\n").arg(missing).toUtf8());
    prompter.answerYes();
    prompter.answerYes();
    prompter.answerNo();
    const StartupOutcome out = startup.run();
    const QStringList texts = prompter.messageTexts();
    ASSERT_EQ(texts.size(), 6);
    EXPECT_TRUE(texts[0].endsWith(missing));
    EXPECT_TRUE(texts[2].endsWith(SampleDatabasePath()));
    EXPECT_TRUE(texts[4].endsWith(SampleDatabasePath()));
    EXPECT_FALSE(out.databaseLoaded);
    EXPECT_EQ(out.caption, QStringLiteral("Tikkeli - "));
}

TEST_F(StartupRoads, ReadOnlyFileAndYesClearsTheMarkAndOpens)
{
    OwnerBitWritableProbe probe;
    const QString path = clubDatabase();
    configure(path);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    prompter.answerYes();
    const StartupOutcome out = startup.run();
    ASSERT_GE(prompter.shown().size(), 2u);
    EXPECT_EQ(prompter.shown()[0].text, QStringLiteral("Tietokanta on kirjoitussuojatussa tilassa.\nEnnen avaamista "
                                                       "Tikkelissä sen tulee olla kirjoitettavassa tilassa."));
    EXPECT_EQ(prompter.shown()[1].text,
              QStringLiteral("Haluatko, että Tikkeli muuttaa tietokannan kirjoitettavaan tilaan?"));
    EXPECT_TRUE(out.databaseLoaded);
    EXPECT_TRUE(QFile::permissions(path) & QFileDevice::WriteOwner);
}

TEST_F(StartupRoads, ReadOnlyFileAndNoEndsAfterTheLongMessage)
{
    OwnerBitWritableProbe probe;
    const QString path = clubDatabase();
    configure(path);
    QFile::setPermissions(path, QFileDevice::ReadOwner);
    const QByteArray before = test::ReadFileBytes(path);
    prompter.answerNo();
    const StartupOutcome out = startup.run();
    EXPECT_TRUE(out.endProgram);
    const auto& shown = prompter.shown();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[2].icon, MsgIcon::Critical);
    EXPECT_TRUE(
        shown[2].text.startsWith(QStringLiteral("Tietokantatiedosto: ") + path + QStringLiteral(" on jo käytössä,\ntai\n")));
    EXPECT_TRUE(shown[2].text.endsWith(
        QStringLiteral("käynnistä tietokone uudestaan.\nUudelleenkäynnistys saattaa korjata ongelman.")));
    EXPECT_EQ(shown[3].text, QStringLiteral("Tikkeli suljetaan."));
    EXPECT_EQ(shown[3].icon, MsgIcon::None);
    EXPECT_EQ(test::ReadFileBytes(path), before);
    EXPECT_EQ(upgrades, 0);
}

// The sample is the user's own copy, a club file as any other.
TEST_F(StartupRoads, ReadOnlySampleAndNoEndsAfterTheLongMessage)
{
    OwnerBitWritableProbe probe;
    QDir().mkpath(env.userFolder());
    const QString path = env.userFolder() + QStringLiteral("/demo1.mdb");
    QFile::copy(env.programFolder() + QStringLiteral("/demo1.mdb"), path);
    QFile::setPermissions(path, QFileDevice::ReadOwner);
    configure(path);
    prompter.answerNo();
    const StartupOutcome out = startup.run();
    EXPECT_TRUE(out.endProgram);
    EXPECT_TRUE(
        prompter.anyMessageContains(QStringLiteral("Tietokantatiedosto: ") + path + QStringLiteral(" on jo käytössä")));
    EXPECT_FALSE(out.databaseLoaded);
}

TEST_F(StartupRoads, FileThatIsNoDatabaseIsNeverRepaired)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        const char* says;
    };
    QByteArray access(2048, '\0');
    access.replace(4, 15, "Standard Jet DB");
    const Case cases[] = {
        {"roska.mdb", QByteArray("tämä ei ole tietokanta lainkaan, vaan tekstiä"), "ei ole Tikkelin tietokanta"},
        {"vanha.mdb", access, "Access-tietokanta"},
    };
    for (const Case& c : cases) {
        prompter.clear();
        State() = SharedState{};
        const QString path = env.root() + QLatin1Char('/') + QString::fromLatin1(c.name);
        test::WriteFileBytes(path, c.bytes);
        configure(path);
        const StartupOutcome out = startup.run();
        EXPECT_FALSE(out.endProgram);
        EXPECT_FALSE(out.databaseLoaded);
        EXPECT_TRUE(prompter.anyMessageContains(QString::fromUtf8(c.says))) << c.name;
        EXPECT_FALSE(prompter.anyMessageContains(QStringLiteral("vioittunut"))) << c.name;
        EXPECT_EQ(test::ReadFileBytes(path), c.bytes);
        EXPECT_FALSE(QFileInfo::exists(env.root() + QStringLiteral("/") + QFileInfo(path).completeBaseName()
                                       + QStringLiteral("_vioittunut.mdb")));
    }
}

TEST_F(StartupRoads, AFailedFinalRenameOfTheRepairLeavesTheDamagedFileAtItsName)
{
    const QString path = clubDatabase();
    // The table and index pages (not those of the schema, nor the overflow pages that hold long
    // values such as the map picture, where junk damages no structure).
    std::vector<qint64> treePages;
    {
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(raw,
                           "SELECT pageno FROM dbstat WHERE name <> 'sqlite_schema' AND pagetype IN ('internal', 'leaf') "
                           "ORDER BY pageno",
                           -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW)
            treePages.push_back(sqlite3_column_int64(st, 0));
        sqlite3_finalize(st);
        sqlite3_close(raw);
    }
    ASSERT_GE(treePages.size(), 9u);
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        // Junk over the middle third of those pages' contents; the schema stays readable.
        const std::size_t n = treePages.size();
        for (std::size_t i = n / 3; i < 2 * n / 3; ++i) {
            f.seek((treePages[i] - 1) * 4096 + 200);
            f.write(QByteArray(600, char(0xff)));
        }
    }
    test::WriteFileBytes(path + QStringLiteral("-journal"), QByteArray(512, char(0x01)));
    const QByteArray damaged = test::ReadFileBytes(path);
    test::FailingFileSafety files;
    files.fault = [&](FileStep step, const QString& p) { return step == FileStep::Rename && p == path ? EIO : 0; };
    configure(path);
    const StartupOutcome out = startup.run();
    EXPECT_TRUE(prompter.anyMessageContains(QStringLiteral("Tietokannan korjaus ei onnistunut.")))
        << prompter.messageTexts().join(u'|').toStdString() << files.calls.join(u',').toStdString();
    EXPECT_EQ(test::ReadFileBytes(path), damaged);
    EXPECT_FALSE(QFileInfo::exists(env.root() + QStringLiteral("/") + QFileInfo(path).completeBaseName()
                                   + QStringLiteral("_vioittunut.mdb")));
    EXPECT_FALSE(out.databaseLoaded);
}

TEST_F(StartupRoads, ADatabaseLockedByAnotherProgramIsInUseNeverRepaired)
{
    const QString path = clubDatabase();
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE; UPDATE Settings SET setString = setString;", nullptr, nullptr, nullptr),
              SQLITE_OK);
    const QByteArray before = test::ReadFileBytes(path);
    configure(path);
    const StartupOutcome out = startup.run();
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_TRUE(out.endProgram);
    EXPECT_TRUE(prompter.anyMessageContains(QStringLiteral("on jo käytössä")));
    EXPECT_FALSE(prompter.anyMessageContains(QStringLiteral("vioittunut")));
    EXPECT_EQ(test::ReadFileBytes(path), before);
}

TEST_F(StartupRoads, ADatabaseOnAMissingFolderTakesTheNotFoundRoadNamingTheFolder)
{
    const QString path = env.root() + QStringLiteral("/irrotettu/levy/seura.mdb");
    configure(path);
    prompter.answerNo();
    const StartupOutcome out = startup.run();
    EXPECT_TRUE(prompter.anyMessageContains(QStringLiteral("Tietokannan kansiota ei löydy: ") + env.root()
                                            + QStringLiteral("/irrotettu/levy")));
    EXPECT_FALSE(prompter.anyMessageContains(QStringLiteral("vioittunut")));
    EXPECT_FALSE(out.databaseLoaded);
}

TEST_F(StartupRoads, AMissingDatabaseWithALeftoverCopyOffersIt)
{
    const QString path = clubDatabase();
    ASSERT_TRUE(QFile::rename(path, path.chopped(1) + QLatin1Char('3')));
    configure(path);
    prompter.answerYes();
    const StartupOutcome out = startup.run();
    EXPECT_TRUE(prompter.anyMessageContains(QStringLiteral("sen kopio on tallessa nimellä")));
    EXPECT_TRUE(out.databaseLoaded);
    EXPECT_EQ(out.caption, QStringLiteral("Tikkeli - Erämiehet ry"));
    EXPECT_TRUE(QFileInfo::exists(path));
}

// The database is a link to a file elsewhere that is missing: a copy is offered only under its
// own names beside that file, and taken into use as that file, the link staying a link. A file
// whose name has no copies of its own ("club2023") is offered nothing: "club2022" beside it is
// last year's club. When the database's folder is itself a link (home/Tikkeli -> usb/Tikkeli) and
// the database in it a relative link "../data/seura.mdb", the file lies in usb/data; home/data,
// where the link read as text leads, holds another club's file and copy, never offered or touched.
TEST_F(StartupRoads, AMissingFileBehindALinkIsOfferedOnlyItsOwnLeftoverCopy)
{
    struct Case {
        const char* file; // the missing file behind the link
        const char* copy; // a club file beside it
        bool offered;
        bool folderIsLink;
    };
    const QString root = QDir(env.root()).canonicalPath();
    for (const Case& c : {Case{"seura.mdb", "seura.md3", true, false}, Case{"club2023", "club2022", false, false},
                          Case{"seura.mdb", "seura.md3", true, true}}) {
        SCOPED_TRACE(std::string(c.file) + (c.folderIsLink ? " in a linked folder" : ""));
        prompter.clear();
        State() = SharedState{};
        const QString folder = c.folderIsLink ? root + QStringLiteral("/usb/data")
                                              : root + QStringLiteral("/kerho-") + QString::fromUtf8(c.file);
        QDir().mkpath(folder);
        const QString copy = folder + u'/' + QString::fromUtf8(c.copy);
        ASSERT_TRUE(QFile::rename(clubDatabase(QStringLiteral("kopio.mdb")), copy));
        const QByteArray copyBytes = test::ReadFileBytes(copy);
        QString link;
        std::vector<std::pair<QString, QByteArray>> others; // another club's files
        if (c.folderIsLink) {
            QDir().mkpath(root + QStringLiteral("/usb/Tikkeli"));
            QDir().mkpath(root + QStringLiteral("/home/data"));
            ASSERT_TRUE(QFile::link(root + QStringLiteral("/usb/Tikkeli"), root + QStringLiteral("/home/Tikkeli")));
            link = root + QStringLiteral("/home/Tikkeli/seura.mdb");
            ASSERT_TRUE(QFile::link(QStringLiteral("../data/") + QString::fromUtf8(c.file), link));
            for (const char* name : {"seura.mdb", "seura.md3"}) {
                const QString path = root + QStringLiteral("/home/data/") + QString::fromUtf8(name);
                ASSERT_TRUE(QFile::rename(clubDatabase(QStringLiteral("toinen.mdb")), path));
                others.push_back({path, test::ReadFileBytes(path)});
            }
        } else {
            QDir().mkpath(env.userFolder());
            link = env.userFolder() + QStringLiteral("/seura.mdb");
            QFile::remove(link);
            ASSERT_TRUE(QFile::link(folder + u'/' + QString::fromUtf8(c.file), link));
        }
        configure(link);
        // Yes to the copy; No to the sample database when nothing is offered.
        prompter.answer(c.offered ? MsgResult::Yes : MsgResult::No);
        const StartupOutcome out = startup.run();
        EXPECT_EQ(prompter.anyMessageContains(QStringLiteral("sen kopio on tallessa nimellä ") + copy), c.offered);
        EXPECT_EQ(out.databaseLoaded, c.offered);
        EXPECT_TRUE(QFileInfo(link).isSymLink());
        EXPECT_EQ(QFileInfo::exists(link), c.offered);
        EXPECT_TRUE(test::ReadFileBytes(copy) == copyBytes);
        for (const auto& [path, bytes] : others)
            EXPECT_TRUE(test::ReadFileBytes(path) == bytes) << path.toStdString();
        if (c.folderIsLink) {
            // The copy taken into use is the file the link leads to, beside the copy.
            const QFileInfo taken(folder + u'/' + QString::fromUtf8(c.file));
            EXPECT_TRUE(taken.isFile() && !taken.isSymLink());
            EXPECT_EQ(QDir(root + QStringLiteral("/home/data")).entryList(QDir::Files | QDir::Hidden),
                      (QStringList{"seura.md3", "seura.mdb"}));
        }
        ConnectionRegistry::closeAll(link);
    }
}

TEST_F(StartupRoads, AnotherProgramsSqliteFileIsRefusedUntouchedAtEveryStart)
{
    const QString path = env.root() + QStringLiteral("/muu.mdb");
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
        sqlite3_exec(db, "PRAGMA journal_mode=WAL; CREATE TABLE kuvat (id INTEGER PRIMARY KEY);", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    const QByteArray before = test::ReadFileBytes(path);
    configure(path);
    for (int start = 0; start < 2; ++start) {
        prompter.clear();
        State() = SharedState{};
        const StartupOutcome out = startup.run();
        EXPECT_FALSE(out.endProgram);
        EXPECT_TRUE(prompter.anyMessageContains(QStringLiteral("ei ole Tikkelin tietokanta")));
        EXPECT_FALSE(prompter.anyMessageContains(QStringLiteral("asetuksia")));
        EXPECT_EQ(test::ReadFileBytes(path), before);
    }
}

TEST_F(StartupRoads, DatabaseWithoutSettingsTableMigratesInsteadOfBeingRepaired)
{
    // An older version's database: every table but Settings.
    const QString path = clubDatabase(QStringLiteral("vanha.mdb"));
    {
        Database db = Database::open(path);
        db.execute(QStringLiteral("DROP TABLE Settings"));
        db.close();
        ConnectionRegistry::closeAll(path);
    }
    env.writeIni(QStringLiteral("[TIKKELI]\nDatabase=%1\nLaskunro=77\n").arg(path).toUtf8());
    StartupOutcome out = startup.run();
    EXPECT_TRUE(out.endProgram);
    EXPECT_FALSE(prompter.anyMessageContains(QStringLiteral("vioittunut")));
    EXPECT_TRUE(prompter.anyMessageContains(QStringLiteral("Tietokannasta ei löydy asetuksia.")));
    EXPECT_EQ(prompter.messageTexts().last(), QStringLiteral("Käynnistä Tikkeli nyt uudestaan."));
    // The next start finds the settings and opens normally.
    prompter.clear();
    State() = SharedState{};
    out = startup.run();
    EXPECT_FALSE(out.endProgram);
    EXPECT_TRUE(out.databaseLoaded);
    EXPECT_EQ(State().InvoiceNumberCounter, 77);
    EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral("OLD")));
}

TEST_F(StartupRoads, HooksOfTheReportControlRunInTheirPlaces)
{
    const QString path = clubDatabase();
    configure(path);
    QStringList order;
    ProgramHooks::ResetReportControl = [&] { order << QStringLiteral("control"); };
    ProgramHooks::ResetReportFormulas = [&] { order << QStringLiteral("formulas:") + State().ClubName; };
    startup.restorePlacement = [&] { order << QStringLiteral("placement"); };
    startup.run();
    EXPECT_EQ(order, (QStringList{QStringLiteral("control"), QStringLiteral("placement"),
                                  QStringLiteral("formulas:Erämiehet ry")}));
}

TEST_F(StartupRoads, DamagedClubDatabaseIsSalvagedByTheRealRepair)
{
    const QString path = clubDatabase();
    qint64 memberRoot = 0;
    {
        Database db = Database::open(path);
        memberRoot = db.scalar(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = 'jr'")).toInt64();
        db.close();
        ConnectionRegistry::closeAll(path);
    }
    ASSERT_GT(memberRoot, 1);
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        // Garbage over the member table's first page after its page header (its cell pointers and
        // rows); the file header and schema stay readable.
        f.seek((memberRoot - 1) * 4096 + 8);
        f.write(QByteArray(4096 - 8, char(0xff)));
    }
    // The last session ended in the middle of a write: its journal is still there, so the open
    // checks the whole file.
    QFile journal(path + QStringLiteral("-journal"));
    ASSERT_TRUE(journal.open(QIODevice::WriteOnly));
    journal.write(QByteArray(512, char(0x01)));
    journal.close();
    configure(path);
    const StartupOutcome out = startup.run();
    EXPECT_TRUE(prompter.messageTexts().value(0).startsWith(QStringLiteral("Tietokanta on vioittunut")));
    EXPECT_TRUE(QFileInfo::exists(env.root() + QStringLiteral("/") + QFileInfo(path).completeBaseName()
                                  + QStringLiteral("_vioittunut.mdb")));
    EXPECT_TRUE(out.databaseLoaded);
    EXPECT_EQ(out.caption, QStringLiteral("Tikkeli - Erämiehet ry"));
    Database again = Database::open(path);
    EXPECT_GT(again.scalar(QStringLiteral("SELECT COUNT(*) FROM Settings")).toInt64(), 10);
}

// Markers another program leaves are removed: at the next start when left after this program's
// clean close or in a file it never closed, at the close when left while it ran.
TEST_F(StartupRoads, MarkersWrittenSinceTheLastCleanCloseAreRemovedAtStart)
{
    const QString path = clubDatabase();
    configure(path);
    const auto markers = [&] {
        Database db = Database::open(path);
        const qint64 n = db.scalar(QStringLiteral("SELECT (SELECT COUNT(*) FROM jr WHERE BackupRow = 1) + "
                                                  "(SELECT COUNT(*) FROM pi WHERE BackupRow = 1)"))
                             .toInt64();
        db.close();
        ConnectionRegistry::closeAll(path);
        return n;
    };
    const auto leaveMarkers = [&] {
        sqlite3* other = nullptr;
        ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(other, "INSERT INTO jr (BackupRow) VALUES (1); INSERT INTO pi (BackupRow) VALUES (1)",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close_v2(other);
    };
    leaveMarkers();
    ASSERT_TRUE(startup.run().databaseLoaded);
    EXPECT_EQ(markers(), 0) << "never closed by this program";

    RememberCleanClose(path);
    leaveMarkers();
    ASSERT_EQ(markers(), 2);
    ASSERT_TRUE(startup.run().databaseLoaded);
    EXPECT_EQ(markers(), 0) << "written since the clean close";

    // Left while the program ran: the close looks once more.
    leaveMarkers();
    RememberCleanClose(path);
    EXPECT_EQ(markers(), 0) << "written while the program ran";
    EXPECT_TRUE(UntouchedSinceCleanClose(path));
    ASSERT_TRUE(startup.run().databaseLoaded);
    EXPECT_EQ(prompter.unexpected(), 0);
}

// A save of the ini (the settings, the last step of a restore) stopped at any of its file steps:
// what it left beside the ini goes at the next start, or at the next save, and the ini is the old
// file or the new one.
TEST_F(StartupRoads, WhatAnIniSaveStoppedAtAnyFileStepLeftGoesAtTheNextStartOrSave)
{
    const QString path = clubDatabase();
    const QString folder = QFileInfo(env.iniPath()).absolutePath();
    const auto save = [] {
        try {
            ProgramIniStore().write(QStringLiteral("1"), QStringLiteral("Kokeilu"));
        } catch (const SettingsError&) {
        }
    };
    int total = 0;
    {
        configure(path);
        test::FailingFileSafety count;
        save();
        total = count.steps();
    }
    ASSERT_GE(total, 3);
    qsizetype found = 0;
    for (const bool atStart : {true, false}) {
        for (int stop = 1; stop <= total; ++stop) {
            SCOPED_TRACE(
                QStringLiteral("%1, stopped at step %2").arg(atStart ? "next start" : "next save").arg(stop).toStdString());
            configure(path);
            const QByteArray old = env.iniContent();
            test::FolderImage stopped;
            {
                test::FailingFileSafety files;
                files.fault = [&](FileStep, const QString&) {
                    if (files.steps() == stop)
                        stopped = test::TakeFolder(folder);
                    return files.steps() >= stop ? EIO : 0;
                };
                save();
            }
            test::LeaveAsStopped(folder, stopped);
            found += QDir(folder).entryList(QDir::Files | QDir::Hidden).size() - 1;
            if (atStart)
                EXPECT_TRUE(startup.run().databaseLoaded);
            else
                save();
            EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).join(u' ').toStdString(), "Tikkeli.ini");
            if (atStart) {
                EXPECT_TRUE(env.iniContent() == old
                            || ProgramIniStore().read(QStringLiteral("Kokeilu")) == QStringLiteral("1"));
            }
        }
    }
    EXPECT_GT(found, 0) << "no stop left a temporary file to find";
    EXPECT_EQ(prompter.unexpected(), 0);
}

// The club's file reached through a link in a folder that is itself a link. Something outside the
// program restores a backup over the file while the program runs: the settings the start-up read
// (the reminder fee among them, which every reminder is written with) are read again from the
// restored file once a command has met it, because the start-up follows the file.
TEST_F(StartupRoads, TheSettingsReadAtTheStartAreReadAgainFromAFileRestoredBehindALink)
{
    const QString file = clubDatabase(QStringLiteral("kerho.mdb"));
    setSetting(file, QStringLiteral("Muistutuskulut"), QStringLiteral("5,00"));
    const QString linkedFolder = env.root() + QStringLiteral("/linkki");
    ASSERT_TRUE(QFile::link(QFileInfo(file).absolutePath(), linkedFolder));
    const QString link = linkedFolder + QStringLiteral("/seura.mdb");
    ASSERT_TRUE(QFile::link(QStringLiteral("kerho.mdb"), link));
    configure(link);
    ASSERT_TRUE(startup.run().databaseLoaded);
    EXPECT_EQ(State().ReminderFee, Currency::parse(QStringLiteral("5,00")).value());

    test::RestoreChangedCopy(file, QStringLiteral("UPDATE Settings SET setString = '7,50' WHERE setKey = 'Muistutuskulut'"));
    Database db = Database::open(link);
    EXPECT_THROW(db.scalar(QStringLiteral("SELECT count(*) FROM jr")), DbException);
    QCoreApplication::processEvents();
    EXPECT_EQ(State().ReminderFee, Currency::parse(QStringLiteral("7,50")).value());
    EXPECT_TRUE(QFileInfo(link).isSymLink());
}

// The sample club is the user's own copy, holding what the user typed into it. A program started on
// it while another program's whole-file step has it says, after one wait, that the file is in use,
// and ends as on any club file; what it is left holding is not stored over the club's settings,
// whatever is saved.
TEST_F(StartupRoads, TheSampleHeldByAnotherProgramIsInUseAfterOneWaitAndItsSettingsStay)
{
    ASSERT_TRUE(EnsureSampleDatabaseCopy());
    const QString sample = SampleDatabasePath();
    configure(sample);
    const QString before = settingsRows(sample);
    const QString held = env.root() + QStringLiteral("/vaihe-kesken");
    QProcessEnvironment roles;
    roles.insert(QString::fromLatin1(HeldFileVar), sample);
    roles.insert(QString::fromLatin1(HeldFlagVar), held);
    const auto other = test::StartSecondProgram(QStringLiteral("StartupOtherProgram.*"), roles);
    ASSERT_TRUE(test::WaitFor([&] { return QFileInfo::exists(held); })) << other->readAll().toStdString();
    QElapsedTimer clock;
    StartupOutcome out;
    {
        const QScopedValueRollback wait(FileHold::WaitMs, 1000);
        clock.start();
        out = startup.run();
    }
    const qint64 took = clock.elapsed();
    QFile::remove(held);
    ASSERT_TRUE(other->waitForFinished(20000));
    EXPECT_TRUE(out.endProgram);
    EXPECT_TRUE(
        prompter.anyMessageContains(QStringLiteral("Tietokantatiedosto: ") + sample + QStringLiteral(" on jo käytössä")));
    EXPECT_GE(took, 1000);
    EXPECT_LT(took, 2000) << "one wait, not one for each open";
    EXPECT_FALSE(saveTheSettingsHeld());
    EXPECT_EQ(settingsRows(sample), before);
}

// Every road of the start-up that reads no settings leaves the program on defaults: once a club
// file is at the path (a stick put in, the file put right), a save of them is refused and the
// club's settings stay. After the road that reads them, they are saved.
TEST_F(StartupRoads, SettingsAreStoredOnlyIntoTheFileTheStartReadThemFrom)
{
    struct Case {
        const char* road;
        std::optional<QByteArray> atStart; // the file at the path; nullopt: the club's own file
        bool read;
    };
    const Case cases[] = {{"not found, no sample", QByteArray(), false},
                          {"not a database", QByteArray("ei tietokanta"), false},
                          {"read", std::nullopt, true}};
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.road);
        prompter.clear();
        State() = SharedState{};
        const QString path = env.root() + QStringLiteral("/tie%1/seura.mdb").arg(++n);
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (!c.atStart)
            ASSERT_TRUE(QFile::rename(clubDatabase(QStringLiteral("k%1.mdb").arg(n)), path));
        else if (!c.atStart->isEmpty())
            test::WriteFileBytes(path, *c.atStart);
        configure(path);
        prompter.answerNo(); // the sample instead of a file not found
        EXPECT_EQ(startup.run().databaseLoaded, c.read);
        if (c.atStart) {
            QFile::remove(path);
            ASSERT_TRUE(QFile::rename(clubDatabase(QStringLiteral("k%1.mdb").arg(n)), path));
        }
        const QString before = settingsRows(path);
        prompter.clear();
        EXPECT_EQ(saveTheSettingsHeld(), c.read);
        // A file put where the program had another one (unless the system gave the new file the
        // old one's number) is first told to the windows, and the save refused as such; the user
        // then saves again.
        if (!c.read && prompter.anyMessageContains(QStringLiteral("Tiedot luetaan tiedostosta uudelleen"))) {
            EXPECT_EQ(settingsRows(path), before);
            QCoreApplication::processEvents();
            prompter.clear();
            EXPECT_FALSE(saveTheSettingsHeld());
        }
        EXPECT_EQ(prompter.anyMessageContains(QStringLiteral("omia asetuksia ei ole luettu")), !c.read)
            << prompter.messageTexts().join(u'\n').toStdString();
        if (!c.read) {
            EXPECT_EQ(settingsRows(path), before);
        }
        ConnectionRegistry::closeAll(path);
    }
}

// The other program of StartupRoads: its whole-file step has the club file until told to end.
TEST(StartupOtherProgram, HoldsTheFileForAWholeFileStep)
{
    const QString file = qEnvironmentVariable(HeldFileVar);
    if (file.isEmpty())
        GTEST_SKIP() << "started by StartupRoads as another program";
    const QString flag = qEnvironmentVariable(HeldFlagVar);
    const SoleUse step = SoleUse::take(file);
    test::WriteFileBytes(flag, "1");
    EXPECT_TRUE(test::WaitFor([&] { return !QFileInfo::exists(flag); }, 60000));
}
