#include "../BackupTestDb.h"
#include "../FakeVolumes.h"

#include "base/ScriptedPrompter.h"
#include "backup/DatabaseCopy.h"
#include "support/Controls.h"
#include "support/FailingFileSafety.h"
#include "support/TestFiles.h"
#include "backup/ui/frmBackupRestore.h"
#include "base/SharedState.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <cerrno>

using namespace tikkeli;
using namespace tikkeli::test;

namespace {

void clickItem(QListWidget* list, const QString& text)
{
    const auto items = list->findItems(text, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1) << text.toStdString();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(items.first()).center());
}

class Stubborn : public QWidget {
public:
    Stubborn() : QWidget(nullptr, Qt::Window) {}
    void closeEvent(QCloseEvent* e) override { e->ignore(); }
};

class FrmBackupRestoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        day = mount.path() + QStringLiteral("/Tikkeli/20260105");
        QDir().mkpath(day);
        // The stick holds a copy of the club database as it was with three members.
        ASSERT_FALSE(DatabaseCopy::copy(club.path(), day + QStringLiteral("/Erämiehet.mdb")));
        ASSERT_FALSE(DatabaseCopy::copy(club.path(), day + QStringLiteral("/vanha.mdb")));
        BackupTestDb::addMember(club.path(), QStringLiteral("Uusi"));
        volumes.add(mount.path());
        frmBackupRestore::EndProgram = [this] { ++ended; };
    }
    void TearDown() override { frmBackupRestore::EndProgram = {}; }
    QString documentsCopy(const char* name) const
    {
        return club.documents() + QStringLiteral("/Tikkeli/") + QString::fromUtf8(name);
    }
    void choose(frmBackupRestore& w, const char* file)
    {
        w.show();
        QTest::mouseClick(Control<QPushButton>(w, "cEtsiMuistitikku"), Qt::LeftButton);
        clickItem(Control<QListWidget>(w, "lstPaiva"), QStringLiteral("05.01.2026"));
        clickItem(Control<QListWidget>(w, "lstTietokanta"), QString::fromUtf8(file));
    }

    BackupTestDb club;
    QTemporaryDir mount;
    QString day;
    FakeVolumes volumes;
    ScriptedPrompter prompter;
    test::FailingFileSafety files;
    int ended = 0;
};

} // namespace

TEST_F(FrmBackupRestoreTest, RestoresIntoTheDocumentsFolderAndEndsTheProgram)
{
    frmBackupRestore w;
    choose(w, "vanha.mdb");
    EXPECT_EQ(Control<QLabel>(w, "lblVaihe3")->text(),
              QStringLiteral("3. Valitulle päivälle 05.01.2026 löytyy seuraavat tietokannat, "
                             "valitse palautettavan tietokannan nimi:"));
    EXPECT_EQ(Control<QLabel>(w, "lblPalautettavaTiedostoNimi")->text(), day + QStringLiteral("/vanha.mdb"));
    EXPECT_TRUE(Control<QLabel>(w, "lblPalautettavaTiedosto")->isVisible()
                && Control<QPushButton>(w, "cPalauta")->isVisible());

    QTest::mouseClick(Control<QPushButton>(w, "cPalauta"), Qt::LeftButton);

    const QString target = documentsCopy("vanha.mdb");
    EXPECT_EQ(BackupTestDb::members(target), 3);
    EXPECT_EQ(State().DatabasePath, target);
    EXPECT_EQ(BackupTestDb::iniDatabase(club.iniPath()), target);
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].text,
              QStringLiteral("Tietokantaa on vaihdettu. Tikkeli sammutetaan ja se tulee käynnistää uudestaan."));
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(BackupTestDb::members(club.path()), 4); // the old database stays where it was
}

TEST_F(FrmBackupRestoreTest, AnExistingFileIsReplacedOnlyAfterYesAndLosesItsStaleJournal)
{
    const QString target = documentsCopy("vanha.mdb");
    QDir().mkpath(QFileInfo(target).absolutePath());
    ASSERT_FALSE(DatabaseCopy::copy(club.path(), target)); // four members
    QFile journal(target + QStringLiteral("-journal"));
    ASSERT_TRUE(journal.open(QIODevice::WriteOnly));
    journal.write("stale");
    journal.close();

    frmBackupRestore w;
    choose(w, "vanha.mdb");
    prompter.answerNo();
    QTest::mouseClick(Control<QPushButton>(w, "cPalauta"), Qt::LeftButton);
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].text, QStringLiteral("Palautus kirjoittaa yli olemassa olevan tiedoston, korvataanko tämä "
                                                       "tiedosto varmuuskopiolla?\n\n(")
                                            + target + QLatin1Char(')'));
    EXPECT_EQ(prompter.shown()[0].icon, MsgIcon::Question);
    EXPECT_TRUE(prompter.shown()[0].buttons == MsgButtons::YesNoDefaultNo) << "Enter keeps the file";
    EXPECT_TRUE(journal.exists());
    EXPECT_EQ(State().DatabasePath, club.path());
    EXPECT_TRUE(BackupTestDb::iniDatabase(club.iniPath()).isEmpty());
    EXPECT_EQ(ended, 0);
    EXPECT_TRUE(w.isVisible());

    prompter.answerYes();
    QTest::mouseClick(Control<QPushButton>(w, "cPalauta"), Qt::LeftButton);
    EXPECT_FALSE(journal.exists());
    EXPECT_EQ(prompter.unexpected(), 0);
    EXPECT_EQ(BackupTestDb::members(target), 3);
    EXPECT_EQ(BackupTestDb::iniDatabase(club.iniPath()), target);
    EXPECT_EQ(ended, 1);
}

TEST_F(FrmBackupRestoreTest, TheDatabaseInUseIsRestoredOverWithWindowsOpenKeepingASafetyCopy)
{
    // The club works on the copy in the documents folder, which a restore of the same name hits:
    // the normal case of putting yesterday's copy back.
    const QString live = documentsCopy("Erämiehet.mdb");
    QDir().mkpath(QFileInfo(live).absolutePath());
    ASSERT_FALSE(DatabaseCopy::copy(club.path(), live)); // four members
    State().DatabasePath = live;
    Database window = Database::open(live);
    EXPECT_EQ(window.scalar(QStringLiteral("SELECT COUNT(*) FROM jr")).toInt64(), 4);
    QWidget other(nullptr, Qt::Window);
    other.show();

    frmBackupRestore w;
    choose(w, "Erämiehet.mdb");
    prompter.answerNo(); // replace the file?  no
    QTest::mouseClick(Control<QPushButton>(w, "cPalauta"), Qt::LeftButton);
    EXPECT_EQ(BackupTestDb::members(live), 4);
    EXPECT_EQ(ended, 0);

    prompter.clear();
    prompter.answerYes(); // replace the file
    prompter.answerYes(); // over the database in use
    QTest::mouseClick(Control<QPushButton>(w, "cPalauta"), Qt::LeftButton);
    ASSERT_GE(prompter.shown().size(), 3u);
    EXPECT_TRUE(prompter.shown()[1].text.contains(QStringLiteral("käytössä olevan tietokannan päälle")));
    EXPECT_EQ(prompter.unexpected(), 0);
    EXPECT_FALSE(other.isVisible()); // closed through its own close path
    EXPECT_EQ(BackupTestDb::members(live), 3);
    EXPECT_EQ(test::ReadFileBytes(live), test::ReadFileBytes(day + QStringLiteral("/Erämiehet.mdb")));
    const QStringList kept =
        QDir(QFileInfo(live).absolutePath()).entryList({QStringLiteral("Erämiehet_ennen_palautusta_*.mdb")}, QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(BackupTestDb::members(QFileInfo(live).absolutePath() + QLatin1Char('/') + kept.front()), 4);
    EXPECT_TRUE(prompter.messageTexts().last().contains(kept.front()));
    EXPECT_EQ(BackupTestDb::iniDatabase(club.iniPath()), live);
    EXPECT_EQ(ended, 1);
    window.close();
}

TEST_F(FrmBackupRestoreTest, FailuresInterruptWithoutChangingTheSettings)
{
    struct Case {
        const char* step;
        const char* messageStart;
    };
    const Case cases[] = {
        {"mkdir", "Kansion luonti ei onnistunut: \n"},
        {"rename", "Kopiointi ei onnistunut: \n"},
    };
    for (const Case& c : cases) {
        prompter.clear();
        files.fault = [&c](FileStep step, const QString&) {
            return FileStepName(step) == QLatin1String(c.step) ? EACCES : 0;
        };
        frmBackupRestore w;
        choose(w, "vanha.mdb");
        QTest::mouseClick(Control<QPushButton>(w, "cPalauta"), Qt::LeftButton);
        ASSERT_EQ(prompter.shown().size(), 1u) << c.step;
        const QString text = prompter.shown()[0].text;
        EXPECT_TRUE(text.startsWith(QString::fromUtf8(c.messageStart))) << text.toStdString();
        EXPECT_TRUE(text.endsWith(QStringLiteral("\n\nVirhe: Käyttöoikeudet puuttuvat tai tiedosto on jonkin muun ohjelman "
                                                 "käytössä.\n70: Käyttöoikeus evätty")))
            << text.toStdString();
        EXPECT_EQ(Control<QLabel>(w, "lblPalautusStatus")->text(), QStringLiteral("Palautus keskeytyi."));
        EXPECT_FALSE(QFileInfo::exists(documentsCopy("vanha.mdb"))) << c.step;
        EXPECT_TRUE(BackupTestDb::iniDatabase(club.iniPath()).isEmpty());
        EXPECT_EQ(ended, 0);
    }
}

TEST_F(FrmBackupRestoreTest, AWindowThatWillNotCloseStopsTheRestore)
{
    Stubborn other;
    other.show();
    frmBackupRestore w;
    choose(w, "vanha.mdb");
    QTest::mouseClick(Control<QPushButton>(w, "cPalauta"), Qt::LeftButton);
    EXPECT_FALSE(QFileInfo::exists(documentsCopy("vanha.mdb")));
    EXPECT_EQ(Control<QLabel>(w, "lblPalautusStatus")->text(), QStringLiteral("Palautus keskeytyi."));
    EXPECT_EQ(ended, 0);
    EXPECT_TRUE(other.isVisible());
}

TEST_F(FrmBackupRestoreTest, OtherWindowsCloseFirstButTheMainWindowStaysWhenTheCopyFails)
{
    // Closing the main window ends the program, so it must stay until the copy is in place.
    QWidget main(nullptr, Qt::Window);
    main.setObjectName(QStringLiteral("frmMain"));
    main.show();
    QWidget other(nullptr, Qt::Window);
    other.show();
    frmBackupRestore w;
    choose(w, "vanha.mdb");

    files.fault = [](FileStep step, const QString&) { return step == FileStep::Rename ? EACCES : 0; };
    QTest::mouseClick(Control<QPushButton>(w, "cPalauta"), Qt::LeftButton);
    EXPECT_FALSE(other.isVisible());
    EXPECT_TRUE(main.isVisible());
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(Control<QLabel>(w, "lblPalautusStatus")->text(), QStringLiteral("Palautus keskeytyi."));
    EXPECT_EQ(ended, 0);

    files.fault = {};
    QTest::mouseClick(Control<QPushButton>(w, "cPalauta"), Qt::LeftButton);
    EXPECT_EQ(BackupTestDb::members(documentsCopy("vanha.mdb")), 3);
    EXPECT_TRUE(main.isVisible());                                    // ending the program is EndProgram's job
    EXPECT_TRUE(Control<QLabel>(w, "lblPalautusStatus")->isHidden()); // the earlier failure no longer stands
    EXPECT_EQ(ended, 1);
}
