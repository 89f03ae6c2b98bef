#include "base/ScriptedPrompter.h"
#include "ui/WindowHooks.h"
#include "members/ui/MemberWindows.h"
#include "members/ui/frmJasen.h"
#include "../MemberTestDb.h"

#include <QApplication>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

// The member tree lists a letter's members when the letter is first opened.
class MemberTreeLettersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        aho = t.member(QStringLiteral("Aho"), QStringLiteral("Eeva"));
        ahola = t.member(QStringLiteral("Ahola"), QStringLiteral("Pekka"));
        berg = t.member(QStringLiteral("Berg"), QStringLiteral("Kalle"));
        cee = t.member(QStringLiteral("cee"), QStringLiteral("Liisa"));
        w = frmJasen::Load();
        ASSERT_NE(w, nullptr);
        tree = w->findChild<QTreeWidget*>(QStringLiteral("tvwNimet"));
        ASSERT_NE(tree, nullptr);
        ASSERT_NE(tree->topLevelItem(0), nullptr);
    }
    void TearDown() override
    {
        delete frmJasen::Instance();
        WindowHooks::clear();
    }
    QTreeWidgetItem* letter(const QString& caption)
    {
        QTreeWidgetItem* root = tree->topLevelItem(0);
        for (int i = 0; root && i < root->childCount(); ++i)
            if (root->child(i)->text(0) == caption)
                return root->child(i);
        return nullptr;
    }
    QStringList names(QTreeWidgetItem* node)
    {
        QStringList out;
        for (int i = 0; node && i < node->childCount(); ++i)
            out << node->child(i)->text(0);
        return out;
    }

    test::MemberTestDb t;
    ScriptedPrompter prompter;
    frmJasen* w = nullptr;
    QTreeWidget* tree = nullptr;
    qint64 aho = 0, ahola = 0, berg = 0, cee = 0;
};

} // namespace

TEST_F(MemberTreeLettersTest, ALetterListsItsMembersWhenOpenedOnce)
{
    QTreeWidgetItem* a = letter(QStringLiteral("A"));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->childCount(), 0);
    EXPECT_EQ(a->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator) << "a closed letter can be opened";
    a->setExpanded(true);
    EXPECT_EQ(names(a), (QStringList{QStringLiteral("Aho Eeva"), QStringLiteral("Ahola Pekka")}));
    a->setExpanded(false);
    a->setExpanded(true);
    EXPECT_EQ(a->childCount(), 2) << "opened again, the letter is not listed twice";
    EXPECT_EQ(a->child(1)->data(0, Qt::UserRole).toString(), QString::number(ahola) + QStringLiteral("ID"));
}

TEST_F(MemberTreeLettersTest, ASearchHitInAClosedLetterIsSelectedInTheTree)
{
    WindowHooks::set(WindowHook::MemberNameSearch, [this](QWidget*, const WindowHookRequest&) { return cee; });
    w->cNimiHaku_Click();
    EXPECT_EQ(w->currentMemberId(), cee);
    QTreeWidgetItem* c = letter(QStringLiteral("C"));
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(c->isExpanded());
    ASSERT_NE(tree->currentItem(), nullptr);
    EXPECT_EQ(tree->currentItem()->text(0), QStringLiteral("cee Liisa"));
    EXPECT_EQ(tree->currentItem()->parent(), c);
    ASSERT_NE(letter(QStringLiteral("B")), nullptr);
    EXPECT_EQ(letter(QStringLiteral("B"))->childCount(), 0) << "other letters stay closed";
}

TEST_F(MemberTreeLettersTest, AMemberDeletedBeforeItsLetterIsOpenedIsNotListed)
{
    ASSERT_TRUE(w->ShowMember(ahola));
    prompter.answerYes();
    QPushButton* remove = w->findChild<QPushButton*>(QStringLiteral("cPoista"));
    ASSERT_NE(remove, nullptr);
    remove->click();
    EXPECT_EQ(t.db.scalar(QStringLiteral("SELECT COUNT(*) FROM jr WHERE jrID = ?"), {Value(ahola)}).toInt64(), 0);
    QTreeWidgetItem* a = letter(QStringLiteral("A"));
    ASSERT_NE(a, nullptr);
    a->setExpanded(true);
    EXPECT_EQ(names(a), QStringList{QStringLiteral("Aho Eeva")});
    EXPECT_EQ(w->memberNode(ahola), nullptr);
}

TEST_F(MemberTreeLettersTest, OpenAllListsEveryLetter)
{
    QPushButton* all = w->findChild<QPushButton*>(QStringLiteral("cAvaaKaikki"));
    ASSERT_NE(all, nullptr);
    all->click();
    QStringList listed;
    QTreeWidgetItem* root = tree->topLevelItem(0);
    ASSERT_NE(root, nullptr);
    for (int i = 0; i < root->childCount(); ++i) {
        EXPECT_TRUE(root->child(i)->isExpanded()) << i;
        listed << names(root->child(i));
    }
    EXPECT_EQ(listed, (QStringList{QStringLiteral("Aho Eeva"), QStringLiteral("Ahola Pekka"), QStringLiteral("Berg Kalle"),
                                   QStringLiteral("cee Liisa")}));
}

TEST_F(MemberTreeLettersTest, ScreenshotWhenAsked)
{
    const QByteArray out = qgetenv("TIKKELI_SCREENSHOT_DIR");
    if (out.isEmpty())
        GTEST_SKIP();
    QTreeWidgetItem* a = letter(QStringLiteral("A"));
    ASSERT_NE(a, nullptr);
    a->setExpanded(true);
    w->resize(900, 560);
    w->show();
    QApplication::processEvents();
    w->grab().save(QString::fromLocal8Bit(out) + QStringLiteral("/MemberTreeLetters.png"));
}
