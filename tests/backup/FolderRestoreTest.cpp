#include "support/FailingFileSafety.h"
#include "support/MaintTestDb.h"

#include "backup/FolderBackup.h"
#include "base/ScriptedPrompter.h"
#include "platform/IniSettingsStore.h"
#include "base/SharedState.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tikkeli;
using tikkeli::test::FailingFileSafety;
using tikkeli::test::MaintTestDb;

namespace {

const QString Overwrite = QStringLiteral("Tiedosto on jo olemassa, korvataanko varmuuskopiolla?");
const QString UseIt = QStringLiteral("Otetaanko palautettu tietokanta käyttöön?");

class FolderRestoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qputenv("TIKKELI_DOCUMENTS", QFile::encodeName(home.filePath(QStringLiteral("Asiakirjat"))));
        qputenv("TIKKELI_INI", QFile::encodeName(home.filePath(QStringLiteral("Tikkeli.ini"))));
        t.fill();
        backupDir = t.dir() + QStringLiteral("/Varmistus");
        QDir().mkpath(backupDir);
        State().BackupFolder = backupDir;
        source = backupDir + QStringLiteral("/seura.mdb");
        ASSERT_TRUE(QFile::copy(t.path(), source));
        restoreDir = home.filePath(QStringLiteral("Asiakirjat/Tikkeli"));
        FolderBackup::EndProgram = [this] { ++ended; };
    }
    void TearDown() override
    {
        FolderBackup::EndProgram = {};
        qunsetenv("TIKKELI_DOCUMENTS");
        qunsetenv("TIKKELI_INI");
    }
    QString iniDatabase() const
    {
        IniSettingsStore ini;
        ini.setFile(QStringLiteral("Tikkeli.ini"));
        ini.setSection(QStringLiteral("TIKKELI"));
        return ini.read(QStringLiteral("Database"));
    }

    QTemporaryDir home;
    MaintTestDb t;
    QString backupDir;
    QString source;
    QString restoreDir;
    int ended = 0;
};

} // namespace

TEST_F(FolderRestoreTest, CancelInTheOpenDialogDoesNothing)
{
    ScriptedPrompter p;
    p.answerText(std::nullopt);
    FolderBackup::restore();
    ASSERT_EQ(p.shown().size(), 1u);
    EXPECT_EQ(p.shown()[0].kind, ScriptedPrompter::Kind::OpenFile);
    EXPECT_EQ(p.shown()[0].request.title, QStringLiteral("Tikkeli - palautettava tietokanta"));
    EXPECT_EQ(p.shown()[0].request.folder, backupDir);
    EXPECT_EQ(p.shown()[0].request.filter, QStringLiteral("Tietokannat (*.mdb);;Kaikki tiedostot (*)"));
    EXPECT_FALSE(QDir(restoreDir).exists());
}

TEST_F(FolderRestoreTest, CancelInTheSaveDialogKeepsTheFolderAndCopiesNothing)
{
    ScriptedPrompter p;
    p.answerText(source);
    p.answerText(std::nullopt);
    FolderBackup::restore();
    ASSERT_EQ(p.shown().size(), 2u);
    EXPECT_EQ(p.shown()[1].kind, ScriptedPrompter::Kind::SaveFile);
    EXPECT_EQ(p.shown()[1].request.folder, restoreDir);
    EXPECT_EQ(p.shown()[1].request.fileName, QStringLiteral("seura.mdb"));
    EXPECT_FALSE(p.shown()[1].request.confirmOverwrite); // the overwrite question is the command's own
    EXPECT_TRUE(QDir(restoreDir).exists());
    EXPECT_TRUE(QDir(restoreDir).isEmpty());
    EXPECT_EQ(p.unexpected(), 0);
}

TEST_F(FolderRestoreTest, ExistingTargetNoThenAFreeNameCopiesWithoutAsking)
{
    QDir().mkpath(restoreDir);
    const QString existing = restoreDir + QStringLiteral("/seura.mdb");
    const QString free = restoreDir + QStringLiteral("/seura2026.mdb");
    test::WriteFileBytes(existing, "toinen tiedosto");
    ScriptedPrompter p;
    p.answerText(source);
    p.answerText(existing);
    p.answerNo(); // do not overwrite
    p.answerText(free);
    p.answerNo(); // do not use it
    FolderBackup::restore();

    QStringList texts;
    for (const auto& s : p.shown())
        texts << s.text;
    EXPECT_EQ(texts.count(Overwrite), 1);
    EXPECT_EQ(texts.last(), UseIt);
    EXPECT_EQ(p.shown()[3].request.fileName, QStringLiteral("seura.mdb")); // the dialog again, as left
    EXPECT_EQ(test::ReadFileBytes(existing), "toinen tiedosto");
    EXPECT_EQ(test::ReadFileBytes(free), test::ReadFileBytes(source));
    EXPECT_EQ(State().DatabasePath, t.path());
    EXPECT_TRUE(p.scriptExhausted());
    EXPECT_EQ(p.unexpected(), 0);
}

TEST_F(FolderRestoreTest, YesOverwritesAndUsingItWritesTheIniFile)
{
    QDir().mkpath(restoreDir);
    const QString existing = restoreDir + QStringLiteral("/seura.mdb");
    test::WriteFileBytes(existing, "toinen tiedosto");
    ScriptedPrompter p;
    p.answerText(source);
    p.answerText(existing);
    p.answerYes();
    p.answerYes();
    FolderBackup::restore();
    EXPECT_EQ(test::ReadFileBytes(existing), test::ReadFileBytes(source));
    EXPECT_EQ(State().DatabasePath, existing);
    EXPECT_EQ(iniDatabase(), existing);
    EXPECT_EQ(p.unexpected(), 0);
    // No temporary left; the replaced file stays beside it, dated.
    const QStringList left = QDir(restoreDir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    ASSERT_EQ(left.size(), 2);
    EXPECT_EQ(left[0], QStringLiteral("seura.mdb"));
    EXPECT_TRUE(left[1].startsWith(QStringLiteral("seura_ennen_palautusta_"))) << left[1].toStdString();
    EXPECT_EQ(test::ReadFileBytes(restoreDir + QLatin1Char('/') + left[1]), "toinen tiedosto");
    EXPECT_EQ(ended, 1); // taken into use: the program ends and starts on it
}

TEST_F(FolderRestoreTest, AStaleJournalBesideTheTargetGoesAndTheCopyIsTheBackupByteForByte)
{
    QDir().mkpath(restoreDir);
    const QString existing = restoreDir + QStringLiteral("/seura.mdb");
    ASSERT_TRUE(QFile::copy(source, existing));
    {
        // The old file at the target, changed in a session that ended in the middle of a write.
        Database d = Database::open(existing);
        d.execute(QStringLiteral("DELETE FROM jr"));
        d.close();
        ConnectionRegistry::closeAll(existing);
    }
    test::WriteFileBytes(existing + QStringLiteral("-journal"), QByteArray(4096, '\x01'));
    ScriptedPrompter p;
    p.answerText(source);
    p.answerText(existing);
    p.answerYes();
    p.answerNo();
    FolderBackup::restore();
    EXPECT_FALSE(QFileInfo::exists(existing + QStringLiteral("-journal")));
    EXPECT_EQ(test::ReadFileBytes(existing), test::ReadFileBytes(source));
    Database d = Database::open(existing);
    EXPECT_EQ(d.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    EXPECT_EQ(d.scalar(QStringLiteral("SELECT COUNT(*) FROM jr")).toInt64(), 3);
    d.close();
    ConnectionRegistry::closeAll(existing);
}

TEST_F(FolderRestoreTest, TheDatabaseInUseIsReplacedOnlyAfterItsOwnQuestionAlsoThroughALink)
{
    QDir().mkpath(restoreDir);
    const QString link = restoreDir + QStringLiteral("/linkki.mdb");
    ASSERT_TRUE(QFile::link(t.path(), link));
    t.open().execute(QStringLiteral("DELETE FROM jr WHERE jrID = 3"));
    const QByteArray live = test::ReadFileBytes(t.path());
    for (const QString& target : {t.path(), link}) {
        FailingFileSafety ops;
        ScriptedPrompter p;
        p.answerText(source);
        p.answerText(target);
        p.answerYes(); // the file exists: replace it?
        p.answerNo();  // it is the database in use: go on?
        p.answerText(std::nullopt);
        FolderBackup::restore();
        ASSERT_EQ(p.shown().size(), 5u);
        EXPECT_TRUE(p.shown()[3].text.contains(QStringLiteral("käytössä olevan tietokannan päälle")));
        EXPECT_EQ(p.shown()[4].kind, ScriptedPrompter::Kind::SaveFile);
        EXPECT_TRUE(ops.calls.isEmpty());
        EXPECT_EQ(test::ReadFileBytes(t.path()), live);
        EXPECT_EQ(ended, 0);
    }
    // Yes: every window closes, the old file stays beside it, the backup takes its place.
    Database window = t.open();
    int closed = 0;
    FolderBackup::CloseWindows = [&] {
        ++closed;
        return true;
    };
    ScriptedPrompter p;
    p.answerText(source);
    p.answerText(t.path());
    p.answerYes();
    p.answerYes();
    FolderBackup::restore();
    FolderBackup::CloseWindows = {};
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(test::ReadFileBytes(t.path()), test::ReadFileBytes(source));
    const QStringList kept = QDir(t.dir()).entryList({QStringLiteral("seura_ennen_palautusta_*.mdb")}, QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(test::ReadFileBytes(t.dir() + QLatin1Char('/') + kept.front()), live);
    EXPECT_TRUE(p.messageTexts().last().contains(kept.front()));
    EXPECT_EQ(ended, 1);
    window.close();
}

TEST_F(FolderRestoreTest, ACopyThatCannotBeWrittenIsReportedAndAskedAgain)
{
    const QString nowhere = home.filePath(QStringLiteral("puuttuva/kansio/seura.mdb"));
    const QString good = restoreDir + QStringLiteral("/seura.mdb");
    ScriptedPrompter p;
    p.answerText(source);
    p.answerText(nowhere);
    p.answerText(good);
    p.answerYes();
    FolderBackup::restore();
    ASSERT_GE(p.shown().size(), 5u);
    EXPECT_TRUE(p.shown()[2].text.startsWith(QStringLiteral("Varmuuskopion kopiointi ei onnistunut:")));
    EXPECT_EQ(test::ReadFileBytes(good), test::ReadFileBytes(source));
    EXPECT_EQ(iniDatabase(), good);
}

TEST_F(FolderRestoreTest, AFileThatIsNotADatabaseIsNotRestored)
{
    const QString junk = backupDir + QStringLiteral("/muistio.mdb");
    test::WriteFileBytes(junk, "ei tietokanta");
    ScriptedPrompter p;
    p.answerText(junk);
    FolderBackup::restore();
    ASSERT_EQ(p.shown().size(), 2u);
    EXPECT_EQ(p.shown()[1].icon, MsgIcon::Warning);
    EXPECT_TRUE(p.shown()[1].text.startsWith(QStringLiteral("Valittu tiedosto ei ole Tikkelin tietokanta:")));
    EXPECT_FALSE(QDir(restoreDir).exists());
}
