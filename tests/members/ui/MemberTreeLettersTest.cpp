#include "base/ScriptedPrompter.h"
#include "db/ClubChanges.h"
#include "ui/WindowHooks.h"
#include "members/ui/MemberWindows.h"
#include "members/ui/frmJasen.h"
#include "../MemberTestDb.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
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

// Two letters of four members each, one listed before a member of each is deleted through the
// window and one listed after.
class MemberTreeAfterDeleteTest : public MemberTreeLettersTest {
protected:
    void SetUp() override
    {
        for (const auto& [surname, firstName] :
             {std::pair("Kallio", "Aino"), std::pair("Koski", "Eero"), std::pair("Kivi", "Helmi"),
              std::pair("Korhonen", "Ilkka"), std::pair("Laine", "Jussi"), std::pair("Lehto", "Kaisa"),
              std::pair("Lahti", "Leena"), std::pair("Lindholm", "Mika")})
            ids[surname] = t.member(QString::fromUtf8(surname), QString::fromUtf8(firstName));
        MemberTreeLettersTest::SetUp();
    }
    void remove(const char* surname)
    {
        ASSERT_TRUE(w->ShowMember(ids[surname]));
        prompter.answerYes();
        w->findChild<QPushButton*>(QStringLiteral("cPoista"))->click();
        ASSERT_EQ(t.db.scalar(QStringLiteral("SELECT COUNT(*) FROM jr WHERE jrID = ?"), {Value(ids[surname])}).toInt64(), 0);
    }
    void rename(const char* surname, const char* newSurname)
    {
        t.db.execute(QStringLiteral("UPDATE jr SET jrSukunimi = ? WHERE jrID = ?"),
                     {Value(QString::fromUtf8(newSurname)), Value(ids[surname])});
        ClubChanges::announceMember(t.db, ids[surname]);
    }
    // Every letter opened, each member as "letter: name"; a node whose key names another member
    // says whose it is.
    std::vector<std::string> listed()
    {
        std::vector<std::string> out;
        QTreeWidgetItem* root = tree->topLevelItem(0);
        for (int i = 0; root && i < root->childCount(); ++i) {
            QTreeWidgetItem* group = root->child(i);
            group->setExpanded(true);
            for (int j = 0; j < group->childCount(); ++j) {
                const QString text = group->child(j)->text(0);
                const qint64 id = MemberTree::idFromKey(group->child(j)->data(0, Qt::UserRole).toString());
                const QString stored = t.db.scalar(QStringLiteral("SELECT jrSukunimi || ' ' || jrEtunimi FROM jr"
                                                                  " WHERE jrID = ?"),
                                                   {Value(id)})
                                           .toString();
                out.push_back((group->text(0) + QStringLiteral(": ") + text
                               + (stored == text ? QString() : QStringLiteral(" (key of ") + stored + u')'))
                                  .toStdString());
            }
        }
        return out;
    }
    // The member's node chosen in the tree, as a user picks it with the keyboard.
    void choose(const char* surname)
    {
        QTreeWidgetItem* node = w->memberNode(ids[surname]);
        ASSERT_NE(node, nullptr) << surname;
        tree->setCurrentItem(node);
        QTest::keyClick(tree, Qt::Key_Return);
    }
    std::string surnameOnCard() { return w->findChild<QLineEdit*>(QStringLiteral("tYhteystiedot_1"))->text().toStdString(); }

    std::map<std::string, qint64> ids;
};

} // namespace

// A letter keeps its members in no order, and a deleted member's place is taken by another of its
// letter. Each member left is still found where it is: listed in name order under its letter, the
// letter opened before the delete or only at the end, shown when its node is chosen, and renamed,
// moved to another letter or deleted as itself.
TEST_F(MemberTreeAfterDeleteTest, EveryMemberLeftIsFoundInItsPlaceAfterTheWindowsOwnDelete)
{
    QTreeWidgetItem* k = letter(QStringLiteral("K"));
    k->setExpanded(true);
    remove("Kallio");
    remove("Laine");
    EXPECT_EQ(names(k),
              (QStringList{QStringLiteral("Kivi Helmi"), QStringLiteral("Korhonen Ilkka"), QStringLiteral("Koski Eero")}));
    for (const char* surname : {"Korhonen", "Koski", "Kivi"}) {
        choose(surname);
        EXPECT_EQ(w->currentMemberId(), ids[surname]);
        EXPECT_EQ(surnameOnCard(), surname);
    }
    ASSERT_EQ(letter(QStringLiteral("L"))->childCount(), 0);

    // Each named in turn by another writer, the letter "L" still closed.
    rename("Lahti", "Lahtinen");
    const qint64 luoto = t.member(QStringLiteral("Luoto"), QStringLiteral("Niko"));
    ClubChanges::announceMember(t.db, luoto);
    rename("Lindholm", "Kangas");
    rename("Korhonen", "Lampi");
    ASSERT_EQ(letter(QStringLiteral("L"))->childCount(), 0);
    remove("Lahti");
    const std::vector<std::string> now{"A: Aho Eeva",    "A: Ahola Pekka", "B: Berg Kalle", "C: cee Liisa",
                                       "K: Kangas Mika", "K: Kivi Helmi",  "K: Koski Eero", "L: Lampi Ilkka",
                                       "L: Lehto Kaisa", "L: Luoto Niko"};
    EXPECT_EQ(listed(), now);
    for (const auto& [surname, shown] : {std::pair("Korhonen", "Lampi"), std::pair("Lindholm", "Kangas"),
                                         std::pair("Lehto", "Lehto"), std::pair("Kivi", "Kivi")}) {
        choose(surname);
        EXPECT_EQ(w->currentMemberId(), ids[surname]);
        EXPECT_EQ(surnameOnCard(), shown);
    }
    // What the window made of its changes is what a fresh reading of the file lists.
    w->findChild<QPushButton*>(QStringLiteral("cSelaa"))->click();
    EXPECT_EQ(listed(), now);
}

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
