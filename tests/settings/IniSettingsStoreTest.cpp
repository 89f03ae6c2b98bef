#include "base/Folders.h"
#include "platform/IniSettingsStore.h"
#include "platform/SettingsError.h"
#include "support/FailingFileSafety.h"
#include "support/ScopedEnvironment.h"
#include "support/SmallDisk.h"
#include "support/TempProgramEnvironment.h"
#include "support/ThrowAwayUserFolders.h"

#include <QDir>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <string>
#include <sys/mount.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

IniSettingsStore storeAt(const QString& section)
{
    IniSettingsStore ini;
    ini.setFile(QStringLiteral("Tikkeli.ini"));
    ini.setSection(section);
    return ini;
}

} // namespace

TEST(IniSettingsStore, BareNameFollowsTheEnvironmentOverride)
{
    test::TempProgramEnvironment env(false);
    EXPECT_EQ(IniSettingsStore::resolvePath(QStringLiteral("Tikkeli.ini")), env.iniPath());
    qunsetenv("TIKKELI_INI");
    const QString home = IniSettingsStore::resolvePath(QStringLiteral("Tikkeli.ini"));
    EXPECT_TRUE(home.endsWith(QStringLiteral("/Tikkeli/Tikkeli.ini"))) << home.toStdString();
}

// What a user has set for the program (here an ini of their own) reaches no test: a test program
// starts on folders of its own, and the settings, documents and stick it finds lie there.
TEST(IniSettingsStore, TestsRunOnUserFoldersOfTheirOwn)
{
    const QString root = test::ThrowAwayUserFolders::root() + u'/';
    ASSERT_NE(root, QStringLiteral("/"));
    EXPECT_TRUE(IniSettingsStore::resolvePath(QStringLiteral("Tikkeli.ini")).startsWith(root));
    EXPECT_TRUE(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).startsWith(root));
    EXPECT_TRUE(DocumentsFolder().startsWith(root));
    EXPECT_TRUE(qEnvironmentVariableIsEmpty("TIKKELI_KOPIOTIKKU"));
}

TEST(IniSettingsStore, MissingFileSectionOrKeyGivesTheDefault)
{
    test::TempProgramEnvironment env(false);
    IniSettingsStore ini = storeAt(QStringLiteral("TIKKELI"));
    EXPECT_EQ(ini.read(QStringLiteral("Database"), QStringLiteral("oletus")), QStringLiteral("oletus"));
    env.writeIni("[FORMS]\nfrmJasen70=1,2,3,4,0\n");
    EXPECT_EQ(ini.read(QStringLiteral("Database"), QStringLiteral("x")), QStringLiteral("x"));
    ini.setSection(QStringLiteral("FORMS"));
    EXPECT_EQ(ini.read(QStringLiteral("frmMain70"), QStringLiteral("y")), QStringLiteral("y"));
}

TEST(IniSettingsStore, ValuesSurviveARoundTrip)
{
    test::TempProgramEnvironment env(false);
    const QStringList values = {
        QStringLiteral("/home/käyttäjä/Asiakirjat/Tikkeli/seura.mdb"),
        QStringLiteral("a,b,c"),
        QStringLiteral("x=y=z"),
        QStringLiteral("\"lainattu\""),
        QStringLiteral("\"alku vain"),
        QStringLiteral("  reunoilla välit  "),
        QStringLiteral("rivi1\r\nrivi2"),
        QStringLiteral("C:\\Tikkeli\\new\\demo1.mdb"),
        QStringLiteral("\\\"kenoviiva\\\""),
        QStringLiteral("; ei kommentti"),
        QStringLiteral("[ei osio]"),
        QStringLiteral("ÅÄÖåäö €"),
        QString(),
    };
    IniSettingsStore ini = storeAt(QStringLiteral("TIKKELI"));
    for (int i = 0; i < values.size(); ++i)
        ini.write(values[i], QStringLiteral("Avain%1").arg(i));
    for (int i = 0; i < values.size(); ++i)
        EXPECT_EQ(ini.read(QStringLiteral("Avain%1").arg(i), QStringLiteral("-")), values[i]) << i;
    // Overwrite in place keeps the others.
    ini.write(QStringLiteral("uusi"), QStringLiteral("Avain1"));
    EXPECT_EQ(ini.read(QStringLiteral("Avain1")), QStringLiteral("uusi"));
    EXPECT_EQ(ini.read(QStringLiteral("Avain2")), values[2]);
    EXPECT_EQ(ini.keys().size(), values.size());
}

TEST(IniSettingsStore, SectionsAndKeysAreMatchedWithoutCaseAndOtherLinesStay)
{
    test::TempProgramEnvironment env(false);
    env.writeIni("; oma kommentti\r\n[tikkeli]\r\ndatabase = /tmp/a.mdb\r\n\r\n[Muu]\r\nX=1\r\n");
    IniSettingsStore ini = storeAt(QStringLiteral("TIKKELI"));
    EXPECT_EQ(ini.read(QStringLiteral("Database")), QStringLiteral("/tmp/a.mdb"));
    ini.write(QStringLiteral("/tmp/b.mdb"), QStringLiteral("DATABASE"));
    ini.write(QStringLiteral("/tmp/varmistus/"), QStringLiteral("DatabaseBackup"));
    ini.setSection(QStringLiteral("FORMS"));
    ini.write(QStringLiteral("1"), QStringLiteral("frmMain70"));

    const QString text = QString::fromUtf8(env.iniContent());
    EXPECT_TRUE(text.startsWith(QStringLiteral("; oma kommentti\n[tikkeli]\n"))) << text.toStdString();
    EXPECT_EQ(text.count(QStringLiteral("/tmp/b.mdb")), 1);
    // The new key went into its own section, before the next one.
    EXPECT_LT(text.indexOf(QStringLiteral("DatabaseBackup")), text.indexOf(QStringLiteral("[Muu]")));
    ini.setSection(QStringLiteral("Muu"));
    EXPECT_EQ(ini.read(QStringLiteral("x")), QStringLiteral("1"));
}

TEST(IniSettingsStore, Latin1FileIsReadAndRewrittenAsUtf8)
{
    test::TempProgramEnvironment env(false);
    env.writeIni(QByteArray("[TIKKELI]\nHenkilo=J\xe4rvinen \xc5ke\n"));
    IniSettingsStore ini = storeAt(QStringLiteral("TIKKELI"));
    EXPECT_EQ(ini.read(QStringLiteral("Henkilo")), QStringLiteral("Järvinen Åke"));
    ini.write(QStringLiteral("x"), QStringLiteral("Muu"));
    EXPECT_TRUE(env.iniContent().contains("J\xc3\xa4rvinen"));
}

TEST(IniSettingsStore, Utf8ByteOrderMarkIsSkipped)
{
    test::TempProgramEnvironment env(false);
    env.writeIni(QByteArray("\xef\xbb\xbf[TIKKELI]\nDatabase=/x/ä.mdb\n"));
    EXPECT_EQ(storeAt(QStringLiteral("TIKKELI")).read(QStringLiteral("Database")), QStringLiteral("/x/ä.mdb"));
}

TEST(IniSettingsStore, UnwritableFileRaises)
{
    test::TempProgramEnvironment env(false);
    qunsetenv("TIKKELI_INI");
    IniSettingsStore ini;
    ini.setFile(env.root() + QStringLiteral("/tiedosto/Tikkeli.ini"));
    // A plain file where the folder should be: nothing can be written below it.
    QFile blocker(env.root() + QStringLiteral("/tiedosto"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ini.setSection(QStringLiteral("TIKKELI"));
    EXPECT_THROW(ini.write(QStringLiteral("a"), QStringLiteral("b")), SettingsError);
}

TEST(IniSettingsStore, PlacementRoundTripAndMalformedEntries)
{
    test::TempProgramEnvironment env(false);
    IniSettingsStore ini = storeAt(QStringLiteral("FORMS"));
    ini.writePlacement({QRect(10, -20, 300, 200), true}, QStringLiteral("frmJasen70"));
    const auto p = ini.readPlacement(QStringLiteral("frmJasen70"));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->geometry, QRect(10, -20, 300, 200));
    EXPECT_TRUE(p->maximized);
    for (const char* bad : {"", "1,2,3", "a,b,c,d,0", "1,2,0,5,0", "1,2,3,4,5,6"}) {
        ini.write(QString::fromLatin1(bad), QStringLiteral("frmRikki70"));
        EXPECT_FALSE(ini.readPlacement(QStringLiteral("frmRikki70"))) << bad;
    }
}

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(IniSettingsStore, AFullDiskIsReportedAndTheOldFileStaysWhole)
{
    test::SmallDisk disk("64k");
    if (!disk.mounted())
        GTEST_SKIP() << "no real full disk to test on: " << disk.why();
    // The variable would name another file than the one on the small disk.
    const test::ScopedEnvironment noOverride("TIKKELI_INI");
    const QString path = disk.path("Tikkeli.ini");
    IniSettingsStore ini;
    ini.setFile(path);
    ini.setSection(QStringLiteral("TIKKELI"));
    ini.write(QStringLiteral("/home/seura/seura.mdb"), QStringLiteral("Database"));
    const QByteArray before = bytesOf(path);
    ASSERT_FALSE(before.isEmpty());
    disk.fill();
    // A value larger than any room left: the write, or its flush, fails.
    EXPECT_THROW(ini.write(QString(20000, QLatin1Char('a')), QStringLiteral("Pitka")), SettingsError);
    EXPECT_EQ(bytesOf(path), before);
    EXPECT_EQ(ini.read(QStringLiteral("Database")), QStringLiteral("/home/seura/seura.mdb"));
    const QStringList left = QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(left.size(), 2); // the ini and the filler: no temporary file left behind
    EXPECT_TRUE(left.contains(QStringLiteral("Tikkeli.ini")));
}

TEST(IniSettingsStore, EveryFailingFileStepIsReportedAndLeavesTheOldFile)
{
    test::TempProgramEnvironment env(false);
    env.writeIni("[TIKKELI]\nDatabase=vanha.mdb\n");
    IniSettingsStore ini = storeAt(QStringLiteral("TIKKELI"));
    const QByteArray before = bytesOf(env.iniPath());
    for (const FileStep failing : {FileStep::Create, FileStep::Write, FileStep::Sync, FileStep::Rename}) {
        SCOPED_TRACE(FileStepName(failing).toStdString());
        test::FailingFileSafety files;
        files.fault = [failing](FileStep step, const QString&) { return step == failing ? ENOSPC : 0; };
        try {
            ini.write(QStringLiteral("uusi.mdb"), QStringLiteral("Database"));
            ADD_FAILURE() << "reported as saved";
        } catch (const SettingsError& e) {
            EXPECT_TRUE(e.message().contains(QStringLiteral("Levy on täynnä"))) << e.message().toStdString();
        }
        EXPECT_EQ(bytesOf(env.iniPath()), before);
        EXPECT_EQ(QDir(QFileInfo(env.iniPath()).absolutePath()).entryList(QDir::Files | QDir::Hidden),
                  QStringList{QStringLiteral("Tikkeli.ini")});
    }
    ini.write(QStringLiteral("uusi.mdb"), QStringLiteral("Database"));
    EXPECT_EQ(ini.read(QStringLiteral("Database")), QStringLiteral("uusi.mdb"));
}

TEST(IniSettingsStore, AFolderOrAnUnreadableFileInTheIniPlaceIsSaid)
{
    test::TempProgramEnvironment env(false);
    IniSettingsStore ini = storeAt(QStringLiteral("TIKKELI"));
    EXPECT_FALSE(ini.unreadable()); // missing: simply no settings yet
    env.writeIni("[TIKKELI]\nDatabase=x.mdb\n");
    EXPECT_FALSE(ini.unreadable());
    QFile::remove(env.iniPath());
    ASSERT_TRUE(QDir().mkpath(env.iniPath()));
    ASSERT_TRUE(ini.unreadable());
    EXPECT_TRUE(ini.unreadable()->contains(QStringLiteral("kansio")));
}

// The reader meets whatever a user's editor or a broken disk left in the file: random bytes, long
// lines, stray brackets and quotes. It never crashes, and a value written back reads back the same.
TEST(IniSettingsStore, FuzzedFilesAreReadWithoutHarmAndValuesRoundTrip)
{
    test::TempProgramEnvironment env(false);
    IniSettingsStore ini = storeAt(QStringLiteral("TIKKELI"));
    QRandomGenerator random(20261207);
    const QByteArray alphabet("[]=\"\\\n\r\t ;#abcTIKKELIDatabase\xc3\xa4\xff\x00", 33);
    for (int round = 0; round < 400; ++round) {
        QByteArray bytes;
        const int length = int(random.bounded(600));
        for (int i = 0; i < length; ++i)
            bytes += random.bounded(4) == 0 ? char(random.bounded(256)) : alphabet[int(random.bounded(alphabet.size()))];
        if (round % 3 == 0)
            bytes.prepend("[TIKKELI]\n");
        env.writeIni(bytes);
        (void)ini.read(QStringLiteral("Database"));
        (void)ini.keys();
        (void)ini.readPlacement(QStringLiteral("frmMain"));

        QString value;
        const int valueLength = int(random.bounded(40));
        for (int i = 0; i < valueLength; ++i)
            value += QChar(
                char16_t(random.bounded(2) ? u"a\"\\ \n\r=[]ä€"[random.bounded(11)] : 0x20 + random.bounded(0x5f)));
        ini.write(value, QStringLiteral("Sumea"));
        ASSERT_EQ(ini.read(QStringLiteral("Sumea")), value) << "round " << round;
    }
}
