#include "../MemberSearchTestDb.h"

#include "base/ScriptedPrompter.h"
#include "ui/WindowHooks.h"
#include "members/MemberNameSearch.h"
#include "members/ui/MemberWindows.h"
#include "members/ui/frmHaku.h"
#include "members/ui/frmJasen.h"
#include "members/ui/frmNimiHaku.h"
#include "support/Controls.h"

#include <QLabel>
#include <QGroupBox>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

namespace tikkeli {
namespace {

// A control of a window, found by its objectName as the window's .ui file names it.
template <class T>
T* control(const QObject* window, const char* name)
{
    T* found = window ? window->findChild<T*>(QLatin1String(name)) : nullptr;
    if (!found)
        ADD_FAILURE() << "no control " << name;
    return found;
}

// F6 and F9 of the member window as installed for the program, the dialogs answered as a user would.
class MemberWindowSearchesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SelectedMemberId = 0;
        aho = t.addMember("1", "Aho", "Eeva", "Oulu");
        berg = t.addMember("2", "Berg", "Kalle", "Kemi");
        cee = t.addMember("3", "Cee", "Liisa", "Tornio");
        RegisterMemberWindows();
        w = frmJasen::Load();
        ASSERT_NE(w, nullptr);
        w->show();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
        ASSERT_TRUE(w->ShowMember(aho));
    }
    void TearDown() override
    {
        delete frmJasen::Instance();
        WindowHooks::clear();
        SelectedMemberId = 0;
    }
    // Presses key on the card and answers the dialog that opens with answer.
    template <class Dialog>
    void pressAndAnswer(Qt::Key key, std::function<void(Dialog&)> answer)
    {
        bool answered = false;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (auto* d = qobject_cast<Dialog*>(QApplication::activeModalWidget()); d && !answered) {
                answered = true;
                answer(*d);
            }
        });
        poll.start();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
        QTest::keyClick(test::Control<QLineEdit>(*w, "tYhteystiedot_1"), key);
        EXPECT_TRUE(answered);
    }

    test::MemberSearchTestDb t;
    ScriptedPrompter prompter;
    frmJasen* w = nullptr;
    qint32 aho = 0, berg = 0, cee = 0;
};

TEST_F(MemberWindowSearchesTest, QuickSearchMovesTheCardToTheMemberFound)
{
    pressAndAnswer<frmHaku>(Qt::Key_F6, [](frmHaku& d) {
        control<QComboBox>(&d, "cmbJasenNro")->setEditText(QStringLiteral("3"));
        control<QPushButton>(&d, "cHae")->click();
    });
    EXPECT_EQ(w->currentMemberId(), cee);
    pressAndAnswer<frmHaku>(Qt::Key_F6, [](frmHaku& d) { control<QPushButton>(&d, "cPeruHaku_1")->click(); });
    EXPECT_EQ(w->currentMemberId(), cee);
    EXPECT_TRUE(prompter.messageTexts().isEmpty());
}

TEST_F(MemberWindowSearchesTest, NameSearchClosedWithoutAnswerLeavesTheCardWhereItWas)
{
    pressAndAnswer<frmNimiHaku>(Qt::Key_F9, [](frmNimiHaku& d) {
        control<QLineEdit>(&d, "tSukunimi")->setText(QStringLiteral("erg"));
        control<QPushButton>(&d, "cSearch")->click();
        control<QListWidget>(&d, "lstFoundJR")->setCurrentRow(0);
        control<QPushButton>(&d, "cOpen")->click();
    });
    EXPECT_EQ(w->currentMemberId(), berg);
    ASSERT_TRUE(w->ShowMember(aho));
    // The earlier find is still in SelectedMemberId; closing the dialog is no answer.
    pressAndAnswer<frmNimiHaku>(Qt::Key_F9, [](frmNimiHaku& d) { d.close(); });
    EXPECT_EQ(SelectedMemberId, berg);
    EXPECT_EQ(w->currentMemberId(), aho);
    pressAndAnswer<frmNimiHaku>(Qt::Key_F9, [](frmNimiHaku& d) { QTest::keyClick(&d, Qt::Key_Escape); });
    EXPECT_EQ(w->currentMemberId(), aho);
    pressAndAnswer<frmNimiHaku>(Qt::Key_F9, [](frmNimiHaku& d) { control<QPushButton>(&d, "cUndo")->click(); });
    EXPECT_EQ(w->currentMemberId(), aho);
    EXPECT_EQ(SelectedMemberId, 0);
    EXPECT_TRUE(prompter.messageTexts().isEmpty());
}

} // namespace
} // namespace tikkeli
