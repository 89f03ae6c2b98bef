#include "app/ui/frmAbout.h"
#include "app/ui/frmDemoVersion.h"
#include "base/ScriptedPrompter.h"
#include "ui/ScreenFit.h"
#include "ui/WidgetPrompter.h"
#include "catch/ui/frmSaalisilmTulostus.h"
#include "support/WhenModalShown.h"
#include "../contracts/ContractTestDb.h"
#include "printing/ui/ReportPreview.h"
#include "platform/IniSettingsStore.h"
#include "base/SharedState.h"
#include "ui/FormPlacement.h"
#include "support/TempProgramEnvironment.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QHash>
#include <QSet>
#include <functional>
#include <memory>
#include <QScreen>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

// The laptop screen this test program runs on (tests/desktop/screens.json).
QRect laptop()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

} // namespace

TEST(FitInside, MovesAndShrinksIntoTheArea)
{
    const QRect area(0, 0, 1366, 768);
    struct Case {
        const char* name;
        QRect frame;
        QSize minimum;
        QRect expected;
    } cases[] = {
        {"already inside stays", {100, 50, 800, 600}, {}, {100, 50, 800, 600}},
        {"too tall is shortened and moved up", {100, 50, 900, 1030}, {}, {100, 0, 900, 768}},
        {"too wide is narrowed", {-40, 10, 1600, 500}, {}, {0, 10, 1366, 500}},
        {"hanging off the right and bottom is moved back", {1000, 600, 600, 400}, {}, {766, 368, 600, 400}},
        {"above and left of the area is moved in", {-300, -200, 400, 300}, {}, {0, 0, 400, 300}},
        {"never smaller than its minimum", {0, 0, 900, 1030}, {900, 800}, {0, 0, 900, 800}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FitInside(c.frame, area, c.minimum), c.expected) << c.name;
    // An area that lies elsewhere on a larger desktop (second screen, panel on the left).
    EXPECT_EQ(FitInside({0, 0, 800, 900}, {1366, 32, 1280, 800}), QRect(1366, 32, 800, 800));
}

TEST(ScreenFit, TheScreenIsALaptops)
{
    ASSERT_TRUE(QGuiApplication::primaryScreen());
    EXPECT_EQ(laptop().size(), QSize(1366, 768));
}

// The report preview opens at 900 x 1000 and with whatever placement was saved on a larger
// screen; on a laptop it must open whole inside the screen, title bar included.
TEST(ScreenFit, ReportPreviewOpensWithinALaptopScreen)
{
    test::TempProgramEnvironment env(false);
    State().IniFileName = env.iniPath();
    for (const QRect saved : {QRect(), QRect(200, 300, 1200, 1100)}) {
        if (saved.isValid()) {
            IniSettingsStore ini;
            ini.setFile(env.iniPath());
            ini.setSection(QStringLiteral("FORMS"));
            WindowPlacement p;
            p.geometry = saved;
            ini.writePlacement(p, FormPlacementKey(QStringLiteral("ReportPreview")));
        }
        ReportDocument doc;
        doc.pageSize = QSizeF(595, 842);
        doc.pages.resize(2);
        auto* preview = new ReportPreview(std::make_shared<const ReportDocument>(doc));
        preview->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(preview));
        const QRect outer = preview->frameGeometry();
        EXPECT_TRUE(laptop().contains(outer)) << "saved " << saved.width() << "x" << saved.height() << ": " << outer.x()
                                              << "," << outer.y() << " " << outer.width() << "x" << outer.height();
        EXPECT_GE(preview->height(), 500) << "the preview keeps a useful height";
        preview->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// A window whose layout asks for more than the screen, shown without a saved placement.
TEST(ScreenFit, AWindowGrownByItsLayoutIsFittedWhenShown)
{
    test::TempProgramEnvironment env(false);
    State().IniFileName = env.iniPath();
    QWidget window;
    window.setObjectName(QStringLiteral("frmIso"));
    auto* layout = new QVBoxLayout(&window);
    auto* big = new QWidget(&window);
    big->setMinimumSize(300, 200);
    big->resize(1500, 1200);
    layout->addWidget(big);
    RestoreFormPlacement(&window);
    window.resize(1500, 1200);
    window.move(300, 200);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_TRUE(laptop().contains(window.frameGeometry())) << window.width() << "x" << window.height();
    EXPECT_GE(window.width(), 1300);
}

// A window nobody placed is only made small enough: where it goes is the window manager's choice
// (pinning it to the area's corner would undo the centring).
TEST(ScreenFit, AnUnplacedWindowIsShrunkButNotPinned)
{
    QWidget window;
    window.resize(1600, 1000);
    ASSERT_FALSE(window.testAttribute(Qt::WA_Moved));
    FitOnScreen(&window, QRect(0, 32, 1366, 736));
    EXPECT_LE(window.width(), 1366);
    EXPECT_LE(window.height(), 736);
    EXPECT_FALSE(window.testAttribute(Qt::WA_Moved));
}

// A dialog closed and opened again comes back where it was, round after round: the saved
// position is its frame's corner, so the title bar is not counted a second time.
TEST(ScreenFit, ADialogReopensWhereItWas)
{
    test::TempProgramEnvironment env(false);
    State().IniFileName = env.iniPath();
    QPoint first;
    for (int round = 0; round < 3; ++round) {
        QDialog d;
        d.setObjectName(QStringLiteral("frmPaikka"));
        d.resize(400, 300);
        RestoreFormPlacement(&d);
        if (round == 0)
            d.move(300, 200);
        d.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
        if (round == 0)
            first = d.frameGeometry().topLeft();
        EXPECT_EQ(d.frameGeometry().topLeft(), first) << "round " << round;
        EXPECT_EQ(d.size(), QSize(400, 300)) << "round " << round;
        SaveFormPlacement(&d);
        IniSettingsStore ini;
        ini.setFile(env.iniPath());
        ini.setSection(QStringLiteral("FORMS"));
        const auto saved = ini.readPlacement(FormPlacementKey(QStringLiteral("frmPaikka")));
        ASSERT_TRUE(saved.has_value());
        EXPECT_EQ(saved->geometry.topLeft(), first) << "the frame's corner is kept";
    }
}

// A window left for the window manager to place (a dialog centred on its owner) whose title bar
// would lie above the screen is moved down onto it; it could not be dragged otherwise.
TEST(ScreenFit, AnUnplacedWindowWithItsTitleBarAboveTheScreenIsMovedOntoIt)
{
    QDialog window;
    window.resize(400, 300);
    window.move(100, -60);
    window.setAttribute(Qt::WA_Moved, false);
    FitOnScreen(&window, QRect(0, 0, 1366, 768));
    EXPECT_GE(window.pos().y(), 0);
    EXPECT_EQ(window.pos().x(), 100);
}

namespace {

// A window manager (icewm) that frames a window only once it is on the screen and then puts the
// window itself, not its frame, where the frame was asked to go.
class FramingLate : public QObject {
public:
    explicit FramingLate(QWidget* owner) : m_owner(owner) { qApp->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* w = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Paint && w && w->isWindow() && w != m_owner && !m_framed.contains(w)) {
            m_framed.insert(w);
            const QRect frame = w->frameGeometry();
            w->move(frame.x(), frame.y() - (w->geometry().y() - frame.y()));
        }
        return false;
    }

    // Where the window lies, frame included.
    QRect where(QWidget* w) const { return w->frameGeometry(); }

private:
    QWidget* m_owner;
    QSet<QWidget*> m_framed;
};

} // namespace

// Dialogs and message boxes centred on the main window, a short window at the top of the
// screen, open with their title bar on the screen under such a window manager.
TEST(ScreenFit, DialogsOverAShortMainWindowKeepTheirTitleBarOnTheScreen)
{
    test::ContractTestDb t(test::ContractTestDb::Source::Sample);
    State().IniFileName = t.env.iniPath();
    ScriptedPrompter scripted;
    QWidget owner;
    owner.move(0, 0);
    owner.resize(698, 101);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    QApplication::setActiveWindow(&owner);
    FramingLate windowManager(&owner);
    const auto onScreen = [](QWidget& w) {
        QCoreApplication::processEvents();
        const QRect outer = w.frameGeometry();
        EXPECT_TRUE(laptop().contains(outer))
            << outer.x() << "," << outer.y() << " " << outer.width() << "x" << outer.height();
    };
    struct Case {
        const char* name;
        std::function<QDialog*()> make;
    };
    const Case cases[] = {
        {"frmDemoVersion", [&] { return new frmDemoVersion(&owner); }},
        {"frmAbout", [&] { return new frmAbout(&owner); }},
        {"frmSaalisilmTulostus", [&] { return new frmSaalisilmTulostus(&owner); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<QDialog> d(c.make());
        d->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(d.get()));
        onScreen(*d);
    }
    SCOPED_TRACE("message box");
    owner.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&owner));
    bool answered = false;
    test::WhenModalShown<QMessageBox>([&](QMessageBox& box) {
        onScreen(box);
        answered = true;
        box.accept();
    });
    WidgetPrompter().message(QStringLiteral("Aloitetaan tietokannan varmuuskopiointi ja uudelleenjärjestely.\r\n"
                                            "Varmista että kohde /media/tikku/Varmuuskopiot/\r\non valmiina.\r\n"
                                            "Kopiointi kestää hetken..."),
                             MsgIcon::Information, MsgButtons::Ok);
    EXPECT_TRUE(answered);
}

namespace {

// A window manager (icewm) that, when it frames a window, puts the window itself where the frame
// was asked to go but tells Qt the place it meant: Qt counts the title bar on the screen while it
// lies above it. A place the program asks for after that is where the window goes.
class FramingAndMisreporting : public QObject {
public:
    explicit FramingAndMisreporting(QWidget* owner) : m_owner(owner) { qApp->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w || !w->isWindow() || w == m_owner)
            return false;
        if (event->type() == QEvent::Paint && !m_real.contains(w)) {
            const QRect frame = w->frameGeometry();
            m_real.insert(w, frame.translated(0, frame.top() - w->geometry().top()));
        } else if (event->type() == QEvent::Move && m_real.contains(w)) {
            m_real[w] = w->frameGeometry();
        }
        return false;
    }
    QRect where(QWidget* w) const { return m_real.value(w); }

private:
    QWidget* m_owner;
    QHash<QWidget*, QRect> m_real;
};

// Where the dialog that open() shows lies under the window manager WM, over owner.
template <class WM>
QRect whereOpened(QWidget& owner, const std::function<void()>& open)
{
    // One per dialog: a dialog may open where the previous one lay in memory.
    WM windowManager(&owner);
    QRect where;
    test::WhenModalShown<QDialog>([&](QDialog& d) {
        QCoreApplication::processEvents();
        where = windowManager.where(&d);
        d.reject();
    });
    open();
    return where;
}

} // namespace

// Every file dialog, the dialogs and message boxes Qt opens by itself (the printer dialog, its
// question about an existing file), and the backup's closing message open over the main window at
// the top of the screen with their title bar on the screen, under either window manager.
TEST(ScreenFit, EveryDialogOpensWithItsTitleBarOnTheScreen)
{
    KeepDialogsOnScreen();
    QWidget owner;
    owner.move(0, 0);
    owner.resize(698, 101);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    FileDialogRequest request;
    request.folder = QDir::tempPath();
    request.defaultSuffix = QStringLiteral("pdf");
    const std::function<void()> openFile = [&] { WidgetPrompter().openFile(request); };
    const std::function<void()> closingMessage = [] {
        WidgetPrompter().message(QStringLiteral("Tietokannan varmuuskopiointi ja uudelleenjärjestely valmis."),
                                 MsgIcon::Information, MsgButtons::Ok);
    };
    struct Case {
        const char* name;
        bool misreporting; // else FramingLate
        std::function<void()> open;
    };
    const Case cases[] = {
        {"the open dialog", false, openFile},
        {"the save dialog", false, [&] { WidgetPrompter().saveFile(request); }},
        {"the folder dialog", false, [&] { WidgetPrompter().chooseFolder(request); }},
        {"the printer dialog", false,
         [&] {
             QPrinter printer;
             QPrintDialog(&printer, &owner).exec();
         }},
        {"a message box of Qt's own", false,
         [&] {
             QMessageBox::question(&owner, QString(),
                                   QStringLiteral("/home/seura/Asiakirjat/Tikkeli/jasenluettelo.pdf on jo olemassa.\n"
                                                  "Haluatko korvata sen?\n\n\n"));
         }},
        {"the backup's closing message, misreported", true, closingMessage},
        {"the open dialog, misreported", true, openFile},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        owner.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&owner));
        const QRect outer = c.misreporting ? whereOpened<FramingAndMisreporting>(owner, c.open)
                                           : whereOpened<FramingLate>(owner, c.open);
        EXPECT_TRUE(laptop().contains(outer))
            << outer.x() << "," << outer.y() << " " << outer.width() << "x" << outer.height();
    }
}
