#include "base/ScriptedPrompter.h"
#include "ui/FormRegistry.h"
#include "ui/WindowOpeners.h"
#include "app/ui/frmAbout.h"
#include "app/ui/frmDemoVersion.h"
#include "app/ui/frmMain.h"
#include "backup/BackupRows.h"
#include "db/DbError.h"
#include "platform/IniSettingsStore.h"
#include "settings/SettingsLoader.h"
#include "support/Controls.h"
#include "support/TempProgramEnvironment.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace tikkeli;
using tikkeli::test::Control;

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { WindowOpeners::clear(); }
    void TearDown() override
    {
        WindowOpeners::clear();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName().startsWith(QStringLiteral("frm")) && w->testAttribute(Qt::WA_DeleteOnClose))
                w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QString clubDatabase()
    {
        const QString path = env.copyOfShipped(QStringLiteral("demo1.mdb"), QStringLiteral("seura.mdb"));
        env.writeIni(QStringLiteral("[TIKKELI]\nDatabase=%1\n").arg(path).toUtf8());
        return path;
    }
    QAction* action(QWidget* w, const QString& name) { return Control<QAction>(*w, name); }
    // The main window's placement as the ini file holds it.
    static std::optional<WindowPlacement> storedPlacement()
    {
        IniSettingsStore forms;
        forms.setFile(QStringLiteral("Tikkeli.ini"));
        forms.setSection(QStringLiteral("FORMS"));
        return forms.readPlacement(QStringLiteral("frmMain70"));
    }

    test::TempProgramEnvironment env;
    ScriptedPrompter prompter;
};

// A window with unsaved edits whose user keeps it open.
class StubbornWindow : public QWidget {
public:
    StubbornWindow() { setObjectName(QStringLiteral("frmJasen")); }
    bool refuse = true;
    int closeRequests = 0;

protected:
    void closeEvent(QCloseEvent* e) override
    {
        ++closeRequests;
        if (refuse)
            e->ignore();
        else
            e->accept();
    }
};

} // namespace

TEST_F(MainWindowTest, ButtonsAndMenusAreDisabledUntilTheirWindowsArrive)
{
    frmMain w;
    for (const char* name :
         {"cJasenmaksut", "cJasenrekisteri", "cKartta", "cLuoJasenmaksut", "cOminaisuudet", "cSaalisilmoitus", "cVuokraus"})
        EXPECT_FALSE(Control<QPushButton>(w, name)->isEnabled()) << name;
    EXPECT_TRUE(Control<QPushButton>(w, "cSulje")->isEnabled());
    EXPECT_TRUE(Control<QToolButton>(w, "cAbout")->isEnabled());
    for (const char* hidden : {"mEuroMuunnos", "mPalautaEuroMuunnos", "viiva3"})
        EXPECT_FALSE(action(&w, QString::fromLatin1(hidden))->isVisible()) << hidden;
    EXPECT_FALSE(action(&w, QStringLiteral("mEuroMuunnos"))->isEnabled());
    EXPECT_FALSE(action(&w, QStringLiteral("mVarmistus"))->isEnabled());
    EXPECT_TRUE(action(&w, QStringLiteral("mLopetus"))->isEnabled());
}

TEST_F(MainWindowTest, OpenerFailuresShowTheirPrefixOrNothing)
{
    WindowOpeners::set(MainCommand::MemberRegister,
                       [](QWidget*) { throw DbException(3024, QStringLiteral("Tiedostoa ei löydy.")); });
    WindowOpeners::set(MainCommand::PaymentBook, [](QWidget*) { throw DbException(3051, QStringLiteral("lukittu")); });
    WindowOpeners::set(MainCommand::Contracts, [](QWidget*) { throw std::runtime_error("rikki"); });
    frmMain w;
    EXPECT_TRUE(Control<QPushButton>(w, "cJasenrekisteri")->isEnabled());
    EXPECT_FALSE(Control<QPushButton>(w, "cKartta")->isEnabled());
    WindowOpeners::set(MainCommand::Map, [](QWidget*) {});
    WindowOpeners::set(MainCommand::EuroConversion, [](QWidget*) {});
    w.RefreshCommands();
    EXPECT_TRUE(Control<QPushButton>(w, "cKartta")->isEnabled());
    EXPECT_TRUE(action(&w, QStringLiteral("mKartta"))->isEnabled());
    EXPECT_FALSE(action(&w, QStringLiteral("mEuroMuunnos"))->isEnabled());
    QTest::mouseClick(Control<QPushButton>(w, "cJasenrekisteri"), Qt::LeftButton);
    EXPECT_EQ(prompter.messageTexts(),
              QStringList{QStringLiteral("Jäsenrekisteritoiminnon avaamisessa tapahtui virhe: 3024: Tiedostoa ei löydy.")});
    action(&w, QStringLiteral("mJasenrekisteri"))->trigger();
    EXPECT_EQ(prompter.messageTexts().size(), 2);
    QTest::mouseClick(Control<QPushButton>(w, "cJasenmaksut"), Qt::LeftButton);
    action(&w, QStringLiteral("mJasenmaksut"))->trigger();
    EXPECT_EQ(prompter.messageTexts().size(), 2);
    QTest::mouseClick(Control<QPushButton>(w, "cVuokraus"), Qt::LeftButton);
    EXPECT_EQ(prompter.messageTexts().last(),
              QStringLiteral("Maanvuokrasopimustoiminnon avaamisessa tapahtui virhe: rikki"));
}

TEST_F(MainWindowTest, SecondClickBringsTheSameWindowForward)
{
    int made = 0;
    WindowOpeners::set(MainCommand::FeatureCatalogue, [&](QWidget*) {
        FormRegistry::open(QStringLiteral("frmPiirre"), [&] {
            ++made;
            auto* w = new QWidget;
            w->setObjectName(QStringLiteral("frmPiirre"));
            return w;
        });
    });
    frmMain w;
    EXPECT_FALSE(IsFormLoaded(QStringLiteral("frmPiirre")));
    QTest::mouseClick(Control<QPushButton>(w, "cOminaisuudet"), Qt::LeftButton);
    action(&w, QStringLiteral("mPiirteet"))->trigger();
    EXPECT_EQ(made, 1);
    EXPECT_TRUE(IsFormLoaded(QStringLiteral("frmPiirre")));
    EXPECT_FALSE(IsFormLoaded(QStringLiteral("frmpiirre")));
    FormRegistry::find(QStringLiteral("frmPiirre"))->close();
    EXPECT_FALSE(IsFormLoaded(QStringLiteral("frmPiirre")));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QTest::mouseClick(Control<QPushButton>(w, "cOminaisuudet"), Qt::LeftButton);
    EXPECT_EQ(made, 2);
}

TEST_F(MainWindowTest, ClosingAsksEveryWindowAndStaysWhenOneRefuses)
{
    const QString database = clubDatabase();
    frmMain w;
    ASSERT_TRUE(w.Load());
    w.show();
    auto* other = new StubbornWindow;
    other->setAttribute(Qt::WA_DeleteOnClose);
    other->show();
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(other->closeRequests, 1);
    EXPECT_FALSE(storedPlacement());
    EXPECT_FALSE(UntouchedSinceCleanClose(database));

    // A window its owner keeps loaded but hidden is asked as well: its close handler saves.
    auto* hidden = new StubbornWindow;
    hidden->setObjectName(QStringLiteral("frmPiirre"));
    hidden->setAttribute(Qt::WA_DeleteOnClose);
    hidden->refuse = false;
    ASSERT_TRUE(IsFormLoaded(QStringLiteral("frmPiirre")));

    other->refuse = false;
    EXPECT_TRUE(w.close());
    EXPECT_EQ(other->closeRequests, 2);
    EXPECT_EQ(hidden->closeRequests, 1);
    EXPECT_TRUE(storedPlacement());
    // The next start knows whether any program wrote to the file after this close.
    EXPECT_TRUE(UntouchedSinceCleanClose(database));
}

TEST_F(MainWindowTest, LoadSetsCaptionAndKeepsTheSizeFixed)
{
    clubDatabase();
    frmMain w;
    ASSERT_TRUE(w.Load());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Tikkeli - Erämiehet ry"));
    EXPECT_FALSE(Control<QAction>(w, "mPerustaTietokanta")->isVisible());
    w.show();
    const QSize fixed = w.size();
    w.resize(1200, 600);
    EXPECT_EQ(w.size(), fixed);
    w.showMaximized();
    QCoreApplication::processEvents();
    EXPECT_EQ(w.size(), fixed);
}

TEST_F(MainWindowTest, PlacementComesBackAtTheNextStart)
{
    clubDatabase();
    {
        frmMain w;
        ASSERT_TRUE(w.Load());
        w.show();
        w.move(140, 160);
        QCoreApplication::processEvents();
        ASSERT_TRUE(w.close());
    }
    frmMain again;
    ASSERT_TRUE(again.Load());
    const auto p = storedPlacement();
    ASSERT_TRUE(p);
    EXPECT_EQ(again.geometry().topLeft(), p->geometry.topLeft());
}

TEST_F(MainWindowTest, SampleDatabaseOffersTheChooser)
{
    {
        frmMain keep;
        int asked = 0;
        keep.askOwnDatabase = [&](QWidget*) {
            ++asked;
            return false;
        };
        ASSERT_TRUE(keep.Load());
        EXPECT_EQ(asked, 1);
        keep.show();
        EXPECT_TRUE(Control<QAction>(keep, "mPerustaTietokanta")->isVisible());
    }
    {
        // Own database, then Cancel in the name box: the sample stays, the menu entry goes.
        frmMain cancel;
        cancel.askOwnDatabase = [](QWidget*) { return true; };
        prompter.answerText(std::nullopt);
        ASSERT_TRUE(cancel.Load());
        cancel.show();
        EXPECT_FALSE(Control<QAction>(cancel, "mPerustaTietokanta")->isVisible());
        EXPECT_TRUE(IsDemoDatabase(State().DatabasePath));
    }
}

TEST_F(MainWindowTest, ChooserFoundsTheClubsOwnDatabaseAndEnds)
{
    frmMain w;
    // The real chooser, answered as a user would.
    QTimer::singleShot(0, [] {
        auto* chooser = qobject_cast<frmDemoVersion*>(QApplication::activeModalWidget());
        if (chooser)
            if (auto* own = chooser->findChild<QPushButton*>(QStringLiteral("cNewDatabase")))
                QTest::mouseClick(own, Qt::LeftButton);
    });
    prompter.answerText(QStringLiteral("Erämiehet"));
    EXPECT_FALSE(w.Load());
    const QString created = env.userFolder() + QStringLiteral("/Erämiehe.mdb");
    EXPECT_TRUE(QFileInfo::exists(created));
    EXPECT_EQ(ProgramIniStore().read(QStringLiteral("Database")), created);
    EXPECT_EQ(prompter.messageTexts().last(), QStringLiteral("Tikkeli suljetaan, koska tietokanta on vaihdettu."));
}

TEST_F(MainWindowTest, MenuFoundsANewDatabaseAndClosesEveryWindowThroughItsOwnClose)
{
    frmMain w;
    w.askOwnDatabase = [](QWidget*) { return false; };
    ASSERT_TRUE(w.Load());
    w.show();
    ASSERT_TRUE(Control<QAction>(w, "mPerustaTietokanta")->isVisible());
    auto* other = new StubbornWindow;
    other->setAttribute(Qt::WA_DeleteOnClose);
    other->refuse = false;
    other->show();
    prompter.answerText(QStringLiteral("seura"));
    Control<QAction>(w, "mPerustaTietokanta")->trigger();
    EXPECT_EQ(ProgramIniStore().read(QStringLiteral("Database")), env.userFolder() + QStringLiteral("/seura.mdb"));
    EXPECT_EQ(other->closeRequests, 1);
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(storedPlacement());
}

TEST_F(MainWindowTest, FirstRunChooserAnswers)
{
    frmDemoVersion byButton;
    QTest::mouseClick(Control<QPushButton>(byButton, "cNewDatabase"), Qt::LeftButton);
    EXPECT_FALSE(byButton.UseDemoDatabase);
    QTest::mouseClick(Control<QPushButton>(byButton, "cDemo"), Qt::LeftButton);
    EXPECT_TRUE(byButton.UseDemoDatabase);
    frmDemoVersion byCloseBox;
    byCloseBox.show();
    byCloseBox.close();
    EXPECT_TRUE(byCloseBox.UseDemoDatabase);
}

TEST_F(MainWindowTest, AboutWindowShowsVersionClubAndLinks)
{
    State().ClubName = QStringLiteral("Erämiehet ry");
    QStringList opened;
    QPoint placed;
    frmAbout::openTarget = [&](const QString& t) { opened << t; };
    {
        frmAbout about;
        EXPECT_EQ(Control<QLabel>(about, "lblRegName")->text(), QStringLiteral("Erämiehet ry"));
        EXPECT_EQ(about.minimumSize(), about.maximumSize());
        about.Label4_Click();
        about.Label9_Click();
        about.show();
        about.move(33, 44);
        placed = about.frameGeometry().topLeft(); // the window is placed by its frame
        QTest::mouseClick(Control<QPushButton>(about, "cSulje"), Qt::LeftButton);
        EXPECT_FALSE(about.isVisible());
    }
    frmAbout::openTarget = {};
    ASSERT_EQ(opened.size(), 2);
    EXPECT_TRUE(opened[0].endsWith(QStringLiteral("README.md")));
    State().ClubName.clear();
    frmAbout again;
    EXPECT_EQ(Control<QLabel>(again, "lblRegName")->text(), QString());
    EXPECT_EQ(again.pos(), placed);
}
