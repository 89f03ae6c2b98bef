#include "base/ScriptedPrompter.h"
#include "ui/WindowHooks.h"
#include "ui/WindowOpeners.h"
#include "members/MemberNameSearch.h"
#include "members/ui/MemberWindows.h"
#include "members/ui/frmJasen.h"
#include "settings/DatabaseSettingsStore.h"
#include "../MemberTestDb.h"
#include "support/Controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QAction>
#include <QApplication>
#include <QTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace tikkeli;

namespace {

class frmJasenTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        aho = t.member(QStringLiteral("Aho"), QStringLiteral("Eeva"), QStringLiteral("1"));
        berg = t.member(QStringLiteral("Berg"), QStringLiteral("Kalle"), QStringLiteral("2"));
        cee = t.member(QStringLiteral("Cee"), QStringLiteral("Liisa"), QStringLiteral("3"));
    }
    void TearDown() override
    {
        if (auto* w = frmJasen::Instance())
            delete w;
        WindowHooks::clear();
    }
    frmJasen* open()
    {
        frmJasen* w = frmJasen::Load();
        if (w) {
            w->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(w));
        }
        return w;
    }
    QLineEdit* box(frmJasen* w, int i)
    {
        return test::Control<QLineEdit>(*w, ("tYhteystiedot_" + std::to_string(i)).c_str());
    }
    QTreeWidget* tree(frmJasen* w) { return test::Control<QTreeWidget>(*w, "tvwNimet"); }
    QComboBox* filter(frmJasen* w) { return test::Control<QComboBox>(*w, "cmbListaEhto"); }
    qint64 count(const QString& sql) { return t.db.scalar(sql).toInt64(); }
    void type(QLineEdit* b, const QString& text)
    {
        b->setFocus();
        b->selectAll();
        QTest::keyClicks(b, text);
    }

    test::MemberTestDb t;
    ScriptedPrompter prompter;
    qint64 aho = 0, berg = 0, cee = 0;
};

int beeps(const ScriptedPrompter& p)
{
    int n = 0;
    for (const auto& s : p.shown())
        n += s.kind == ScriptedPrompter::Kind::Beep;
    return n;
}

} // namespace

TEST_F(frmJasenTest, NoDatabaseConfiguredRefusesToOpen)
{
    for (const char* path : {"", "unknown"}) {
        State().DatabasePath = QString::fromUtf8(path);
        prompter.clear();
        EXPECT_EQ(frmJasen::Load(), nullptr);
        EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Tarkista tietokanta asetukset asetusikkunasta!")});
    }
    State().DatabasePath = t.env.root() + QStringLiteral("/missing.mdb");
    prompter.clear();
    EXPECT_EQ(frmJasen::Load(), nullptr);
    ASSERT_EQ(prompter.messageTexts().size(), 1);
    EXPECT_TRUE(prompter.messageTexts()[0].startsWith(QStringLiteral("Tarkista tietokanta asetukset asetusikkunasta!\r\n")));
}

TEST_F(frmJasenTest, LoadShowsFirstMemberCaptionAndTree)
{
    frmJasen* w = open();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Jäsenrekisteri - 3"));
    EXPECT_EQ(box(w, 1)->text(), QStringLiteral("Aho"));
    EXPECT_EQ(tree(w)->topLevelItem(0)->text(0), QStringLiteral("Aakkostettu"));
    EXPECT_EQ(tree(w)->topLevelItem(0)->childCount(), 3);
    EXPECT_EQ(filter(w)->itemText(0), QStringLiteral(" - Kaikki - "));
    EXPECT_EQ(frmJasen::Load(), w) << "single instance";
    // The opener of the main window's button is this window.
    WindowOpeners::clear();
    RegisterMemberWindows();
    ASSERT_NE(WindowOpeners::find(MainCommand::MemberRegister), nullptr);
}

TEST_F(frmJasenTest, TypingEditsAndSaveWritesOnlyTheCard)
{
    frmJasen* w = open();
    ASSERT_TRUE(w);
    type(box(w, 2), QStringLiteral("Eveliina"));
    EXPECT_EQ(w->Data1.editMode(), EditMode::Edit);
    type(box(w, 11), QStringLiteral("kissa"));
    box(w, 12)->setFocus(); // leaving the birth date box: the text stays for correction
    EXPECT_EQ(box(w, 11)->text(), QStringLiteral("kissa"));
    EXPECT_EQ(beeps(prompter), 1);
    box(w, 11)->clear();
    type(box(w, 12), QStringLiteral("01.02.1990"));
    test::Control<QCheckBox>(*w, "chkJasenmaksu")->click();
    box(w, 3)->setFocus();
    EXPECT_EQ(box(w, 12)->text(), QStringLiteral("1.2.1990"));
    QTest::keyClick(box(w, 3), Qt::Key_F3);
    EXPECT_EQ(w->Data1.editMode(), EditMode::None);
    Recordset rs = t.db.openRecordset(QStringLiteral("SELECT * FROM jr WHERE jrID = ?"), RecordsetType::Snapshot,
                                      {Value(aho)});
    EXPECT_EQ(rs.field(QStringLiteral("jrEtunimi")).toString(), QStringLiteral("Eveliina"));
    EXPECT_TRUE(rs.field(QStringLiteral("jrSyntyma")).isNull());
    EXPECT_EQ(rs.field(QStringLiteral("jrLiittyma")).toDate(), QDate(1990, 2, 1));
    EXPECT_TRUE(rs.field(QStringLiteral("jrJasenmaksu")).toBool());
    EXPECT_EQ(rs.field(QStringLiteral("jrSukunimi")).toString(), QStringLiteral("Aho"));
}

TEST_F(frmJasenTest, DuplicateNumberMessageEmptiesTheBoxAndAFreeNumberThenSaves)
{
    frmJasen* w = open();
    ASSERT_TRUE(w);
    type(box(w, 0), QStringLiteral("2"));
    EXPECT_FALSE(w->SaveMember());
    EXPECT_EQ(prompter.messageTexts().last(), QStringLiteral("Jäsennumero #2 on varattu jo toiselle jäsenelle."));
    EXPECT_EQ(box(w, 0)->text(), QString());
    EXPECT_EQ(w->Data1.editMode(), EditMode::Edit);
    // Commands that leave the card do nothing after the failed save? The card is now savable:
    type(box(w, 0), QStringLiteral("9"));
    EXPECT_TRUE(w->SaveMember());
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM jr WHERE jrJasennumero = '9'")), 1);
}

TEST_F(frmJasenTest, FailedSaveStopsNavigationAndKeepsTheTypedCard)
{
    frmJasen* w = open();
    ASSERT_TRUE(w);
    type(box(w, 0), QStringLiteral("3"));
    type(box(w, 2), QStringLiteral("Uusi"));
    QTest::keyClick(box(w, 2), Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(w->currentMemberId(), aho);
    EXPECT_EQ(box(w, 2)->text(), QStringLiteral("Uusi"));
    // A write the database refuses: a message, and nothing typed is lost.
    t.db.execute(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE OF jrOsoite ON jr "
                                "BEGIN SELECT RAISE(ABORT, 'ei nyt'); END"));
    type(box(w, 3), QStringLiteral("Tie 5"));
    prompter.clear();
    EXPECT_FALSE(w->SaveMember());
    EXPECT_EQ(prompter.messageTexts().size(), 1);
    EXPECT_EQ(box(w, 3)->text(), QStringLiteral("Tie 5"));
    EXPECT_EQ(w->Data1.editMode(), EditMode::Edit);
    // ... and the window does not close over it.
    w->close();
    EXPECT_TRUE(w->isVisible());
    t.db.execute(QStringLiteral("DROP TRIGGER refuse"));
    type(box(w, 3), QStringLiteral("Kuja 1"));
    w->close();
    EXPECT_EQ(frmJasen::Instance(), nullptr);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM jr WHERE jrOsoite = 'Kuja 1'")), 1);
}

TEST_F(frmJasenTest, NewMemberTakesTheCounterAtOnce)
{
    State().AutoMemberNumbers = true;
    State().MemberNumberCounter = 100;
    frmJasen* w = open();
    ASSERT_TRUE(w);
    QTest::keyClick(box(w, 1), Qt::Key_F2);
    EXPECT_EQ(w->Data1.editMode(), EditMode::Add);
    EXPECT_EQ(box(w, 0)->text(), QStringLiteral("100"));
    EXPECT_EQ(box(w, 1)->text(), QString());
    EXPECT_EQ(DatabaseSettingsStore(t.db).read(QStringLiteral("Jasennro")), QStringLiteral("101"));
    QTest::keyClick(box(w, 1), Qt::Key_Z, Qt::ControlModifier); // undo: the number stays used
    EXPECT_EQ(w->Data1.editMode(), EditMode::None);
    EXPECT_EQ(State().MemberNumberCounter, 101);

    test::Control<QPushButton>(*w, "cUusi")->click();
    type(box(w, 1), QStringLiteral("Öhman"));
    test::Control<QPushButton>(*w, "cTallenna")->click();
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM jr WHERE jrJasennumero = '101'")), 1);
    EXPECT_EQ(box(w, 1)->text(), QStringLiteral("Öhman"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Jäsenrekisteri - 4"));
}

TEST_F(frmJasenTest, SurnameNoticeButStillSaved)
{
    frmJasen* w = open();
    ASSERT_TRUE(w);
    test::Control<QPushButton>(*w, "cUusi")->click();
    type(box(w, 1), QStringLiteral("1A"));
    EXPECT_EQ(prompter.messageTexts().count(QStringLiteral("Sukunimen tulee alkaa kirjaimella.")), 2);
    EXPECT_TRUE(w->SaveMember());
    test::Control<QPushButton>(*w, "cSelaa")->click();
    // The letter groups and the group for other initials, where "1A" is listed.
    EXPECT_EQ(tree(w)->topLevelItem(0)->childCount(), 4);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM jr")), 4);
}

TEST_F(frmJasenTest, DeleteAsksAndRemovesFeaturesUntilTheRegisterIsEmpty)
{
    const qint64 f = t.feature(QStringLiteral("Koira"));
    t.give(aho, f);
    frmJasen* w = open();
    ASSERT_TRUE(w);
    prompter.answerNo();
    test::Control<QPushButton>(*w, "cPoista")->click();
    EXPECT_EQ(prompter.shown().back().text,
              QStringLiteral("Poistetaanko näytössä oleva jäsen?\r\n\r\nAho Eeva, jäsennumero 1"));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM jr")), 3);
    for (int i = 0; i < 3; ++i) {
        prompter.answerYes();
        QTest::keyClick(box(w, 1), Qt::Key_F4);
    }
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM jr")), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM pt")), 0);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Jäsenrekisteri - 0"));
    EXPECT_EQ(box(w, 1)->text(), QString());
    // The member nodes go; their letters wait for the next rebuild.
    QTreeWidgetItem* root = tree(w)->topLevelItem(0);
    ASSERT_TRUE(root);
    for (int i = 0; i < root->childCount(); ++i)
        EXPECT_EQ(root->child(i)->childCount(), 0);
    test::Control<QPushButton>(*w, "cSelaa")->click();
    ASSERT_TRUE(tree(w)->topLevelItem(0));
    EXPECT_EQ(tree(w)->topLevelItem(0)->childCount(), 0);
}

TEST_F(frmJasenTest, KeysNavigateAndBeepAtTheEnds)
{
    frmJasen* w = open();
    ASSERT_TRUE(w);
    QLineEdit* b = box(w, 2);
    b->setFocus();
    QTest::keyClick(b, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(beeps(prompter), 1);
    QTest::keyClick(b, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(w->currentMemberId(), cee);
    QTest::keyClick(b, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(beeps(prompter), 2);
    EXPECT_EQ(box(w, 1)->text(), QStringLiteral("Cee"));
    QTest::keyClick(b, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(box(w, 1)->text(), QStringLiteral("Aho"));
    EXPECT_EQ(w->Data1.editMode(), EditMode::None) << "the keys must not edit the text box";
}

TEST_F(frmJasenTest, FilterRestrictsTreeCaptionAndShowsFirstHolder)
{
    const qint64 f = t.feature(QStringLiteral("Koira"));
    t.give(cee, f);
    t.give(cee, f);
    t.give(berg, f);
    frmJasen* w = open();
    ASSERT_EQ(filter(w)->count(), 2);
    filter(w)->setCurrentIndex(1);
    w->cmbListaEhto_Click();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Jäsenrekisteri - 2"));
    EXPECT_EQ(w->currentMemberId(), berg);
    QTreeWidgetItem* root = tree(w)->topLevelItem(0);
    ASSERT_TRUE(root);
    ASSERT_EQ(root->childCount(), 2);
    root->child(1)->setExpanded(true);
    ASSERT_EQ(root->child(1)->childCount(), 1);
    EXPECT_EQ(root->child(1)->child(0)->text(0), QStringLiteral("Cee Liisa"));
    w->navigate(MemberNavigation::Move::Next);
    EXPECT_EQ(w->currentMemberId(), cee);
    w->navigate(MemberNavigation::Move::Next);
    EXPECT_EQ(w->currentMemberId(), cee);
}

TEST_F(frmJasenTest, TreeClickMovesTheCardAndAStaleNodeRebuildsTheTree)
{
    frmJasen* w = open();
    ASSERT_TRUE(w);
    QTreeWidgetItem* root = tree(w)->topLevelItem(0);
    ASSERT_TRUE(root);
    QTreeWidgetItem* letterC = root->child(2);
    ASSERT_TRUE(letterC);
    letterC->setExpanded(true);
    QTreeWidgetItem* ceeNode = letterC->child(0);
    ASSERT_TRUE(ceeNode);
    tree(w)->scrollToItem(ceeNode);
    QTest::mouseClick(tree(w)->viewport(), Qt::LeftButton, {}, tree(w)->visualItemRect(ceeNode).center());
    EXPECT_EQ(w->currentMemberId(), cee);
    QTest::mouseClick(tree(w)->viewport(), Qt::LeftButton, {}, tree(w)->visualItemRect(letterC).center());
    EXPECT_EQ(w->currentMemberId(), cee);

    t.db.execute(QStringLiteral("DELETE FROM jr WHERE jrID = ?"), {Value(aho)});
    w->Data1.recordset().requery();
    QTreeWidgetItem* ahoNode = w->memberNode(aho);
    ASSERT_TRUE(ahoNode);
    tree(w)->setCurrentItem(ahoNode);
    QTest::keyClick(tree(w), Qt::Key_Return);
    EXPECT_EQ(tree(w)->topLevelItem(0)->childCount(), 2);
}

TEST_F(frmJasenTest, SearchesMoveTheCardOrSayNotFound)
{
    {
        frmJasen* w = open();
        ASSERT_TRUE(w);
        EXPECT_FALSE(test::Control<QPushButton>(*w, "cHaku")->isEnabled());
        EXPECT_FALSE(test::Control<QAction>(*w, "mNimihaku")->isEnabled());
        delete w;
    }
    qint64 answer = cee;
    for (WindowHook hook : {WindowHook::MemberQuickSearch, WindowHook::MemberNameSearch})
        WindowHooks::set(hook, [&](QWidget*, const WindowHookRequest&) { return answer; });
    frmJasen* w = open();
    ASSERT_TRUE(w);
    EXPECT_TRUE(test::Control<QPushButton>(*w, "cHaku")->isEnabled());
    QTest::keyClick(box(w, 1), Qt::Key_F6);
    EXPECT_EQ(w->currentMemberId(), cee);
    answer = 999;
    QTest::keyClick(box(w, 1), Qt::Key_F6);
    EXPECT_EQ(prompter.messageTexts().last(), QStringLiteral("Jäsennumerolla ei löydy jäsentä."));
    EXPECT_EQ(w->currentMemberId(), cee);
    QTest::keyClick(box(w, 1), Qt::Key_F9);
    EXPECT_EQ(prompter.messageTexts().last(), QStringLiteral("Jäsentä ei löydy."));
    answer = 0;
    prompter.clear();
    QTest::keyClick(box(w, 1), Qt::Key_F9);
    EXPECT_TRUE(prompter.messageTexts().isEmpty());
    answer = berg;
    QTest::keyClick(box(w, 1), Qt::Key_F9);
    EXPECT_EQ(w->currentMemberId(), berg);
    EXPECT_TRUE(w->ShowMember(aho));
    EXPECT_EQ(box(w, 1)->text(), QStringLiteral("Aho"));
}

TEST_F(frmJasenTest, FilterChoicesAreNamedMemberFeaturesAndSurviveARefill)
{
    t.db.execute(QStringLiteral("DELETE FROM pi"));
    const qint64 dog = t.feature(QStringLiteral("Koira"));
    const qint64 gun = t.feature(QStringLiteral("Ase"));
    t.db.execute(QStringLiteral("INSERT INTO pi (piNimi, piType) VALUES ('Alue', 2)"));
    t.db.execute(QStringLiteral("INSERT INTO pi (piNimi, piType) VALUES (NULL, 1)"));
    frmJasen* w = open();
    ASSERT_TRUE(w);
    QStringList texts;
    for (int i = 0; i < filter(w)->count(); ++i)
        texts << filter(w)->itemText(i);
    EXPECT_EQ(texts, (QStringList{QStringLiteral(" - Kaikki - "), QStringLiteral("Ase"), QStringLiteral("Koira")}));
    EXPECT_EQ(filter(w)->itemData(0).toLongLong(), 0);
    EXPECT_EQ(filter(w)->itemData(1).toLongLong(), gun);
    EXPECT_EQ(filter(w)->currentIndex(), 0);
    EXPECT_EQ(w->filterFeatureId(), 0);
    filter(w)->setCurrentIndex(2);
    t.feature(QStringLiteral("Auto"));
    w->FillFeatureFilter();
    EXPECT_EQ(w->filterFeatureId(), dog);
    EXPECT_EQ(filter(w)->count(), 4);
}

TEST_F(frmJasenTest, NameSearchClosedWithoutAChoiceDoesNotRepeatTheLastOne)
{
    WindowOpeners::clear();
    RegisterMemberWindows();
    frmJasen* w = open();
    ASSERT_TRUE(test::Control<QPushButton>(*w, "cNimiHaku")->isEnabled());
    SelectedMemberId = qint32(cee); // what an earlier search chose
    QTimer::singleShot(0, [] {
        if (QWidget* dialog = QApplication::activeModalWidget())
            dialog->close();
    });
    QTest::keyClick(box(w, 1), Qt::Key_F9);
    EXPECT_EQ(w->currentMemberId(), aho);
    EXPECT_TRUE(prompter.messageTexts().isEmpty());
}

TEST_F(frmJasenTest, AMistypedDateIsRefusedAndNeverStoredAsEmpty)
{
    t.db.execute(QStringLiteral("UPDATE jr SET jrSyntyma = '1970-05-04 00:00:00' WHERE jrID = ?"), {Value(aho)});
    frmJasen* w = open();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(box(w, 11)->text(), QStringLiteral("4.5.1970"));
    const auto storedBirthDate = [&] {
        return t.db.scalar(QStringLiteral("SELECT jrSyntyma FROM jr WHERE jrID = ?"), {Value(aho)}).toDate();
    };
    for (const char* typed : {"31.2.2024", "10:30", "10.30"}) {
        SCOPED_TRACE(typed);
        prompter.clear();
        type(box(w, 11), QString::fromUtf8(typed));
        box(w, 2)->setFocus(); // leaving the box keeps the text for correction
        EXPECT_EQ(box(w, 11)->text(), QString::fromUtf8(typed));
        EXPECT_FALSE(w->SaveMember());
        EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Syntymäpäivä: \"%1\" ei ole päivämäärä. "
                                                                      "Kirjoita päivämäärä muodossa p.k.vvvv.")
                                                           .arg(QString::fromUtf8(typed))});
        // Leaving the member is refused too: the card stays with the typed text.
        QTest::keyClick(box(w, 2), Qt::Key_D, Qt::ControlModifier);
        EXPECT_EQ(w->currentMemberId(), aho);
        EXPECT_EQ(box(w, 11)->text(), QString::fromUtf8(typed));
        EXPECT_EQ(storedBirthDate(), QDate(1970, 5, 4));
    }
    // Two-digit years: 1930..2029.
    type(box(w, 11), QStringLiteral("1.1.30"));
    EXPECT_TRUE(w->SaveMember());
    EXPECT_EQ(storedBirthDate(), QDate(1930, 1, 1));
    type(box(w, 11), QStringLiteral("1.1.29"));
    EXPECT_TRUE(w->SaveMember());
    EXPECT_EQ(storedBirthDate(), QDate(2029, 1, 1));
}

namespace {

// A commit of another program instance: its own connection to the file.
void commitElsewhere(const QString& path, const QString& sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close_v2(db);
}

} // namespace

// The filtered walk keeps its list between steps; another instance's change to it is followed
// from F5 and from a save of the card on.
TEST_F(frmJasenTest, TheFilteredWalkFollowsAnotherInstancesChangeAfterF5AndAfterASave)
{
    const qint64 dog = t.feature(QStringLiteral("Koira"));
    for (const qint64 m : {aho, berg, cee})
        t.give(m, dog);
    frmJasen* w = open();
    ASSERT_TRUE(w);
    filter(w)->setCurrentIndex(1);
    w->cmbListaEhto_Click();
    ASSERT_EQ(w->currentMemberId(), aho);
    w->navigate(MemberNavigation::Move::Next);
    w->navigate(MemberNavigation::Move::Previous);
    ASSERT_EQ(w->currentMemberId(), aho);

    // Aho becomes Öhman, the last of the list: after F5 the step back from the card goes to Cee.
    commitElsewhere(t.path, QStringLiteral("UPDATE jr SET jrSukunimi = 'Öhman' WHERE jrID = %1").arg(aho));
    QTest::keyClick(tree(w), Qt::Key_F5);
    ASSERT_EQ(w->currentMemberId(), aho);
    w->navigate(MemberNavigation::Move::Previous);
    EXPECT_EQ(w->currentMemberId(), cee);
    EXPECT_EQ(box(w, 1)->text(), QStringLiteral("Cee"));

    // Cee becomes Aalto, the first: after a save of the card the next step goes to Berg.
    commitElsewhere(t.path, QStringLiteral("UPDATE jr SET jrSukunimi = 'Aalto' WHERE jrID = %1").arg(cee));
    type(box(w, 2), QStringLiteral("Liisa-Maria"));
    test::Control<QPushButton>(*w, "cTallenna")->click();
    w->navigate(MemberNavigation::Move::Next);
    EXPECT_EQ(w->currentMemberId(), berg);
    w->navigate(MemberNavigation::Move::Previous);
    EXPECT_EQ(w->currentMemberId(), cee);
    // The save wrote the field typed and left the other instance's surname alone.
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM jr WHERE jrSukunimi = 'Aalto' AND jrEtunimi = 'Liisa-Maria'")), 1);
    EXPECT_EQ(beeps(prompter), 0);
}
