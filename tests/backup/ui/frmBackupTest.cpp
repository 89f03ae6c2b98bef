#include "../BackupTestDb.h"
#include "../FakeVolumes.h"

#include "base/Clock.h"
#include "base/ScriptedPrompter.h"
#include "support/Controls.h"
#include "support/FailingFileSafety.h"
#include "backup/ui/frmBackup.h"
#include "base/SharedState.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <cerrno>
#include <stdexcept>

using namespace tikkeli;
using namespace tikkeli::test;

namespace {

// The copy's folder is named after the day: the tests run on one fixed day, New Year's Eve just
// before midnight.
const QDateTime TestNow(QDate(2026, 12, 31), QTime(23, 59, 59));

QString today()
{
    return QStringLiteral("20261231");
}

void click(QPushButton* b)
{
    ASSERT_TRUE(b->isVisible() && b->isEnabled()) << b->objectName().toStdString();
    QTest::mouseClick(b, Qt::LeftButton);
}

bool isRed(const QLabel* l)
{
    return l->palette().color(QPalette::WindowText) == QColor(255, 0, 0);
}

class FrmBackupTest : public ::testing::Test {
protected:
    FixedClock clock{TestNow};
    BackupTestDb club;
    QTemporaryDir mount;
    FakeVolumes volumes;
    ScriptedPrompter prompter;
    test::FailingFileSafety files;
};

} // namespace

TEST_F(FrmBackupTest, GuidesThroughFindCopyAndCompact)
{
    volumes.add(QStringLiteral("/media/muu"), QStringLiteral("DATA"));
    volumes.add(mount.path());
    frmBackup w;
    w.show();
    EXPECT_EQ(Control<QLabel>(w, "lblKopioitavaTiedostoNimi")->text(), club.path());
    for (QWidget* hidden : std::initializer_list<QWidget*>{
             Control<QLabel>(w, "lblVaihe2"), Control<QLabel>(w, "lblVaihe3"), Control<QLabel>(w, "lblVaihe4"),
             Control<QLabel>(w, "lblVaihe5"), Control<QLabel>(w, "lblVapaaTilaStatus"), Control<QPushButton>(w, "cKopioi"),
             Control<QPushButton>(w, "cTiivista")})
        EXPECT_FALSE(hidden->isVisible()) << hidden->objectName().toStdString();
    EXPECT_TRUE(isRed(Control<QLabel>(w, "lblVapaaTilaStatus")));

    click(Control<QPushButton>(w, "cEtsiMuistitikku"));
    EXPECT_EQ(Control<QLabel>(w, "lblVaihe2")->text(),
              QStringLiteral("2. Sopiva muistitikku löytyi (%1), tee kopio.").arg(mount.path()));
    EXPECT_TRUE(Control<QLabel>(w, "lblVaihe2")->isVisible());
    EXPECT_FALSE(Control<QLabel>(w, "lblVapaaTilaStatus")->isVisible());
    EXPECT_FALSE(Control<QLabel>(w, "lblVaihe1")->isEnabled());
    EXPECT_FALSE(Control<QPushButton>(w, "cEtsiMuistitikku")->isEnabled());

    click(Control<QPushButton>(w, "cKopioi"));
    const QString copy = mount.path() + QStringLiteral("/Tikkeli/") + today() + QStringLiteral("/Erämiehet.mdb");
    ASSERT_TRUE(QFileInfo::exists(copy));
    EXPECT_EQ(BackupTestDb::members(copy), 3);
    EXPECT_EQ(Control<QLabel>(w, "lblVaihe3")->text(), QStringLiteral("3. Kopiointi valmis."));
    EXPECT_TRUE(Control<QLabel>(w, "lblVaihe3")->isVisible() && Control<QLabel>(w, "lblVaihe4")->isVisible()
                && Control<QPushButton>(w, "cTiivista")->isVisible());
    EXPECT_FALSE(Control<QLabel>(w, "lblVaihe2")->isEnabled());
    EXPECT_FALSE(Control<QPushButton>(w, "cKopioi")->isEnabled());
    Database db = Database::open(club.path());
    EXPECT_FALSE(db.scalar(QStringLiteral("SELECT setString FROM Settings WHERE setKey = 'BackupDate'")).isNull());
    db.close();

    click(Control<QPushButton>(w, "cTiivista"));
    EXPECT_EQ(Control<QLabel>(w, "lblVaihe5")->text(), QStringLiteral("5. Tiivistys valmis"));
    EXPECT_TRUE(Control<QLabel>(w, "lblVaihe5")->isVisible());
    EXPECT_FALSE(Control<QPushButton>(w, "cTiivista")->isEnabled());
    EXPECT_FALSE(Control<QLabel>(w, "lblVaihe3")->isEnabled() || Control<QLabel>(w, "lblVaihe4")->isEnabled());
    EXPECT_EQ(BackupTestDb::markers(club.path()), 0);
    EXPECT_EQ(BackupTestDb::members(club.path()), 3);
    EXPECT_TRUE(prompter.shown().empty());

    w.close();
    EXPECT_FALSE(w.isVisible());
}

TEST_F(FrmBackupTest, NoStickOrTooLittleRoomKeepsJatkaAvailable)
{
    frmBackup w;
    w.show();
    click(Control<QPushButton>(w, "cEtsiMuistitikku"));
    // The message says what a suitable stick is and how to make one.
    for (const char* part : {"Sopivaa muistitikkua ei löydy.", "on oltava KOPIOTIKKU", "tiedostonhallinnassa", "fatlabel"})
        EXPECT_TRUE(Control<QLabel>(w, "lblVapaaTilaStatus")->text().contains(QString::fromUtf8(part))) << part;
    EXPECT_TRUE(Control<QLabel>(w, "lblVapaaTilaStatus")->isVisible());
    EXPECT_FALSE(Control<QPushButton>(w, "cKopioi")->isVisible());

    volumes.add(mount.path(), QStringLiteral("kopiotikku"), QFileInfo(club.path()).size());
    click(Control<QPushButton>(w, "cEtsiMuistitikku"));
    EXPECT_EQ(Control<QLabel>(w, "lblVapaaTilaStatus")->text(), QStringLiteral("Muistitikun vapaa tila ei riitä."));
    EXPECT_TRUE(Control<QLabel>(w, "lblVapaaTilaStatus")->isVisible());
    EXPECT_FALSE(Control<QPushButton>(w, "cKopioi")->isVisible());
    EXPECT_TRUE(Control<QPushButton>(w, "cEtsiMuistitikku")->isEnabled());

    volumes.list.last().freeBytes += 1;
    click(Control<QPushButton>(w, "cEtsiMuistitikku"));
    EXPECT_FALSE(Control<QLabel>(w, "lblVapaaTilaStatus")->isVisible());
    EXPECT_TRUE(Control<QPushButton>(w, "cKopioi")->isVisible());
}

TEST_F(FrmBackupTest, MissingDatabaseLeavesOnlySulje)
{
    State().DatabasePath = club.dir() + QStringLiteral("/poistettu.mdb");
    frmBackup w;
    w.show();
    EXPECT_EQ(Control<QLabel>(w, "lblVaihe1")->text(), QStringLiteral("Kopioitavaa tiedostoa ei löydy."));
    EXPECT_EQ(Control<QLabel>(w, "lblKopioitavaTiedostoNimi")->text(), QStringLiteral("-"));
    EXPECT_FALSE(Control<QPushButton>(w, "cEtsiMuistitikku")->isVisible());
    EXPECT_TRUE(Control<QPushButton>(w, "cSulje")->isVisible());
}

TEST_F(FrmBackupTest, AFailedCopyIsRedAndRecordsNoDate)
{
    volumes.add(mount.path());
    files.fault = [](FileStep step, const QString&) { return step == FileStep::MakeFolder ? EACCES : 0; };
    frmBackup w;
    w.show();
    click(Control<QPushButton>(w, "cEtsiMuistitikku"));
    click(Control<QPushButton>(w, "cKopioi"));
    EXPECT_EQ(Control<QLabel>(w, "lblVaihe3")->text(), QStringLiteral("3. Kopiointi ei onnitunut: 70: Käyttöoikeus evätty"));
    EXPECT_TRUE(Control<QLabel>(w, "lblVaihe3")->isVisible());
    EXPECT_TRUE(isRed(Control<QLabel>(w, "lblVaihe3")));
    EXPECT_FALSE(Control<QPushButton>(w, "cKopioi")->isEnabled());
    EXPECT_FALSE(Control<QPushButton>(w, "cTiivista")->isVisible());
    EXPECT_TRUE(prompter.shown().empty());
    Database db = Database::open(club.path());
    EXPECT_TRUE(db.scalar(QStringLiteral("SELECT setString FROM Settings WHERE setKey = 'BackupDate'")).isNull());
    db.close();
}

TEST_F(FrmBackupTest, ADatabaseTooLargeForFatGetsTheHint)
{
    const QString big = club.dir() + QStringLiteral("/iso.mdb");
    QFile f(big);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.resize(Q_INT64_C(5000000000)));
    f.close();
    State().DatabasePath = big;
    volumes.add(mount.path(), QStringLiteral("KOPIOTIKKU"), Q_INT64_C(8000000000), QStringLiteral("vfat"));
    frmBackup w;
    w.show();
    click(Control<QPushButton>(w, "cEtsiMuistitikku"));
    click(Control<QPushButton>(w, "cKopioi"));
    EXPECT_TRUE(Control<QLabel>(w, "lblVaihe3")->text().startsWith(QStringLiteral("3. Kopiointi ei onnitunut: 61: ")));
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_TRUE(prompter.shown()[0].text.contains(QStringLiteral("FAT32")));
    EXPECT_TRUE(prompter.shown()[0].text.contains(QStringLiteral("4 Gt")));
    EXPECT_FALSE(QFileInfo::exists(mount.path() + QStringLiteral("/Tikkeli/") + today() + QStringLiteral("/iso.mdb")));
}

TEST(FrmBackupStandIn, AFolderNamedInTheEnvironmentServesAsTheStick)
{
    const FixedClock clock(TestNow);
    BackupTestDb club;
    QTemporaryDir folder;
    ScriptedPrompter prompter;
    qputenv("TIKKELI_KOPIOTIKKU", QFile::encodeName(folder.path()));
    frmBackup w;
    w.show();
    QTest::mouseClick(Control<QPushButton>(w, "cEtsiMuistitikku"), Qt::LeftButton);
    ASSERT_TRUE(Control<QPushButton>(w, "cKopioi")->isVisible())
        << Control<QLabel>(w, "lblVapaaTilaStatus")->text().toStdString();
    QTest::mouseClick(Control<QPushButton>(w, "cKopioi"), Qt::LeftButton);
    qunsetenv("TIKKELI_KOPIOTIKKU");
    EXPECT_EQ(
        BackupTestDb::members(folder.path() + QStringLiteral("/Tikkeli/") + today() + QStringLiteral("/Erämiehet.mdb")), 3);
}
