// Every window with option groups has the program's keyboard in them: after a choice made by code
// Tab lands on the chosen option, not on the one the focus last left, and Down and Up move the
// choice whether the options stand in a column, a row or a grid.
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
#include "../contracts/ContractTestDb.h"
#include "WindowFactories.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QButtonGroup>
#include <QDirIterator>
#include <QRadioButton>
#include <QRegularExpression>
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

} // namespace

TEST(EveryOptionGroup, TabFindsTheChoiceMadeByCodeAndUpAndDownMoveIt)
{
    test::ContractTestDb t(test::ContractTestDb::Source::Sample);
    ScriptedPrompter prompter;
    for (const auto& [name, make] : windowsWithOptions()) {
        SCOPED_TRACE(name.toStdString());
        std::unique_ptr<QWidget> w(make(t.db));
        w->show();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
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
