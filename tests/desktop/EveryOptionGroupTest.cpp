// Every window with option groups has the program's keyboard in them: after a choice made by code
// Tab lands on the chosen option, not on the one the focus last left, and Down and Up move the
// choice whether the options stand in a column, a row or a grid. Whichever road the focus takes
// into a group, it lands on the group's choice.
#include "base/ScriptedPrompter.h"
#include "catch/ui/frmSaalisilmoitus.h"
#include "contracts/ui/frmElainehdot.h"
#include "contracts/ui/frmHakuehdot.h"
#include "contracts/ui/frmHakuehdotVoimassaolo.h"
#include "contracts/ui/frmVuokra.h"
#include "invoicing/ui/frmLaskujenRajaus.h"
#include "invoicing/ui/frmLaskumalli.h"
#include "invoicing/ui/frmMaksutListana.h"
#include "lists/ui/frmRaportinMuokkaus.h"
#include "maps/ui/frmKartanTulostus.h"
#include "maps/ui/frmPiirrettavatTilat.h"
#include "members/ui/frmHakuehdotJ.h"
#include "members/ui/frmPiirre.h"
#include "printing/ui/frmTulJarjValinta.h"
#include "printing/ui/frmTulostusmuodonValinta.h"
#include "printing/ui/frmTulostusrajoitukset.h"
#include "ui/SuggestionList.h"
#include "../contracts/ContractTestDb.h"
#include "WindowFactories.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDirIterator>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>

using namespace tikkeli;

namespace {

using test::loaded;
using test::plain;
using Factory = test::WindowFactory;

const std::map<QString, Factory>& windowsWithOptions()
{
    static const std::map<QString, Factory> all = {
        {"frmVuokra", plain<frmVuokra>()},
        {"frmPiirre", plain<frmPiirre>()},
        {"frmRaportinMuokkaus", plain<frmRaportinMuokkaus>()},
        {"frmSaalisilmoitus", plain<frmSaalisilmoitus>()},
        {"frmLaskumalli", plain<frmLaskumalli>()},
        {"frmMaksutListana", plain<frmMaksutListana>()},
        {"frmLaskujenRajaus", plain<frmLaskujenRajaus>()},
        {"frmHakuehdotJ", plain<frmHakuehdotJ>()},
        {"frmTulostusrajoitukset", [](Database&) -> QWidget* { return frmTulostusrajoitukset::Instance(); }},
        {"frmTulostusmuodonValinta", plain<frmTulostusmuodonValinta>()},
        {"frmTulJarjValinta", plain<frmTulJarjValinta>()},
        {"frmKartanTulostus", plain<frmKartanTulostus>()},
        {"frmPiirrettavatTilat", loaded<frmPiirrettavatTilat>()},
        {"frmHakuehdot", loaded<frmHakuehdot>()},
        {"frmElainehdot", loaded<frmElainehdot>()},
        {"frmHakuehdotVoimassaolo", loaded<frmHakuehdotVoimassaolo>()},
    };
    return all;
}

// The window's option groups as Qt forms them: a button group, or auto-exclusive options of one
// parent.
std::map<const QObject*, QList<QRadioButton*>> optionGroups(QWidget& w)
{
    std::map<const QObject*, QList<QRadioButton*>> groups;
    for (QRadioButton* b : w.findChildren<QRadioButton*>())
        if (b->isEnabled() && b->isVisibleTo(&w))
            groups[b->group() ? static_cast<const QObject*>(b->group()) : b->parentWidget()] << b;
    return groups;
}

QRadioButton* chosen(const QList<QRadioButton*>& group)
{
    for (QRadioButton* b : group)
        if (b->isChecked())
            return b;
    return nullptr;
}

std::unique_ptr<QWidget> openActive(const Factory& make, Database& db)
{
    std::unique_ptr<QWidget> w(make(db));
    w->show();
    w->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
    return w;
}

bool usable(const QRadioButton* b)
{
    return b->isEnabled() && b->isVisible();
}

// The control Tab passes through on its way to option (the one before it; after it, going back),
// the other options of option's group passed over.
QWidget* besideInTabOrder(QRadioButton* option, const QList<QRadioButton*>& group, bool before)
{
    QWidget* w = option;
    do
        w = before ? w->previousInFocusChain() : w->nextInFocusChain();
    while (w != option && (group.contains(w) || !(w->focusPolicy() & Qt::TabFocus) || !w->isVisible() || !w->isEnabled()));
    return w;
}

// Presses Tab (Shift+Tab) on from. False when from is a list, which keeps the key for its cells.
bool tabFrom(QWidget* from, bool forward)
{
    if (qobject_cast<QAbstractItemView*>(from))
        return false;
    from->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(from, forward ? Qt::Key_Tab : Qt::Key_Backtab);
    return true;
}

// The focus left on one option while the window chose another without a word to anyone (as a
// window that shows a record with its signals held would): the ring apart from the choice.
void chooseUnheard(QRadioButton* focused, QRadioButton* chosen)
{
    focused->setChecked(true);
    focused->setFocus(Qt::MouseFocusReason);
    const QSignalBlocker quiet(focused), quietToo(chosen);
    chosen->setChecked(true);
}

// Empty when the focus is on no option, or on its group's choice (on a usable option while the
// choice is not usable); else where the ring and the dot are.
std::string ringApart(QWidget& w)
{
    auto* focused = qobject_cast<QRadioButton*>(QApplication::focusWidget());
    if (!focused)
        return {};
    for (const auto& [key, group] : optionGroups(w)) {
        QRadioButton* c = chosen(group);
        if (group.size() > 1 && group.contains(focused) && c && c != focused && usable(c))
            return focused->objectName().toStdString() + " has the focus, " + c->objectName().toStdString() + " is chosen";
    }
    return {};
}

} // namespace

// Each road into a group ends on its choice, also where the window changed the choice while the
// focus stood on another option and nobody heard of it: Tab and Shift+Tab (through a suggestion
// list too), an arrow from a neighbouring check box or button, the focus given by code, a press
// let go outside its option. A window
// opening lets Tab reach each group on its chosen option, or on a usable one where the chosen one
// is disabled.
TEST(EveryOptionGroup, EveryRoadIntoAGroupLandsOnItsChoice)
{
    test::ContractTestDb t(test::ContractTestDb::Source::Sample);
    // A catch shown, whose boxes take typing.
    t.db.execute(QStringLiteral("INSERT INTO si (siLaji, siPvm) VALUES ('Hirvi', ?)"), {Value(QDate(2026, 10, 3))});
    ScriptedPrompter prompter;
    for (const auto& [name, make] : windowsWithOptions()) {
        SCOPED_TRACE(name.toStdString());
        const std::unique_ptr<QWidget> w = openActive(make, t.db);
        std::vector<QList<QRadioButton*>> groups;
        for (const auto& [key, group] : optionGroups(*w))
            if (group.size() > 1)
                groups.push_back(group);

        // As the window opened.
        for (const auto& group : groups) {
            QRadioButton* choice = chosen(group);
            if (!choice)
                continue;
            if (tabFrom(besideInTabOrder(choice, group, true), true)) {
                EXPECT_EQ(QApplication::focusWidget(), choice) << choice->objectName().toStdString();
            }
            choice->setEnabled(false);
            QRadioButton* first = *std::find_if(group.begin(), group.end(), usable);
            if (tabFrom(besideInTabOrder(first, group, true), true)) {
                EXPECT_EQ(QApplication::focusWidget(), first) << choice->objectName().toStdString() << " disabled";
            }
            choice->setEnabled(true);
        }

        const auto chooseAllUnheard = [&] {
            for (const auto& group : groups)
                chooseUnheard(group.front(), group.back());
        };
        for (const auto& group : groups) {
            const std::string option = group.back()->objectName().toStdString();
            for (const bool forward : {true, false}) {
                chooseUnheard(group.front(), group.back());
                if (tabFrom(besideInTabOrder(group.back(), group, forward), forward)) {
                    EXPECT_EQ(QApplication::focusWidget()->objectName().toStdString(), option)
                        << (forward ? "Tab" : "Shift+Tab");
                }
            }
            chooseUnheard(group.front(), group.back());
            besideInTabOrder(group.back(), group, true)->setFocus(Qt::OtherFocusReason);
            group.front()->setFocus(Qt::OtherFocusReason);
            EXPECT_EQ(QApplication::focusWidget()->objectName().toStdString(), option) << "given the focus by code";
            // A press on another option let go outside it chooses nothing.
            QTest::mousePress(group.front(), Qt::LeftButton);
            QTest::mouseRelease(group.front(), Qt::LeftButton, {}, QPoint(-5, -5));
            QCoreApplication::processEvents();
            EXPECT_EQ(QApplication::focusWidget()->objectName().toStdString(), option) << "a press let go outside";
        }
        // Qt steps from a check box or a button to its neighbour with the arrows.
        for (QAbstractButton* button : w->findChildren<QAbstractButton*>()) {
            if (qobject_cast<QRadioButton*>(button) || !button->isVisible() || !button->isEnabled()
                || !(button->focusPolicy() & Qt::TabFocus))
                continue;
            for (const Qt::Key key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down}) {
                chooseAllUnheard();
                button->setFocus(Qt::OtherFocusReason);
                QTest::keyClick(button, key);
                EXPECT_EQ(ringApart(*w), "") << button->objectName().toStdString() << " key " << key;
            }
        }
        // A box's open suggestion list hands Tab and Shift+Tab to the box.
        for (SuggestionList* list : w->findChildren<SuggestionList*>()) {
            auto* box = qobject_cast<QComboBox*>(list->parent());
            for (const Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab}) {
                // The list closing leaves no window active here.
                w->activateWindow();
                ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
                chooseAllUnheard();
                list->setItems({QStringLiteral("Testi")});
                box->setFocus(Qt::OtherFocusReason);
                QTest::keyClick(box, Qt::Key_T);
                ASSERT_TRUE(list->isOpen()) << box->objectName().toStdString();
                // A desktop leaves its window active under the list; the headless screens activate
                // the list itself, so that Tab would find no window to go on in.
                QApplication::setActiveWindow(w.get());
                QTest::keyClick(QApplication::activePopupWidget(), key);
                EXPECT_NE(QApplication::focusWidget(), box) << box->objectName().toStdString() << " key " << key;
                EXPECT_EQ(ringApart(*w), "") << box->objectName().toStdString() << " key " << key;
            }
        }
    }
    EXPECT_EQ(prompter.unexpected(), 0);
}

TEST(EveryOptionGroup, TabFindsTheChoiceMadeByCodeAndUpAndDownMoveIt)
{
    test::ContractTestDb t(test::ContractTestDb::Source::Sample);
    ScriptedPrompter prompter;
    for (const auto& [name, make] : windowsWithOptions()) {
        SCOPED_TRACE(name.toStdString());
        const std::unique_ptr<QWidget> w = openActive(make, t.db);
        const auto groups = optionGroups(*w);
        EXPECT_FALSE(groups.empty());
        for (const auto& [key, group] : groups) {
            if (group.size() < 2)
                continue;
            // The focus was on one option when another came to be chosen by code: Tab leaves the
            // group from there, and comes back to the choice.
            group.front()->setFocus();
            group.back()->setChecked(true);
            QTest::keyClick(group.front(), Qt::Key_Tab);
            EXPECT_FALSE(group.contains(QApplication::focusWidget())) << group.back()->objectName().toStdString();
            QWidget* before = group.back();
            while (group.contains(before) || !(before->focusPolicy() & Qt::TabFocus) || !before->isVisible()
                   || !before->isEnabled())
                before = before->previousInFocusChain();
            before->setFocus();
            // A list keeps Tab for its own cells until its last one.
            if (auto* view = qobject_cast<QAbstractItemView*>(before); view && view->model()->rowCount() > 0)
                view->setCurrentIndex(view->model()->index(view->model()->rowCount() - 1, view->model()->columnCount() - 1));
            QTest::keyClick(before, Qt::Key_Tab);
            EXPECT_EQ(QApplication::focusWidget(), group.back()) << group.back()->objectName().toStdString();
            for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Up}) {
                QRadioButton* was = chosen(group);
                QTest::keyClick(QApplication::focusWidget(), key);
                EXPECT_NE(chosen(group), was) << group.back()->objectName().toStdString() << " key " << key;
                EXPECT_EQ(QApplication::focusWidget(), chosen(group));
            }
            EXPECT_EQ(chosen(group), group.back()) << "Up goes back where Down came from";
        }
    }
    EXPECT_EQ(prompter.unexpected(), 0);
}

// Every window laid out with options is in the table above, so a new one is not forgotten.
TEST(EveryOptionGroup, EveryWindowWithOptionsIsListed)
{
    const QRegularExpression topWidget(QStringLiteral(R"re(<widget class="\w+" name="(\w+)")re"));
    QDirIterator it(QStringLiteral(TIKKELI_SOURCE_DIR "/src"), {QStringLiteral("*.ui")}, QDir::Files,
                    QDirIterator::Subdirectories);
    int found = 0;
    while (it.hasNext()) {
        QFile f(it.next());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        if (!text.contains(QStringLiteral("\"QRadioButton\"")))
            continue;
        ++found;
        const QString window = topWidget.match(text).captured(1);
        EXPECT_TRUE(windowsWithOptions().count(window)) << window.toStdString() << " is not listed";
    }
    EXPECT_EQ(found, int(windowsWithOptions().size()));
}
