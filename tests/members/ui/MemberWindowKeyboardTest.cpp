#include "../MemberTestDb.h"

#include "base/ScriptedPrompter.h"
#include "ui/WindowHooks.h"
#include "members/ui/MemberWindows.h"
#include "members/ui/frmJasen.h"
#include "support/Controls.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

// The member window used with the keyboard alone, from whichever tab is in front.
class MemberWindowKeyboardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterMemberWindows();
        State().AutoMemberNumbers = false;
        aho = t.member(QStringLiteral("Aho"), QStringLiteral("Eeva"), QStringLiteral("1"));
        const qint64 ase = t.feature(QStringLiteral("Ase"));
        t.db.execute(QStringLiteral("UPDATE pi SET piEnbldLong = 1 WHERE piID = ?"), {Value(ase)});
        t.give(aho, ase);
    }
    void TearDown() override
    {
        delete frmJasen::Instance();
        WindowHooks::clear();
    }
    frmJasen* openOnMemoTab()
    {
        frmJasen* w = frmJasen::Load();
        if (!w)
            return nullptr;
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w));
        test::Control<QTabWidget>(*w, "TabStrip1")->setCurrentIndex(2);
        memo(w)->setFocus();
        return w;
    }
    QPlainTextEdit* memo(frmJasen* w) { return test::Control<QPlainTextEdit>(*w, "tMuistio"); }
    static QString focusName()
    {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    }

    test::MemberTestDb t;
    ScriptedPrompter prompter;
    qint64 aho = 0;
};

} // namespace

TEST_F(MemberWindowKeyboardTest, TabWalksTheCardInReadingOrderIntoTheShownTab)
{
    frmJasen* w = openOnMemoTab();
    ASSERT_NE(w, nullptr);
    test::Control<QTabWidget>(*w, "TabStrip1")->setCurrentIndex(0);
    test::Control<QWidget>(*w, "tYhteystiedot_0")->setFocus();
    QStringList expected;
    for (int i = 0; i < 13; ++i)
        expected << QStringLiteral("tYhteystiedot_%1").arg(i);
    expected << QStringLiteral("chkEmailLasku") << QStringLiteral("chkJasenmaksu") << QStringLiteral("chkMaanomistaja")
             << QStringLiteral("cLisaaViiteTarkiste") << QStringLiteral("qt_tabwidget_tabbar") << QStringLiteral("lstAllPt")
             << QStringLiteral("cLisaaPiirre");
    QStringList walked;
    for (int i = 0; i < expected.size(); ++i) {
        walked << focusName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(walked, expected);
    EXPECT_EQ(w->Data1.editMode(), EditMode::None);
}

TEST_F(MemberWindowKeyboardTest, TabLeavesTheMemoBoxWithoutTypingIntoIt)
{
    frmJasen* w = openOnMemoTab();
    ASSERT_NE(w, nullptr);
    QTest::keyClicks(memo(w), QStringLiteral("Lupa haettu"));
    QTest::keyClick(memo(w), Qt::Key_Tab);
    EXPECT_EQ(focusName(), QStringLiteral("cUusi"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(focusName(), QStringLiteral("tMuistio"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_NE(focusName(), QStringLiteral("tMuistio"));
    EXPECT_EQ(memo(w)->toPlainText(), QStringLiteral("Lupa haettu"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3);
    EXPECT_EQ(t.db.scalar(QStringLiteral("SELECT jrMuistio FROM jr WHERE jrID = ?"), {Value(aho)}).toString(),
              QStringLiteral("Lupa haettu"));
}

TEST_F(MemberWindowKeyboardTest, FeatureKeysBringTheFeaturesTabForward)
{
    // Shift+F2 add, Shift+F5 browse, Shift+F4 delete: each acts on a list the user can see.
    const struct {
        Qt::Key key;
        const char* focus;
    } cases[] = {{Qt::Key_F2, "lstAllPi"}, {Qt::Key_F5, "lstAllPt"}, {Qt::Key_F4, nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.key));
        frmJasen* w = openOnMemoTab();
        ASSERT_NE(w, nullptr);
        prompter.clear();
        prompter.answerNo();
        QTest::keyClick(memo(w), c.key, Qt::ShiftModifier);
        EXPECT_EQ(test::Control<QTabWidget>(*w, "TabStrip1")->currentIndex(), 0);
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        EXPECT_TRUE(QApplication::focusWidget()->isVisible()) << qPrintable(focusName());
        if (c.focus) {
            EXPECT_EQ(focusName(), QLatin1String(c.focus));
        }
        delete w;
    }
    EXPECT_EQ(t.db.scalar(QStringLiteral("SELECT COUNT(*) FROM pt")).toInt64(), 1);
}
