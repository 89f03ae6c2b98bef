#include "ui/SuggestionList.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace tikkeli;

// Every way out of an open list, as the user takes it: the item is the box's, and chosen() tells
// the window of it as of an edit, only when the user took the item highlighted; any other way
// leaves the typed text. The list never stays open behind the box's focus.
TEST(SuggestionList, AnItemIsTakenOnlyWhenChosenAndTheListClosesWithTheFocus)
{
    enum class Way {
        Enter,
        Tab,
        TabNoneHighlighted,
        Backtab,
        BacktabNoneHighlighted,
        Mouse,
        ClickElsewhere,
        FocusByProgram
    };
    const struct {
        const char* what;
        Way way;
        const char* text; // in the box afterwards
        bool chosen;      // chosen() followed
        bool boxHasFocus; // afterwards
    } cases[] = {
        {"Enter", Way::Enter, "Kuusipeura", true, true},
        {"Tab", Way::Tab, "Kuusipeura", true, false},
        {"Tab, nothing highlighted", Way::TabNoneHighlighted, "kuu", false, false},
        {"Shift+Tab", Way::Backtab, "Kuusipeura", true, false},
        {"Shift+Tab, nothing highlighted", Way::BacktabNoneHighlighted, "kuu", false, false},
        {"the mouse on the item", Way::Mouse, "Kuusipeura", true, true},
        {"a click on another box", Way::ClickElsewhere, "kuu", false, false},
        {"the focus given to another box", Way::FocusByProgram, "kuu", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QWidget window;
        auto* box = new QComboBox(&window);
        box->setEditable(true);
        auto* other = new QLineEdit(&window);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(box);
        layout->addWidget(other);
        auto* list = new SuggestionList(box);
        list->setItems({QStringLiteral("Hirvi"), QStringLiteral("Kuusipeura"), QStringLiteral("Kuusikko")});
        QSignalSpy chosen(list, &SuggestionList::chosen);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        box->setFocus();
        QTest::keyClicks(box->lineEdit(), QStringLiteral("kuu"));
        auto* popup = qobject_cast<QAbstractItemView*>(QApplication::activePopupWidget());
        ASSERT_NE(popup, nullptr);
        ASSERT_TRUE(list->isOpen());
        if (c.way != Way::TabNoneHighlighted && c.way != Way::BacktabNoneHighlighted && c.way != Way::ClickElsewhere
            && c.way != Way::FocusByProgram)
            QTest::keyClick(popup, Qt::Key_Down);
        switch (c.way) {
        case Way::Enter: QTest::keyClick(popup, Qt::Key_Return); break;
        case Way::Tab:
        case Way::TabNoneHighlighted: QTest::keyClick(popup, Qt::Key_Tab); break;
        case Way::Backtab:
        case Way::BacktabNoneHighlighted: QTest::keyClick(popup, Qt::Key_Backtab); break;
        case Way::Mouse:
            QTest::mouseClick(popup->viewport(), Qt::LeftButton, {}, popup->visualRect(popup->currentIndex()).center());
            break;
        case Way::ClickElsewhere: QTest::mouseClick(other, Qt::LeftButton); break;
        case Way::FocusByProgram: other->setFocus(Qt::OtherFocusReason); break;
        }
        EXPECT_FALSE(list->isOpen());
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
        EXPECT_EQ(box->currentText(), QString::fromUtf8(c.text));
        EXPECT_EQ(chosen.size(), c.chosen ? 1 : 0);
        EXPECT_EQ(box->hasFocus(), c.boxHasFocus);
        // A key typed now goes where the focus is, not into the box through a list left open.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_7);
        EXPECT_EQ(box->currentText(), QString::fromUtf8(c.text) + (c.boxHasFocus ? QStringLiteral("7") : QString()));
    }
}
