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

// The window shown and active, its pages laid out; null when it did not open.
std::unique_ptr<QWidget> openActive(const std::function<QWidget*()>& make)
{
    std::unique_ptr<QWidget> w(make());
    if (!w)
        return w;
    w->show();
    w->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
    QCoreApplication::processEvents();
    return w;
}

// The first control of area's page that Tab stops at; null for a page of no control.
QWidget* firstControl(const QScrollArea& area)
{
    for (QWidget* c : area.widget()->findChildren<QWidget*>())
        if ((c->focusPolicy() & Qt::TabFocus) && c->isVisible() && c->isEnabled())
            return c;
    return nullptr;
}

// Makes the view of area lower than its page, half the page's least height or the tallest control
// of the page if that is more, so that the page scrolls however large the screen and the window
// are: a page shown whole would pass every check of what is in view. False when it does not
// scroll even so.
bool makeScroll(QScrollArea& area)
{
    int tallest = 0;
    for (const QWidget* c : area.widget()->findChildren<QWidget*>())
        if ((c->focusPolicy() & Qt::TabFocus) && c->isVisible())
            tallest = std::max(tallest, c->height());
    const int view = std::max(tallest, area.widget()->minimumSizeHint().height() / 2);
    area.setMaximumHeight(view + area.height() - area.viewport()->height());
    QCoreApplication::processEvents();
    // A scroll bar across, come with the lower view, takes from its height.
    if (const int lost = view - area.viewport()->height(); lost > 0) {
        area.setMaximumHeight(area.maximumHeight() + lost);
        QCoreApplication::processEvents();
    }
    return area.verticalScrollBar()->maximum() > 0;
}

// Runs check on every scrolled page of every window listed, its window open and active and the
// page made to scroll.
void forEachScrolledPage(const std::function<void(QWidget&, QScrollArea&)>& check)
{
    test::ContractTestDb t(test::ContractTestDb::Source::Sample);
    ScriptedPrompter prompter;
    for (const auto& [name, make] : windowsWithScrolledPages()) {
        SCOPED_TRACE(name.toStdString());
        const std::unique_ptr<QWidget> w = openActive(make);
        ASSERT_NE(w, nullptr);
        for (QScrollArea* area : w->findChildren<QScrollArea*>()) {
            EXPECT_TRUE(makeScroll(*area)) << area->objectName().toStdString() << " does not scroll";
            check(*w, *area);
        }
    }
    EXPECT_EQ(prompter.unexpected(), 0);
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

// Empty when w is whole inside the viewport; else where w is.
std::string outOfView(const QScrollArea& area, const QWidget* w)
{
    const QRect at(w->mapTo(area.viewport(), QPoint(0, 0)), w->size());
    if (area.viewport()->rect().contains(at))
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
    const std::unique_ptr<QWidget> w = openActive([] { return frmVuokra::Load(); });
    ASSERT_NE(w, nullptr);
    auto* card = test::Control<QScrollArea>(*w, "cardScroll");
    auto* grid = test::Control<QTableWidget>(*w, "DBGrid1");
    ASSERT_GT(grid->rowCount(), 0);
    ASSERT_TRUE(makeScroll(*card));
    scrollTo(*card, false);
    grid->setFocus(Qt::MouseFocusReason);
    grid->setCurrentCell(grid->rowCount() - 1, grid->columnCount() - 1);
    const int scrolled = card->verticalScrollBar()->value();
    QTest::keyClick(grid, Qt::Key_Tab);
    QWidget* box = QApplication::focusWidget();
    ASSERT_NE(box, nullptr);
    ASSERT_FALSE(box == grid || grid->isAncestorOf(box));
    EXPECT_EQ(outOfView(*card, box), "");
    // The box is below the fold of the grid's last row: seeing it takes a scroll.
    EXPECT_GT(card->verticalScrollBar()->value(), scrolled);
    EXPECT_EQ(prompter.unexpected(), 0);
}

// Every control of every scrolled page, given the focus by code with the page scrolled away from it.
TEST(ScrolledFocus, EveryControlOfAScrolledPageIsInViewWhenGivenTheFocus)
{
    forEachScrolledPage([](QWidget&, QScrollArea& area) {
        int outBefore = 0;
        for (QWidget* control : area.widget()->findChildren<QWidget*>()) {
            if (!(control->focusPolicy() & Qt::TabFocus) || !control->isVisible() || !control->isEnabled()
                || control->focusProxy())
                continue;
            for (const bool end : {false, true}) {
                if (QWidget* f = QApplication::focusWidget())
                    f->clearFocus();
                scrollTo(area, end);
                outBefore += !outOfView(area, control).empty();
                control->setFocus(Qt::OtherFocusReason);
                EXPECT_EQ(outOfView(area, control), "") << (end ? "from the end" : "from the top");
            }
        }
        if (firstControl(area)) {
            EXPECT_GT(outBefore, 0) << area.objectName().toStdString() << ": no control had to be scrolled to";
        }
    });
}

// The frame of a scrolled page of controls is no stop: Tab and Shift+Tab go round the window
// through the page's controls, and a click on the page's blank leaves the focus in the box the
// user was in. The ring stood on nothing the user could see, and the arrows scrolled the page. A
// page of no control (a print preview's) keeps its frame as a stop for the scrolling keys.
TEST(ScrolledFocus, TheFrameOfAPageOfControlsIsNoStopTheControlsAre)
{
    forEachScrolledPage([](QWidget& w, QScrollArea& area) {
        QWidget* box = firstControl(area);
        const bool controls = box != nullptr;
        for (const bool backwards : {false, true}) {
            w.nextInFocusChain()->setFocus(Qt::OtherFocusReason);
            const std::vector<QWidget*> stops = stopsRound(w, backwards);
            const bool frameStops = std::find(stops.begin(), stops.end(), &area) != stops.end();
            EXPECT_EQ(frameStops, !controls) << area.objectName().toStdString() << (backwards ? " Shift+Tab" : " Tab");
            if (controls) {
                EXPECT_TRUE(
                    std::any_of(stops.begin(), stops.end(), [&](QWidget* s) { return area.widget()->isAncestorOf(s); }))
                    << area.objectName().toStdString() << " its controls not reached";
            }
        }
        if (!controls)
            return;
        box->setFocus(Qt::OtherFocusReason);
        scrollTo(area, false);
        QTest::mouseClick(area.widget(), Qt::LeftButton, {}, QPoint(1, 1));
        EXPECT_EQ(QApplication::focusWidget(), box) << "a click on " << area.objectName().toStdString();
    });
}
