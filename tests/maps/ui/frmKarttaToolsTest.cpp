#include "../AnotherProgram.h"
#include "MapWindowFixture.h"

#include "maps/BoundaryCache.h"
#include "maps/EstateCaption.h"
#include "maps/ui/frmValitseTila.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <sqlite3.h>

using namespace tikkeli;
using namespace tikkeli::test;

namespace {

using MapTools = MapWindowFixture;

const QString kDrawHint = QStringLiteral("Napsauta rajan kulmat, oikea painike lopettaa.");
const QString kStoreQuestion = QStringLiteral("Tallennetaanko tilan rajat?");
const QString kStopQuestion = QStringLiteral("Tilan rajaan tarvitaan vähintään kolme pistettä, joten rajoja ei voi "
                                             "tallentaa. Lopetetaanko piirtäminen?");

} // namespace

TEST_F(MapTools, ScrollingAndZoomingReadNoBoundariesUntilTheDatabaseChanges)
{
    t.db.close(); // as in the program, the window holds the only handle to the file
    frmKartta* w = open();
    // Kept open, the connection keeps the database stamp: a new one would call for a new read.
    EXPECT_TRUE(ConnectionRegistry::isOpen(t.path));
    frmKartta::ChooseEstates = [](QWidget*) { return std::optional<frmKartta::EstatesChoice>({true, {}}); };
    Control<QCheckBox>(*w, "cNaytaTilat")->click();
    const std::size_t reads = BoundaryCache::shared().reads();
    for (int value : {20, 40, 60})
        Control<QScrollBar>(*w, "VScrl")->setValue(value);
    w->chooseZoom(6);
    EXPECT_EQ(BoundaryCache::shared().reads(), reads);
    EXPECT_EQ(view(*w)->estates().size(), 2u);
    writeFromAnotherProgram(t.path, "DELETE FROM rj WHERE rjtlID = 2");
    Control<QScrollBar>(*w, "VScrl")->setValue(10);
    EXPECT_EQ(view(*w)->estates().size(), 1u);
}

TEST_F(MapTools, TwoProgramsDrawingOneEstateNeitherMixNorDeleteTheOthersBoundary)
{
    frmKartta* w = open();
    frmKartta::PickEstate = [](QWidget*, frmKartta::EstateFilter) { return kUndrawn; };
    const auto drawTriangle = [&] {
        w->cPiirra_Click();
        for (const QPoint p : {QPoint(100, 100), QPoint(200, 100), QPoint(200, 200)})
            click(*w, p);
    };
    drawTriangle();
    EXPECT_EQ(rows(QStringLiteral(" WHERE rjtlID = 3")), 0);
    writeFromAnotherProgram(t.path, "INSERT INTO rj (rjtlID, rjOrderID, rjX, rjY, rjMukaan) VALUES "
                                    "(3, 1, 7, 7, 0), (3, 2, 907, 7, 0), (3, 3, 907, 907, 0), (3, 4, 7, 907, 0)");
    prompter.answerYes(); // keep the drawing
    prompter.answerNo();  // but do not replace the other's
    click(*w, QPoint(200, 200), Qt::RightButton);
    ASSERT_EQ(prompter.shown().size(), 2u);
    EXPECT_EQ(prompter.shown()[1].text, QStringLiteral("Tilalle on tallennettu rajat toisaalla sen jälkeen, kun aloitit "
                                                       "piirtämisen. Korvataanko ne nyt piirretyillä rajoilla?"));
    EXPECT_EQ(prompter.shown()[1].buttons, MsgButtons::YesNoDefaultNo);
    EXPECT_EQ(rows(QStringLiteral(" WHERE rjtlID = 3 AND (rjX = 7 OR rjX = 907)")), 4);

    // "Ei" to keeping a drawing removes nothing of the other's boundary.
    drawTriangle();
    prompter.answerNo();
    click(*w, QPoint(200, 200), Qt::RightButton);
    EXPECT_EQ(rows(QStringLiteral(" WHERE rjtlID = 3")), 4);
}

TEST_F(MapTools, FewerThanThreeCornersLeftByAStoppedDrawingGoWhenTheMapOpens)
{
    t.db.execute(QStringLiteral("INSERT INTO rj (rjtlID, rjOrderID, rjX, rjY, rjMukaan) VALUES (3, 1, 5, 5, 0), "
                                "(3, 2, 50, 5, 0), (4, 1, 9, 9, 0)"));
    open();
    EXPECT_EQ(rows(QStringLiteral(" WHERE rjtlID IN (3, 4)")), 0);
    EXPECT_EQ(rows(), 7);
}

TEST_F(MapTools, ABoundaryJustStoredStaysShownUntilTheEstatesAreChosenAgain)
{
    frmKartta* w = open();
    ASSERT_FALSE(Control<QCheckBox>(*w, "cNaytaTilat")->isChecked());
    frmKartta::PickEstate = [](QWidget*, frmKartta::EstateFilter) { return kUndrawn; };
    w->cPiirra_Click();
    for (const QPoint p : {QPoint(100, 100), QPoint(200, 100), QPoint(200, 200)})
        click(*w, p);
    prompter.answerYes();
    click(*w, QPoint(200, 200), Qt::RightButton);
    ASSERT_EQ(view(*w)->estates().size(), 1u);
    EXPECT_EQ(view(*w)->estates().front().size(), 3u);
    w->chooseZoom(3);
    EXPECT_EQ(view(*w)->estates().size(), 1u);
    frmKartta::ChooseEstates = [](QWidget*) { return std::optional<frmKartta::EstatesChoice>({false, {kSquare}}); };
    Control<QCheckBox>(*w, "cNaytaTilat")->click();
    ASSERT_EQ(view(*w)->estates().size(), 1u);
    EXPECT_EQ(view(*w)->estates().front().size(), 4u);
}

TEST_F(MapTools, BoundariesAreDrawnClosedOnTheScreenAndForThePrint)
{
    frmKartta* w = open();
    frmKartta::ChooseEstates = [](QWidget*) { return std::optional<frmKartta::EstatesChoice>({true, {}}); };
    Control<QCheckBox>(*w, "cNaytaTilat")->click();
    const QImage drawn = view(*w)->grab().toImage();
    // The square's closing side runs from its fourth corner (100, 300) to its first (100, 100).
    EXPECT_TRUE(colourNear(drawn, view(*w)->widgetPosOf(twips(QPoint(100, 200))), MapView::boundaryColor()));
    ASSERT_EQ(w->drawnEstates().size(), 2u);
    for (const frmKartta::DrawnEstate& e : w->drawnEstates())
        EXPECT_EQ(e.boundary.front(), e.boundary.back()) << e.estateId;
}

TEST_F(MapTools, KeysAndTheWheelMoveAndZoomTheMap)
{
    frmKartta* w = open();
    w->chooseZoom(5);
    Control<QScrollBar>(*w, "HScrl")->setValue(1);
    Control<QScrollBar>(*w, "VScrl")->setValue(1);
    MapView* v = view(*w);
    EXPECT_EQ(v->focusPolicy(), Qt::StrongFocus);
    const int hMax = w->viewState().hRange().maximum, vMax = w->viewState().vRange().maximum;
    const int page = w->viewState().vRange().largeChange;
    const auto wheel = [v](int notches, Qt::KeyboardModifiers mods) {
        QWheelEvent e(QPointF(50, 50), v->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      mods, Qt::NoScrollPhase, false);
        QApplication::sendEvent(v, &e);
    };
    struct Step {
        const char* what;
        std::function<void()> act;
        int h, v;
    } const steps[] = {
        {"Right", [v] { QTest::keyClick(v, Qt::Key_Right); }, 26, 1},
        {"Down", [v] { QTest::keyClick(v, Qt::Key_Down); }, 26, 26},
        {"Page Down", [v] { QTest::keyClick(v, Qt::Key_PageDown); }, 26, 26 + page},
        {"Up", [v] { QTest::keyClick(v, Qt::Key_Up); }, 26, 1 + page},
        {"Page Up", [v] { QTest::keyClick(v, Qt::Key_PageUp); }, 26, 1},
        {"Left", [v] { QTest::keyClick(v, Qt::Key_Left); }, 1, 1},
        {"End", [v] { QTest::keyClick(v, Qt::Key_End); }, hMax, 1},
        {"Ctrl+End", [v] { QTest::keyClick(v, Qt::Key_End, Qt::ControlModifier); }, hMax, vMax},
        {"Home", [v] { QTest::keyClick(v, Qt::Key_Home); }, 1, vMax},
        {"Ctrl+Home", [v] { QTest::keyClick(v, Qt::Key_Home, Qt::ControlModifier); }, 1, 1},
        {"wheel down", [&] { wheel(-1, Qt::NoModifier); }, 1, 76},
        {"wheel up", [&] { wheel(1, Qt::NoModifier); }, 1, 1},
    };
    for (const Step& s : steps) {
        s.act();
        EXPECT_EQ(w->viewState().hScroll(), s.h) << s.what;
        EXPECT_EQ(w->viewState().vScroll(), s.v) << s.what;
    }
    wheel(1, Qt::ControlModifier);
    EXPECT_EQ(w->viewState().zoomIndex(), 6);
    wheel(-2, Qt::ControlModifier);
    EXPECT_EQ(w->viewState().zoomIndex(), 5);
}

TEST_F(MapTools, MenusHaveLettersOfTheirOwnAndTheStatusRowSaysHowToGoOn)
{
    frmKartta* w = open();
    QSet<QChar> letters;
    for (QAction* menu : w->menuBar()->actions()) {
        const QString text = menu->text();
        const QChar letter = text.at(text.indexOf(QLatin1Char('&')) + 1).toLower();
        EXPECT_FALSE(letters.contains(letter)) << text.toStdString();
        letters.insert(letter);
    }
    auto* hint = Control<QLabel>(*w, "lblOhje");
    EXPECT_TRUE(hint->text().isEmpty());
    frmKartta::PickEstate = [](QWidget*, frmKartta::EstateFilter) { return kUndrawn; };
    w->cPiirra_Click();
    EXPECT_EQ(hint->text(), kDrawHint);
    click(*w, QPoint(100, 100));
    prompter.answerYes(); // too few corners to store: stop drawing
    QTest::keyClick(view(*w), Qt::Key_Escape);
    EXPECT_EQ(prompter.messageTexts(), QStringList{kStopQuestion});
    prompter.clear();
    EXPECT_TRUE(w->tool().idle());
    EXPECT_TRUE(hint->text().isEmpty());
    w->mMaaraaMittasuhteet_Click();
    EXPECT_TRUE(hint->text().contains(QStringLiteral("kaksi pistettä"))) << hint->text().toStdString();
    click(*w, QPoint(100, 100));
    EXPECT_TRUE(hint->text().startsWith(QStringLiteral("Napsauta toinen piste"))) << hint->text().toStdString();
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(MapTools, ThePickerTakesOneEnterAndTheDeleteQuestionsDefaultToNo)
{
    frmValitseTila d(t.db);
    d.setVainPiirretyt(true);
    ASSERT_TRUE(d.load());
    d.show();
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    auto* combo = Control<QComboBox>(d, "cmbRekNo");
    combo->setFocus();
    // The register number typed; the box completes the rest, and one Enter chooses it.
    QTest::keyClicks(combo, combo->itemText(1).section(QLatin1Char(' '), 0, 0));
    QTest::keyClick(combo, Qt::Key_Return);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.SelectedEstateId(), combo->itemData(1).toLongLong());

    frmKartta* w = open();
    frmKartta::PickEstate = [](QWidget*, frmKartta::EstateFilter) { return kTriangle; };
    prompter.answerNo();
    w->mPoistaTila_Click();
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].buttons, MsgButtons::YesNoDefaultNo);
    EXPECT_EQ(rows(QStringLiteral(" WHERE rjtlID = 2")), 3);
    prompter.answerNo();
    w->mPoistaKartta_Click();
    EXPECT_EQ(prompter.shown()[1].buttons, MsgButtons::YesNoDefaultNo);
}

// A drawing ended any other way than by the right button asks what becomes of its corners: stored,
// dropped, or the close or Escape called off and the drawing going on (the default). With fewer
// corners than a boundary needs it asks only whether to stop. While it asks, the status row no
// longer says how to draw.
TEST_F(MapTools, ADrawingInterruptedByACloseOrEscapeAsksFirst)
{
    enum class Way { Sulje, Escape, ProgramClose };
    struct Case {
        const char* what;
        Way way;
        int corners;
        std::optional<MsgResult> answer;
        int stored;  // rows of the estate afterwards
        bool goesOn; // the window open and the drawing on
        bool closed; // the window gone
    } const cases[] = {
        {"Sulje, Kyllä", Way::Sulje, 3, MsgResult::Yes, 3, false, true},
        {"Sulje, Peru", Way::Sulje, 3, MsgResult::Cancel, 0, true, false},
        {"Escape, Kyllä", Way::Escape, 4, MsgResult::Yes, 4, false, false},
        {"Escape, Ei", Way::Escape, 3, MsgResult::No, 0, false, false},
        {"the program's close, Kyllä", Way::ProgramClose, 3, MsgResult::Yes, 3, false, true},
        {"the program's close, Peru", Way::ProgramClose, 3, MsgResult::Cancel, 0, true, false},
        {"Sulje, one corner, stopped", Way::Sulje, 1, MsgResult::Yes, 0, false, true},
        {"Escape, two corners, going on", Way::Escape, 2, MsgResult::No, 0, true, false},
        {"Sulje before any corner", Way::Sulje, 0, std::nullopt, 0, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        prompter.clear();
        frmKartta::PickEstate = [](QWidget*, frmKartta::EstateFilter) { return kUndrawn; };
        frmKartta* w = open();
        QPointer<frmKartta> alive(w);
        w->cPiirra_Click();
        for (int i = 0; i < c.corners; ++i)
            click(*w, QPoint(100 + 60 * i, 100 + 50 * (i % 2)));
        QStringList hintsAsked;
        prompter.onMessage([&](const ScriptedPrompter::Shown&) { hintsAsked << label(*w, "lblOhje"); });
        if (c.answer)
            prompter.answer(*c.answer);
        bool programClosed = false;
        switch (c.way) {
        case Way::Sulje: Control<QPushButton>(*w, "cSulje")->click(); break;
        case Way::Escape: QTest::keyClick(view(*w), Qt::Key_Escape); break;
        case Way::ProgramClose: programClosed = FormRegistry::CloseAllForms(); break;
        }
        prompter.onMessage({});
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(prompter.unexpected(), 0);
        ASSERT_EQ(prompter.shown().size(), c.answer ? 1u : 0u);
        if (c.answer) {
            const ScriptedPrompter::Shown& asked = prompter.shown().front();
            EXPECT_EQ(asked.text, c.corners >= 3 ? kStoreQuestion : kStopQuestion);
            EXPECT_EQ(asked.buttons, c.corners >= 3 ? MsgButtons::YesNoCancelDefaultCancel : MsgButtons::YesNoDefaultNo);
            EXPECT_EQ(hintsAsked, QStringList{QString()});
        }
        EXPECT_EQ(rows(QStringLiteral(" WHERE rjtlID = ?"), {Value(kUndrawn)}), c.stored);
        EXPECT_EQ(alive.isNull(), c.closed);
        if (c.way == Way::ProgramClose) {
            EXPECT_EQ(programClosed, c.closed);
        }
        if (alive) {
            EXPECT_EQ(!w->tool().idle(), c.goesOn);
            if (c.goesOn) {
                EXPECT_EQ(int(view(*w)->drawing().size()), c.corners);
                EXPECT_EQ(label(*w, "lblOhje"), kDrawHint);
            }
            if (c.goesOn && c.corners >= 3) {
                // The drawing goes on where it was left.
                click(*w, QPoint(400, 400));
                prompter.answerYes();
                click(*w, QPoint(400, 400), Qt::RightButton);
                EXPECT_EQ(rows(QStringLiteral(" WHERE rjtlID = ?"), {Value(kUndrawn)}), c.corners + 1);
            }
            TearDown();
        }
        t.db.execute(QStringLiteral("DELETE FROM rj WHERE rjtlID = ?"), {Value(kUndrawn)});
    }
}

// The right click asks whether to store the corners: only "Ei" drops them. Escape or the title
// bar's close goes back to the drawing, and so does a store that fails: the corners stay for the
// user to store again.
TEST_F(MapTools, TheRightClicksQuestionDropsTheCornersOnlyAtEi)
{
    struct Case {
        const char* what;
        std::optional<MsgResult> answer; // nullopt: Escape or the close
        bool storeFails;
        int stored;
        bool goesOn;
    } const cases[] = {
        {"Kyllä", MsgResult::Yes, false, 3, false},
        {"Ei", MsgResult::No, false, 0, false},
        {"Escape or the close", std::nullopt, false, 0, true},
        {"Kyllä, the store failing", MsgResult::Yes, true, 0, true},
    };
    frmKartta* w = open();
    frmKartta::PickEstate = [](QWidget*, frmKartta::EstateFilter) { return kUndrawn; };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        prompter.clear();
        t.db.execute(QStringLiteral("DELETE FROM rj WHERE rjtlID = ?"), {Value(kUndrawn)});
        w->cPiirra_Click();
        for (const QPoint p : {QPoint(100, 100), QPoint(200, 100), QPoint(200, 200)})
            click(*w, p);
        if (c.storeFails)
            t.db.execute(QStringLiteral("CREATE TRIGGER full BEFORE INSERT ON rj BEGIN SELECT RAISE(ABORT, 'full'); END"));
        c.answer ? prompter.answer(*c.answer) : prompter.answerClosed();
        click(*w, QPoint(200, 200), Qt::RightButton);
        ASSERT_FALSE(prompter.shown().empty());
        EXPECT_EQ(prompter.shown().front().text, kStoreQuestion);
        EXPECT_EQ(prompter.shown().front().buttons, MsgButtons::YesNoCloseCancels);
        EXPECT_EQ(rows(QStringLiteral(" WHERE rjtlID = ?"), {Value(kUndrawn)}), c.stored);
        EXPECT_EQ(!w->tool().idle(), c.goesOn);
        if (!c.goesOn)
            continue;
        EXPECT_EQ(view(*w)->drawing().size(), 3u);
        EXPECT_EQ(label(*w, "lblOhje"), kDrawHint);
        if (c.storeFails)
            t.db.execute(QStringLiteral("DROP TRIGGER full"));
        click(*w, QPoint(100, 200));
        prompter.answerYes();
        click(*w, QPoint(100, 200), Qt::RightButton);
        EXPECT_EQ(rows(QStringLiteral(" WHERE rjtlID = ?"), {Value(kUndrawn)}), 4);
        EXPECT_TRUE(w->tool().idle());
    }
    EXPECT_EQ(prompter.unexpected(), 0);
}

TEST_F(MapTools, ADrawingOfAnEstateRemovedMeanwhileIsRefusedByName)
{
    const QString caption = EstateCaption(t.db, kUndrawn);
    ASSERT_FALSE(caption.isEmpty());
    frmKartta* w = open();
    frmKartta::PickEstate = [](QWidget*, frmKartta::EstateFilter) { return kUndrawn; };
    w->cPiirra_Click();
    for (const QPoint p : {QPoint(100, 100), QPoint(200, 100), QPoint(200, 200)})
        click(*w, p);
    writeFromAnotherProgram(t.path, "DELETE FROM tl WHERE tlID = 3");
    prompter.answerYes();
    click(*w, QPoint(200, 200), Qt::RightButton);
    EXPECT_EQ(prompter.messageTexts(),
              (QStringList{kStoreQuestion,
                           QStringLiteral("Tila on poistettu toisaalla piirtämisen aikana. Rajoja ei tallennettu.\n\n")
                               + caption}));
    EXPECT_EQ(rows(QStringLiteral(" WHERE rjtlID = 3")), 0);
    EXPECT_TRUE(w->tool().idle());
}

// Opening the map reads no boundary while no estate is shown; the estates of chosen contracts are
// read without the others.
TEST_F(MapTools, OnlyTheBoundariesOfTheEstatesShownAreRead)
{
    const std::size_t reads = BoundaryCache::shared().reads();
    frmKartta* w = open();
    w->activateWindow();
    QApplication::processEvents();
    EXPECT_EQ(BoundaryCache::shared().reads(), reads);
    EXPECT_TRUE(view(*w)->estates().empty());

    frmKartta::ChooseEstates = [](QWidget*) { return std::optional<frmKartta::EstatesChoice>({false, {kSquare}}); };
    Control<QCheckBox>(*w, "cNaytaTilat")->click();
    ASSERT_EQ(view(*w)->estates().size(), 1u);
    EXPECT_EQ(view(*w)->estates().front().size(), kSquarePixels.size());
    ASSERT_EQ(w->drawnEstates().size(), 1u);
    EXPECT_EQ(w->drawnEstates().front().estateId, kSquare);
    EXPECT_EQ(BoundaryCache::shared().reads(), reads);
}

// Reading the picture lets events through for its progress; the window does not close meanwhile.
TEST_F(MapTools, TheWindowStaysOpenWhileItsPictureIsRead)
{
    std::optional<bool> closed;
    QTimer::singleShot(0, [&] {
        if (frmKartta* w = frmKartta::Instance())
            closed = w->close();
    });
    frmKartta* w = open();
    ASSERT_TRUE(closed.has_value());
    EXPECT_FALSE(*closed);
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(w->picture().isNull());
}
