#include "../BackupTestDb.h"
#include "../FakeVolumes.h"

#include "base/ScriptedPrompter.h"
#include "support/Controls.h"
#include "support/FailingFileSafety.h"
#include "backup/ui/frmBackupManagement.h"
#include "base/SharedState.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <stdexcept>

#include <cerrno>

using namespace tikkeli;
using namespace tikkeli::test;

namespace {

// The window's own button, found by its object name; a missing one fails the test at once.
QPushButton* poista(QWidget& w)
{
    auto* b = w.findChild<QPushButton*>(QStringLiteral("cPoistaValitut"));
    if (!b)
        throw std::runtime_error("no control cPoistaValitut");
    return b;
}

} // namespace

namespace {

QStringList texts(const QListWidget* list)
{
    QStringList t;
    for (int i = 0; i < list->count(); ++i)
        t << list->item(i)->text();
    return t;
}

void clickItem(QListWidget* list, const QString& text)
{
    const auto items = list->findItems(text, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1) << text.toStdString();
    const QRect r = list->visualItemRect(items.first());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
}

class FrmBackupManagementTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        State().ProgramTitle = QStringLiteral("Tikkeli");
        const QString root = mount.path() + QStringLiteral("/Tikkeli/");
        for (const char* f : {"20251231/a.mdb", "20251231/b.mdb", "20260105/c.mdb"}) {
            const QString path = root + QString::fromLatin1(f);
            QDir().mkpath(QFileInfo(path).absolutePath());
            QFile(path).open(QIODevice::WriteOnly);
        }
        QDir().mkpath(root + QStringLiteral("kuvat"));
        volumes.add(mount.path());
    }
    bool exists(const char* f) const
    {
        return QFileInfo::exists(mount.path() + QStringLiteral("/Tikkeli/") + QString::fromLatin1(f));
    }

    QTemporaryDir mount;
    FakeVolumes volumes;
    ScriptedPrompter prompter;
    test::FailingFileSafety files;
};

} // namespace

TEST_F(FrmBackupManagementTest, ListsDaysNewestFirstAndDeletesOnlyTheChosenCopies)
{
    frmBackupManagement w;
    w.show();
    EXPECT_FALSE(Control<QListWidget>(w, "lstPaiva")->isVisible() || Control<QLabel>(w, "lblPaiva")->isVisible()
                 || Control<QLabel>(w, "lblTietokanta")->isVisible());
    QTest::mouseClick(Control<QPushButton>(w, "cEtsiMuistitikku"), Qt::LeftButton);
    EXPECT_EQ(texts(Control<QListWidget>(w, "lstPaiva")),
              (QStringList{QStringLiteral("05.01.2026"), QStringLiteral("31.12.2025")}));
    EXPECT_EQ(Control<QListWidget>(w, "lstPaiva")->item(1)->data(Qt::UserRole).toInt(), 20251231);
    EXPECT_EQ(
        Control<QLabel>(w, "lblVaihe2")->text(),
        QStringLiteral("2. Sopiva muistitikku löytyi (%1), valitse palautettavan varmuuskopion päivä:").arg(mount.path()));
    EXPECT_TRUE(Control<QLabel>(w, "lblVaihe2")->isVisible() && Control<QListWidget>(w, "lstPaiva")->isVisible());
    EXPECT_FALSE(Control<QLabel>(w, "lblVaihe1")->isEnabled() || Control<QPushButton>(w, "cEtsiMuistitikku")->isEnabled());
    EXPECT_FALSE(Control<QLabel>(w, "lblPaiva")->isVisible() || Control<QLabel>(w, "lblTietokanta")->isVisible());

    clickItem(Control<QListWidget>(w, "lstPaiva"), QStringLiteral("31.12.2025"));
    EXPECT_EQ(texts(Control<QListWidget>(w, "lstTietokanta")),
              (QStringList{QStringLiteral("a.mdb"), QStringLiteral("b.mdb")}));
    EXPECT_EQ(Control<QLabel>(w, "lblVaihe3")->text(),
              QStringLiteral("3. Valitulle päivälle 31.12.2025 löytyy seuraavat tietokannat, "
                             "valitse poistettavien tietokantojen nimet:"));
    EXPECT_FALSE(poista(w)->isVisible());
    clickItem(Control<QListWidget>(w, "lstTietokanta"), QStringLiteral("a.mdb"));
    clickItem(Control<QListWidget>(w, "lstTietokanta"), QStringLiteral("b.mdb"));
    EXPECT_TRUE(poista(w)->isVisible());

    prompter.answerNo();  // a.mdb stays
    prompter.answerYes(); // b.mdb goes
    QTest::mouseClick(poista(w), Qt::LeftButton);
    ASSERT_EQ(prompter.shown().size(), 2u);
    EXPECT_EQ(prompter.shown()[1].text, QStringLiteral("Haluatko varmasti poistaa kopion 31.12.2025 / b.mdb?"));
    EXPECT_EQ(prompter.shown()[1].icon, MsgIcon::None);
    EXPECT_EQ(prompter.shown()[1].buttons, MsgButtons::YesNo);
    EXPECT_TRUE(exists("20251231/a.mdb"));
    EXPECT_FALSE(exists("20251231/b.mdb"));
    EXPECT_TRUE(exists("20260105/c.mdb"));
    EXPECT_EQ(texts(Control<QListWidget>(w, "lstTietokanta")), QStringList{QStringLiteral("a.mdb")});
    EXPECT_FALSE(poista(w)->isVisible());

    clickItem(Control<QListWidget>(w, "lstTietokanta"), QStringLiteral("a.mdb"));
    prompter.answerYes();
    QTest::mouseClick(poista(w), Qt::LeftButton);
    EXPECT_EQ(Control<QLabel>(w, "lblVaihe3")->text(), QStringLiteral("3. Valitulle päivälle ei löydy tietokantoja."));
    EXPECT_FALSE(Control<QListWidget>(w, "lstTietokanta")->isVisible());
    EXPECT_EQ(Control<QListWidget>(w, "lstPaiva")->count(), 2);
    EXPECT_TRUE(QFileInfo(mount.path() + QStringLiteral("/Tikkeli/20251231")).isDir());
    EXPECT_TRUE(exists("20260105/c.mdb"));
    EXPECT_EQ(prompter.unexpected(), 0);
}

TEST_F(FrmBackupManagementTest, AFailedDeletionStopsWithAWarning)
{
    files.fault = [](FileStep step, const QString&) { return step == FileStep::Remove ? EACCES : 0; };
    frmBackupManagement w;
    w.show();
    QTest::mouseClick(Control<QPushButton>(w, "cEtsiMuistitikku"), Qt::LeftButton);
    clickItem(Control<QListWidget>(w, "lstPaiva"), QStringLiteral("31.12.2025"));
    clickItem(Control<QListWidget>(w, "lstTietokanta"), QStringLiteral("a.mdb"));
    clickItem(Control<QListWidget>(w, "lstTietokanta"), QStringLiteral("b.mdb"));
    prompter.answerYes();
    QTest::mouseClick(poista(w), Qt::LeftButton);
    ASSERT_EQ(prompter.shown().size(), 2u); // the second copy is not asked about
    EXPECT_EQ(prompter.shown()[1].text, QStringLiteral("Kopion poisto ei onnistu: 70: Käyttöoikeus evätty"));
    EXPECT_EQ(prompter.shown()[1].icon, MsgIcon::Warning);
    EXPECT_TRUE(exists("20251231/a.mdb") && exists("20251231/b.mdb"));
}

TEST_F(FrmBackupManagementTest, TheDatabaseInUseIsNotDeleted)
{
    // The club works straight on a copy on the stick.
    State().DatabasePath = mount.path() + QStringLiteral("/Tikkeli/20260105/c.mdb");
    frmBackupManagement w;
    w.show();
    QTest::mouseClick(Control<QPushButton>(w, "cEtsiMuistitikku"), Qt::LeftButton);
    clickItem(Control<QListWidget>(w, "lstPaiva"), QStringLiteral("05.01.2026"));
    clickItem(Control<QListWidget>(w, "lstTietokanta"), QStringLiteral("c.mdb"));
    prompter.answerYes();
    QTest::mouseClick(poista(w), Qt::LeftButton);
    ASSERT_EQ(prompter.shown().size(), 2u);
    EXPECT_EQ(prompter.shown()[1].text, QStringLiteral("Kopion poisto ei onnistu: 70: Tiedosto on ohjelman käytössä"));
    EXPECT_TRUE(exists("20260105/c.mdb"));
    State().DatabasePath.clear();
}

TEST_F(FrmBackupManagementTest, NoStickOrNoBackups)
{
    volumes.list.clear();
    frmBackupManagement w;
    w.show();
    QTest::mouseClick(Control<QPushButton>(w, "cEtsiMuistitikku"), Qt::LeftButton);
    for (const char* part : {"Sopivaa muistitikkua ei löydy.", "on oltava KOPIOTIKKU", "fatlabel"})
        EXPECT_TRUE(Control<QLabel>(w, "lblVapaaTilaStatus")->text().contains(QString::fromUtf8(part))) << part;
    EXPECT_TRUE(Control<QLabel>(w, "lblVapaaTilaStatus")->isVisible());

    QTemporaryDir empty;
    QDir().mkpath(empty.path() + QStringLiteral("/Tikkeli/sanat"));
    volumes.add(empty.path());
    QTest::mouseClick(Control<QPushButton>(w, "cEtsiMuistitikku"), Qt::LeftButton);
    EXPECT_EQ(Control<QLabel>(w, "lblVapaaTilaStatus")->text(), QStringLiteral("Muistitikulta ei löydy varmuuskopioita."));
    EXPECT_TRUE(Control<QPushButton>(w, "cEtsiMuistitikku")->isEnabled());
    EXPECT_FALSE(Control<QListWidget>(w, "lstPaiva")->isVisible());
}
