// A box that takes the focus inside a scrolled page is in view, whoever moved the focus there: the
// contract window sent the focus out of its estates grid to a box below the fold, and what the user
// typed next replaced a text they could not see.
#include "base/ScriptedPrompter.h"
#include "contracts/ui/frmVuokra.h"
#include "lists/ui/frmRaportinMuokkaus.h"
#include "members/ui/frmImportData.h"
#include "support/Controls.h"
#include "../contracts/ContractTestDb.h"

#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>

using namespace tikkeli;

namespace {

const std::map<QString, std::function<QWidget*()>>& windowsWithScrolledPages()
{
    static const std::map<QString, std::function<QWidget*()>> all = {
        {"frmVuokra", [] { return frmVuokra::Load(); }},
        {"frmRaportinMuokkaus", [] { return new frmRaportinMuokkaus; }},
        {"frmImportData", [] { return new frmImportData; }},
    };
    return all;
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
