// A box that takes the focus inside a scrolled page is in view, whoever moved the focus there: the
// contract window sent the focus out of its estates grid to a box below the fold, and what the user
// typed next replaced a text they could not see.
#include "base/ScriptedPrompter.h"
#include "contracts/ui/frmVuokra.h"
#include "lists/ui/frmRaportinMuokkaus.h"
#include "members/ui/frmImportData.h"
#include "printing/ui/ReportPreview.h"
#include "support/Controls.h"
#include "../contracts/ContractTestDb.h"

#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <vector>

using namespace tikkeli;

namespace {

const std::map<QString, std::function<QWidget*()>>& windowsWithScrolledPages()
{
    static const std::map<QString, std::function<QWidget*()>> all = {
        {"frmVuokra", [] { return frmVuokra::Load(); }},
        {"frmRaportinMuokkaus", [] { return new frmRaportinMuokkaus; }},
        {"frmImportData", [] { return new frmImportData; }},
        {"ReportPreview",
         [] {
             ReportDocument doc;
             doc.pageSize = QSizeF(595, 842);
             doc.pages.resize(2);
             return new ReportPreview(std::make_shared<const ReportDocument>(doc));
         }},
    };
    return all;
}

bool holdsControls(const QScrollArea& area)
{
    const auto controls = area.widget()->findChildren<QWidget*>();
    return std::any_of(controls.begin(), controls.end(), [](const QWidget* c) {
        return (c->focusPolicy() & Qt::TabFocus) && c->isVisible() && c->isEnabled();
    });
}

// The stops of w's Tab order (Shift+Tab's when backwards), once round from the focus it has.
std::vector<QWidget*> stopsRound(QWidget& w, bool backwards)
{
    std::vector<QWidget*> stops;
    QWidget* start = QApplication::focusWidget();
    for (int i = 0; i < 300; ++i) {
        QTest::keyClick(QApplication::focusWidget(), backwards ? Qt::Key_Backtab : Qt::Key_Tab);
        QWidget* at = QApplication::focusWidget();
        if (!at || at == start || at->window() != &w)
            break;
        stops.push_back(at);
    }
    return stops;
}

// Empty when what the viewport can show of w is shown; else where w is.
std::string outOfView(const QScrollArea& area, const QWidget* w)
{
    const QRect at(w->mapTo(area.viewport(), QPoint(0, 0)), w->size());
    const QRect seen = at & area.viewport()->rect();
    if (seen.width() >= std::min(at.width(), area.viewport()->width())
        && seen.height() >= std::min(at.height(), area.viewport()->height()))
        return {};
    return w->objectName().toStdString() + " at " + std::to_string(at.x()) + "," + std::to_string(at.y()) + " "
           + std::to_string(at.width()) + "x" + std::to_string(at.height()) + " in a view "
           + std::to_string(area.viewport()->width()) + "x" + std::to_string(area.viewport()->height());
}

void scrollTo(QScrollArea& area, bool end)
{
    for (QScrollBar* bar : {area.verticalScrollBar(), area.horizontalScrollBar()})
        bar->setValue(end ? bar->maximum() : bar->minimum());
}

} // namespace

TEST(ScrolledFocus, TabOutOfTheContractGridsLastCellShowsTheBoxItLandsIn)
{
    test::ContractTestDb t(test::ContractTestDb::Source::Sample);
    ScriptedPrompter prompter;
    std::unique_ptr<QWidget> w(frmVuokra::Load());
    ASSERT_NE(w, nullptr);
    w->show();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    QCoreApplication::processEvents(); // the card laid out
    auto* card = test::Control<QScrollArea>(*w, "cardScroll");
    auto* grid = test::Control<QTableWidget>(*w, "DBGrid1");
    ASSERT_GT(grid->rowCount(), 0);
    scrollTo(*card, false);
    grid->setFocus(Qt::MouseFocusReason);
    grid->setCurrentCell(grid->rowCount() - 1, grid->columnCount() - 1);
    QTest::keyClick(grid, Qt::Key_Tab);
    QWidget* box = QApplication::focusWidget();
    ASSERT_NE(box, nullptr);
    ASSERT_FALSE(box == grid || grid->isAncestorOf(box));
    EXPECT_EQ(outOfView(*card, box), "");
    EXPECT_EQ(prompter.unexpected(), 0);
}

// Every control of every scrolled page, given the focus by code with the page scrolled away from it.
TEST(ScrolledFocus, EveryControlOfAScrolledPageIsInViewWhenGivenTheFocus)
{
    test::ContractTestDb t(test::ContractTestDb::Source::Sample);
    ScriptedPrompter prompter;
    for (const auto& [name, make] : windowsWithScrolledPages()) {
        SCOPED_TRACE(name.toStdString());
        std::unique_ptr<QWidget> w(make());
        ASSERT_NE(w, nullptr);
        w->show();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
        QCoreApplication::processEvents(); // the pages laid out
        for (QScrollArea* area : w->findChildren<QScrollArea*>()) {
            for (QWidget* control : area->widget()->findChildren<QWidget*>()) {
                if (!(control->focusPolicy() & Qt::TabFocus) || !control->isVisible() || !control->isEnabled()
                    || control->focusProxy())
                    continue;
                for (const bool end : {false, true}) {
                    if (QWidget* f = QApplication::focusWidget())
                        f->clearFocus();
                    scrollTo(*area, end);
                    control->setFocus(Qt::OtherFocusReason);
                    EXPECT_EQ(outOfView(*area, control), "") << (end ? "from the end" : "from the top");
                }
            }
        }
    }
    EXPECT_EQ(prompter.unexpected(), 0);
}

// The frame of a scrolled page of controls is no stop: Tab and Shift+Tab go round the window
// through the page's controls, and a click on the page's blank leaves the focus in the box the
// user was in. The ring stood on nothing the user could see, and the arrows scrolled the page. A
// page of no control (a print preview's) keeps its frame as a stop for the scrolling keys.
TEST(ScrolledFocus, TheFrameOfAPageOfControlsIsNoStopTheControlsAre)
{
    test::ContractTestDb t(test::ContractTestDb::Source::Sample);
    ScriptedPrompter prompter;
    for (const auto& [name, make] : windowsWithScrolledPages()) {
        SCOPED_TRACE(name.toStdString());
        std::unique_ptr<QWidget> w(make());
        ASSERT_NE(w, nullptr);
        w->show();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
        QCoreApplication::processEvents();
        for (QScrollArea* area : w->findChildren<QScrollArea*>()) {
            const bool controls = holdsControls(*area);
            for (const bool backwards : {false, true}) {
                w->nextInFocusChain()->setFocus(Qt::OtherFocusReason);
                const std::vector<QWidget*> stops = stopsRound(*w, backwards);
                const bool frameStops = std::find(stops.begin(), stops.end(), area) != stops.end();
                EXPECT_EQ(frameStops, !controls) << area->objectName().toStdString() << (backwards ? " Shift+Tab" : " Tab");
                if (controls) {
                    EXPECT_TRUE(
                        std::any_of(stops.begin(), stops.end(), [&](QWidget* s) { return area->widget()->isAncestorOf(s); }))
                        << area->objectName().toStdString() << " its controls not reached";
                }
            }
            if (!controls)
                continue;
            QWidget* box = nullptr;
            for (QWidget* c : area->widget()->findChildren<QWidget*>())
                if (!box && (c->focusPolicy() & Qt::TabFocus) && c->isVisible() && c->isEnabled())
                    box = c;
            box->setFocus(Qt::OtherFocusReason);
            scrollTo(*area, false);
            QTest::mouseClick(area->widget(), Qt::LeftButton, {}, QPoint(1, 1));
            EXPECT_EQ(QApplication::focusWidget(), box) << "a click on " << area->objectName().toStdString();
        }
    }
    EXPECT_EQ(prompter.unexpected(), 0);
}
