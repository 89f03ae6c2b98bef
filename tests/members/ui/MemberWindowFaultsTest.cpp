#include "../MemberTestDb.h"

#include "app/MaintenanceCommands.h"
#include "base/ScriptedPrompter.h"
#include "ui/FormRegistry.h"
#include "ui/WindowHooks.h"
#include "members/FeatureAttach.h"
#include "members/FeatureCatalogue.h"
#include "members/MemberCardFields.h"
#include "db/ClubChanges.h"
#include "db/Transaction.h"
#include "invoicing/InvoicePayments.h"
#include "members/ui/MemberCardParts.h"
#include "members/ui/MemberFeaturesPanel.h"
#include "members/ui/MemberWindows.h"
#include "members/ui/frmJasen.h"
#include "support/Controls.h"
#include "support/OtherProgramRestore.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFocusEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <functional>
#include <limits>

using namespace tikkeli;

namespace {

// The member window as the program registers it (panels, searches, the other windows' events),
// on a club database with real rows.
class MemberWindowFaultsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterMemberWindows();
        State().AutoMemberNumbers = false;
        aho = t.member(QStringLiteral("Aho"), QStringLiteral("Eeva"), QStringLiteral("1"));
        berg = t.member(QStringLiteral("Berg"), QStringLiteral("Kalle"), QStringLiteral("2"));
        ase = t.feature(QStringLiteral("Ase"));
        t.db.execute(QStringLiteral("UPDATE pi SET piEnbldLong = 1 WHERE piID = ?"), {Value(ase)});
    }
    void TearDown() override
    {
        delete frmJasen::Instance();
        State().AutoMemberNumbers = false;
        WindowHooks::clear();
        MaintenanceCommands::CloseWindows = {};
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
    MemberFeaturesPanel* features(frmJasen* w) { return MemberCardParts::features(*w); }
    // Shows the member's first feature and types text into its number box.
    void typeFeatureNumber(frmJasen* w, const QString& text)
    {
        MemberFeaturesPanel* f = features(w);
        ASSERT_NE(f, nullptr);
        ASSERT_GT(test::Control<QListWidget>(*f, "lstAllPt")->count(), 0);
        test::Control<QListWidget>(*f, "lstAllPt")->setCurrentRow(0);
        f->ShowFeatureValue();
        ASSERT_TRUE(test::Control<QLineEdit>(*f, "tLong")->isEnabled());
        test::Control<QLineEdit>(*f, "tLong")->setFocus();
        test::Control<QLineEdit>(*f, "tLong")->selectAll();
        QTest::keyClicks(test::Control<QLineEdit>(*f, "tLong"), text);
        ASSERT_TRUE(f->valueChanged());
    }
    Value stored(qint64 featureRow)
    {
        return t.db.scalar(QStringLiteral("SELECT ptValLong FROM pt WHERE ptID = ?"), {Value(featureRow)});
    }
    QTreeWidgetItem* treeItem(frmJasen* w, qint64 id) { return w->memberNode(id); }
    bool focusInACardBox(frmJasen* w)
    {
        QWidget* focus = QApplication::focusWidget();
        for (int i = 0; i < 13; ++i)
            if (focus == box(w, i))
                return true;
        return false;
    }
    qint64 rowOf(qint64 member, qint64 definition)
    {
        return t.db
            .scalar(QStringLiteral("SELECT MIN(ptID) FROM pt WHERE ptjrID = ? AND ptpiID = ?"),
                    {Value(member), Value(definition)})
            .toInt64();
    }

    // The card on the first member, with surname typed over its surname.
    QPointer<frmJasen> openTypingSurname(const QString& surname)
    {
        QPointer<frmJasen> w = frmJasen::Load();
        if (!w || w->currentMemberId() != aho) {
            ADD_FAILURE() << "not on the first member";
            return w;
        }
        box(w, MemberCardFields::Surname)->setFocus();
        box(w, MemberCardFields::Surname)->selectAll();
        QTest::keyClicks(box(w, MemberCardFields::Surname), surname);
        EXPECT_NE(w->Data1.editMode(), EditMode::None);
        return w;
    }

    test::MemberTestDb t;
    ScriptedPrompter prompter;
    qint64 aho = 0, berg = 0, ase = 0;
};

} // namespace

TEST_F(MemberWindowFaultsTest, MovingTheCardFromAFeatureBoxNeverLandsInACardBox)
{
    t.give(aho, ase);
    t.give(berg, ase);
    frmJasen* w = open();
    ASSERT_NE(w, nullptr);
    // Ctrl+D from aho's feature box, then Ctrl+A from berg's.
    const std::pair<Qt::Key, qint64> moves[] = {{Qt::Key_D, berg}, {Qt::Key_A, aho}};
    for (const auto& [key, arrives] : moves) {
        SCOPED_TRACE(int(key));
        typeFeatureNumber(w, QStringLiteral("7"));
        QTest::keyClick(test::Control<QLineEdit>(*features(w), "tLong"), key, Qt::ControlModifier);
        QCoreApplication::processEvents();
        EXPECT_EQ(w->currentMemberId(), arrives);
        EXPECT_FALSE(focusInACardBox(w));
        for (int i = 0; i < 13; ++i)
            EXPECT_TRUE(box(w, i)->selectedText().isEmpty()) << i;
        // The next key typed changes no member's number.
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("9"));
        EXPECT_EQ(w->Data1.editMode(), EditMode::None);
    }
    EXPECT_EQ(t.db.scalar(QStringLiteral("SELECT jrJasennumero FROM jr WHERE jrID = ?"), {Value(aho)}).toString(),
              QStringLiteral("1"));
    EXPECT_EQ(stored(rowOf(aho, ase)), Value(7));
    EXPECT_EQ(stored(rowOf(berg, ase)), Value(7));

    // A tree click while a card box has the focus.
    box(w, 0)->setFocus();
    QTreeWidgetItem* item = treeItem(w, berg);
    ASSERT_NE(item, nullptr);
    emit tree(w)->itemClicked(item, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(w->currentMemberId(), berg);
    EXPECT_FALSE(focusInACardBox(w));
}

TEST_F(MemberWindowFaultsTest, ProgramFocusSelectsNothingOnlyTheUsersOwnMoveDoes)
{
    frmJasen* w = open();
    ASSERT_NE(w, nullptr);
    QLineEdit* surname = box(w, 1);
    surname->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    EXPECT_EQ(surname->selectedText(), QStringLiteral("Aho")); // Tab selects the whole text
    surname->setCursorPosition(3);
    QTest::keyClicks(surname, QStringLiteral("nen"));
    // The surname notice: the focus comes back after the message with nothing selected.
    surname->setCursorPosition(0);
    QTest::keyClicks(surname, QStringLiteral("1"));
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Sukunimen tulee alkaa kirjaimella.")});
    QFocusEvent back(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(surname, &back);
    QCoreApplication::processEvents();
    EXPECT_EQ(surname->text(), QStringLiteral("1Ahonen"));
    EXPECT_TRUE(surname->selectedText().isEmpty());
    EXPECT_EQ(surname->cursorPosition(), surname->text().size());
}

TEST_F(MemberWindowFaultsTest, AFeatureValueThatIsNoNumberIsToldKeptAndHoldsTheCard)
{
    t.give(aho, ase);
    frmJasen* w = open();
    ASSERT_NE(w, nullptr);
    const qint64 row = rowOf(aho, ase);
    typeFeatureNumber(w, QStringLiteral("12a"));
    QLineEdit* number = test::Control<QLineEdit>(*features(w), "tLong");

    // Leaving the box names the field; the typed text is not thrown away.
    tree(w)->setFocus();
    ASSERT_EQ(prompter.messageTexts().size(), 1);
    EXPECT_TRUE(prompter.messageTexts()[0].startsWith(QStringLiteral("Luku ei kelpaa: \"12a\"")));
    EXPECT_EQ(number->text(), QStringLiteral("12a"));

    // Moving on is refused with the card and the text kept, and nothing is stored.
    w->navigate(MemberNavigation::Move::Next);
    EXPECT_EQ(w->currentMemberId(), aho);
    EXPECT_EQ(number->text(), QStringLiteral("12a"));
    EXPECT_TRUE(stored(row).isNull());
    EXPECT_TRUE(prompter.anyMessageContains(QStringLiteral("\"12a\" ei ole kokonaisluku")));

    // Corrected, the value is written and the card moves.
    number->setText(QStringLiteral("12"));
    w->navigate(MemberNavigation::Move::Next);
    EXPECT_EQ(stored(row), Value(12));
    EXPECT_EQ(w->currentMemberId(), berg);
}

TEST_F(MemberWindowFaultsTest, ATypedFeatureValueSurvivesTheOtherWindowsChanges)
{
    const qint64 koira = t.feature(QStringLiteral("Koira"));
    t.give(aho, ase);
    t.give(aho, koira);
    frmJasen* w = open();
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(test::Control<QListWidget>(*features(w), "lstAllPt")->count(), 2);
    const qint64 row = rowOf(aho, ase);

    // The attach window adds rows (to aho too).
    typeFeatureNumber(w, QStringLiteral("41"));
    AttachValues values;
    values.longValue = QStringLiteral("1");
    FeatureAttach::attach(t.db, FeatureTable::members(), ase, {aho, berg}, values, false);
    EXPECT_EQ(stored(row), Value(41));
    EXPECT_EQ(test::Control<QListWidget>(*features(w), "lstAllPt")->count(), 3);
    EXPECT_EQ(test::Control<QLineEdit>(*features(w), "tLong")->text(), QStringLiteral("41"));
    EXPECT_FALSE(features(w)->valueChanged());

    // The catalogue deletes another definition.
    typeFeatureNumber(w, QStringLiteral("42"));
    {
        FeatureCatalogue catalogue(t.db);
        catalogue.deleteDefinition(koira);
    }
    EXPECT_EQ(stored(row), Value(42));
    EXPECT_EQ(test::Control<QListWidget>(*features(w), "lstAllPt")->count(), 2);

    // "Siivoa vanhat ominaisuudet".
    typeFeatureNumber(w, QStringLiteral("43"));
    t.db.execute(QStringLiteral("INSERT INTO pt (ptjrID, ptpiID) VALUES (?, 99999)"), {Value(aho)});
    {
        FeatureCatalogue catalogue(t.db);
        catalogue.removeOrphanValues();
    }
    EXPECT_EQ(stored(row), Value(43));
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(MemberWindowFaultsTest, MembersAddedElsewhereCanBeOpenedAndAPendingEditStays)
{
    frmJasen* w = open();
    ASSERT_NE(w, nullptr);
    // Typed on the card, not yet saved, when an import adds a member.
    box(w, 2)->setFocus();
    QTest::keyClicks(box(w, 2), QStringLiteral("x"));
    const qint64 imported = t.member(QStringLiteral("Tuotu"), QStringLiteral("Taisto"), QStringLiteral("77"));
    emit ClubChanges::instance().membersChanged();
    EXPECT_EQ(w->Data1.editMode(), EditMode::Edit);
    EXPECT_EQ(box(w, 2)->text(), QStringLiteral("Eevax"));
    QTreeWidgetItem* item = treeItem(w, imported);
    ASSERT_NE(item, nullptr) << "the tree follows the import";
    emit tree(w)->itemClicked(item, 0);
    EXPECT_EQ(w->currentMemberId(), imported);
    EXPECT_EQ(box(w, 1)->text(), QStringLiteral("Tuotu"));
    EXPECT_EQ(t.db.scalar(QStringLiteral("SELECT jrEtunimi FROM jr WHERE jrID = ?"), {Value(aho)}).toString(),
              QStringLiteral("Eevax"));

    // Added without a word: the name search's hit and a tree node still open it.
    const qint64 quiet = t.member(QStringLiteral("Hiljainen"), QStringLiteral("Hilma"), QStringLiteral("78"));
    WindowHooks::set(WindowHook::MemberNameSearch, [quiet](QWidget*, const WindowHookRequest&) { return quiet; });
    w->cNimiHaku_Click();
    EXPECT_EQ(w->currentMemberId(), quiet);
    EXPECT_EQ(box(w, 1)->text(), QStringLiteral("Hiljainen"));
    const qint64 later = t.member(QStringLiteral("Myöhempi"));
    w->BuildMemberTree();
    ASSERT_NE(treeItem(w, later), nullptr);
    emit tree(w)->itemClicked(treeItem(w, later), 0);
    EXPECT_EQ(w->currentMemberId(), later);
    // F5 reads the set again too.
    const qint64 fifth = t.member(QStringLiteral("Viides"));
    QTest::keyClick(tree(w), Qt::Key_F5);
    EXPECT_TRUE(w->ShowMember(fifth));
    EXPECT_TRUE(prompter.messageTexts().isEmpty()) << prompter.messageTexts().join(u'|').toStdString();
}

TEST_F(MemberWindowFaultsTest, AFilterChosenWhileTheCardCannotBeSavedWarnsOnceAndStays)
{
    t.give(berg, ase);
    frmJasen* w = open();
    ASSERT_NE(w, nullptr);
    box(w, 11)->setFocus();
    QTest::keyClicks(box(w, 11), QStringLiteral("31.2.2024"));
    ASSERT_EQ(filter(w)->itemText(1), QStringLiteral("Ase"));
    filter(w)->setCurrentIndex(1);
    emit filter(w)->activated(1);
    EXPECT_EQ(prompter.messageTexts().size(), 1);
    EXPECT_EQ(filter(w)->currentIndex(), 0);
    EXPECT_EQ(w->filterFeatureId(), 0);
    EXPECT_EQ(w->currentMemberId(), aho);
    EXPECT_EQ(box(w, 11)->text(), QStringLiteral("31.2.2024"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Jäsenrekisteri - 2"));

    // Corrected, the filter is taken.
    box(w, 11)->clear();
    prompter.clear();
    filter(w)->setCurrentIndex(1);
    emit filter(w)->activated(1);
    EXPECT_TRUE(prompter.messageTexts().isEmpty());
    EXPECT_EQ(w->filterFeatureId(), ase);
    EXPECT_EQ(w->currentMemberId(), berg);
}

TEST_F(MemberWindowFaultsTest, ANewMemberWhoseNumberCannotBeTakenIsToldSo)
{
    State().AutoMemberNumbers = true;
    State().MemberNumberCounter = std::numeric_limits<qint32>::max();
    frmJasen* w = open();
    ASSERT_NE(w, nullptr);
    w->cUusi_Click();
    ASSERT_EQ(prompter.messageTexts().size(), 1);
    EXPECT_TRUE(prompter.messageTexts()[0].startsWith(QStringLiteral("Jäsennumeroa ei voitu antaa")));
    EXPECT_EQ(w->Data1.editMode(), EditMode::Add);
    EXPECT_EQ(box(w, 0)->text(), QString());
    EXPECT_EQ(State().MemberNumberCounter, std::numeric_limits<qint32>::max());
}

TEST_F(MemberWindowFaultsTest, TheFirstMemberOfAnEmptyRegisterIsSaved)
{
    t.db.execute(QStringLiteral("DELETE FROM jr"));
    for (bool autoNumbers : {false, true}) {
        SCOPED_TRACE(autoNumbers);
        State().AutoMemberNumbers = autoNumbers;
        State().MemberNumberCounter = 500;
        t.db.execute(QStringLiteral("DELETE FROM jr"));
        frmJasen* w = open();
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->currentMemberId(), 0);
        box(w, 1)->setFocus();
        QTest::keyClicks(box(w, 1), QStringLiteral("Ensio"));
        box(w, 2)->setFocus();
        QTest::keyClicks(box(w, 2), QStringLiteral("Eino"));
        test::Control<QPushButton>(*w, QStringLiteral("cTallenna"))->click();
        EXPECT_EQ(t.db.scalar(QStringLiteral("SELECT COUNT(*) FROM jr WHERE jrSukunimi = 'Ensio' "
                                             "AND jrEtunimi = 'Eino'"))
                      .toInt64(),
                  1);
        EXPECT_EQ(t.db.scalar(QStringLiteral("SELECT jrJasennumero FROM jr")).toString(),
                  autoNumbers ? QStringLiteral("500") : QString());
        EXPECT_NE(w->currentMemberId(), 0);
        EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Jäsenrekisteri - 1"));
        delete w;
    }
    // A blank card left untouched writes nothing.
    t.db.execute(QStringLiteral("DELETE FROM jr"));
    frmJasen* w = open();
    ASSERT_NE(w, nullptr);
    w->close();
    EXPECT_EQ(t.db.scalar(QStringLiteral("SELECT COUNT(*) FROM jr")).toInt64(), 0);
}

// A change that names its members (a fee marked paid in the payment book, a card saved or
// deleted) has the window read just those rows and tree entries: a row changed meanwhile without
// a word stays as read until F5. A named member renamed, deleted or added moves, leaves or joins
// the tree in its place, and the caption counts again only then; an edit pending stays.
TEST_F(MemberWindowFaultsTest, AChangeNamingMembersReadsOnlyTheirRowsAndTreeEntries)
{
    const qint64 virta = t.member(QStringLiteral("Virta"), QStringLiteral("Ville"), QStringLiteral("3"));
    frmJasen* w = open();
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(w->currentMemberId(), aho);
    const auto text = [&](qint64 id) {
        QTreeWidgetItem* node = treeItem(w, id);
        return node ? node->parent()->text(0) + QStringLiteral(": ") + node->text(0) : QStringLiteral("-");
    };
    const auto caption = [&] { return w->windowTitle().section(QStringLiteral(" - "), -1); };
    auto* feePaid = test::Control<QCheckBox>(*w, "chkJasenmaksu");
    ASSERT_FALSE(feePaid->isChecked());

    t.db.execute(QStringLiteral("UPDATE jr SET jrEtunimi = 'Kaarlo' WHERE jrID = ?"), {Value(berg)});
    InvoicePayments::SetMemberFeePaid(t.db, aho);
    EXPECT_TRUE(feePaid->isChecked());
    EXPECT_EQ(text(berg), QStringLiteral("B: Berg Kalle"));
    ASSERT_TRUE(w->ShowMember(berg));
    EXPECT_EQ(box(w, 2)->text(), QStringLiteral("Kalle"));
    QTest::keyClick(tree(w), Qt::Key_F5);
    EXPECT_EQ(text(berg), QStringLiteral("B: Berg Kaarlo"));
    ASSERT_TRUE(w->ShowMember(aho));
    tree(w)->setCurrentItem(treeItem(w, aho));

    t.db.execute(QStringLiteral("UPDATE jr SET jrSukunimi = 'Virtanen' WHERE jrID = ?"), {Value(aho)});
    ClubChanges::announceMember(t.db, aho);
    EXPECT_EQ(text(aho), QStringLiteral("V: Virtanen Eeva"));
    EXPECT_EQ(tree(w)->currentItem(), treeItem(w, aho));
    EXPECT_EQ(box(w, MemberCardFields::Surname)->text(), QStringLiteral("Virtanen"));
    EXPECT_EQ(caption(), QStringLiteral("3"));

    t.db.execute(QStringLiteral("DELETE FROM jr WHERE jrID = ?"), {Value(berg)});
    ClubChanges::announceMember(t.db, berg);
    EXPECT_EQ(text(berg), QStringLiteral("-"));
    EXPECT_FALSE(w->ShowMember(berg));
    EXPECT_EQ(caption(), QStringLiteral("2"));
    const qint64 aalto = t.member(QStringLiteral("Aalto"), QStringLiteral("Aino"), QStringLiteral("4"));
    ClubChanges::announceMember(t.db, aalto);
    EXPECT_EQ(text(aalto), QStringLiteral("A: Aalto Aino"));
    EXPECT_EQ(caption(), QStringLiteral("3"));
    ASSERT_TRUE(w->ShowMember(aalto));
    EXPECT_EQ(box(w, MemberCardFields::Surname)->text(), QStringLiteral("Aalto"));

    // Typed on the card when its member is named: the edit stays, and the save writes it.
    box(w, 2)->setFocus();
    QTest::keyClicks(box(w, 2), QStringLiteral("x"));
    InvoicePayments::SetMemberFeePaid(t.db, aalto);
    EXPECT_EQ(w->Data1.editMode(), EditMode::Edit);
    EXPECT_EQ(box(w, 2)->text(), QStringLiteral("Ainox"));
    ASSERT_TRUE(w->SaveMember());
    EXPECT_EQ(t.db.scalar(QStringLiteral("SELECT jrEtunimi || jrJasenmaksu FROM jr WHERE jrID = ?"), {Value(aalto)}),
              Value(QStringLiteral("Ainox1")));
    EXPECT_EQ(text(virta), QStringLiteral("V: Virta Ville"));
    EXPECT_TRUE(prompter.messageTexts().isEmpty()) << prompter.messageTexts().join(u'|').toStdString();
}

TEST_F(MemberWindowFaultsTest, TheWindowsSharingTheMemberDataWorkTogether)
{
    // The member window open with a typed feature value while the import, the attach window and
    // the catalogue change the same data.
    t.give(aho, ase);
    frmJasen* w = open();
    ASSERT_NE(w, nullptr);
    typeFeatureNumber(w, QStringLiteral("5"));
    const qint64 imported = t.member(QStringLiteral("Uusi"), QStringLiteral("Urho"), QStringLiteral("90"));
    emit ClubChanges::instance().membersChanged();
    EXPECT_TRUE(features(w)->valueChanged()) << "an import does not touch the features";
    AttachValues values;
    values.longValue = QStringLiteral("3");
    FeatureAttach::attach(t.db, FeatureTable::members(), ase, {imported}, values, false);
    emit ClubChanges::instance().featureValuesChanged();
    EXPECT_EQ(stored(rowOf(aho, ase)), Value(5));
    const qint64 uusi = t.feature(QStringLiteral("Uusi piirre"));
    emit ClubChanges::instance().featureDefinitionsChanged();
    EXPECT_NE(filter(w)->findText(QStringLiteral("Uusi piirre")), -1);
    EXPECT_EQ(test::Control<QListWidget>(*features(w), "lstAllPi")->count(), 2);
    Q_UNUSED(uusi);

    // The imported member opens from the tree with the feature the attach window gave.
    ASSERT_NE(treeItem(w, imported), nullptr);
    emit tree(w)->itemClicked(treeItem(w, imported), 0);
    ASSERT_EQ(w->currentMemberId(), imported);
    ASSERT_EQ(test::Control<QListWidget>(*features(w), "lstAllPt")->count(), 1);
    test::Control<QListWidget>(*features(w), "lstAllPt")->setCurrentRow(0);
    EXPECT_EQ(test::Control<QLineEdit>(*features(w), "tLong")->text(), QStringLiteral("3"));
    // The filter on the attached feature lists both holders.
    filter(w)->setCurrentIndex(filter(w)->findText(QStringLiteral("Ase")));
    emit filter(w)->activated(filter(w)->currentIndex());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Jäsenrekisteri - 2"));
    EXPECT_TRUE(prompter.messageTexts().isEmpty()) << prompter.messageTexts().join(u'|').toStdString();
}

TEST_F(MemberWindowFaultsTest, AFeatureListThatCannotBeReadIsToldOnceAndTheCardStillTakesTyping)
{
    frmJasen* w = open();
    ASSERT_NE(w, nullptr);
    {
        Transaction broken(t.db);
        t.db.execute(QStringLiteral("DROP TABLE pi"));
        EXPECT_NO_THROW(emit ClubChanges::instance().featureDefinitionsChanged());
    }
    EXPECT_EQ(prompter.messageTexts().size(), 1) << prompter.messageTexts().join(u'|').toStdString();
    box(w, 2)->setFocus();
    QTest::keyClicks(box(w, 2), QStringLiteral("x"));
    EXPECT_EQ(w->Data1.editMode(), EditMode::Edit);
    EXPECT_EQ(box(w, 2)->text(), QStringLiteral("Eevax"));
}

// A surname typed on the card, then another program restores a backup over the file: the command
// that would store the typed name says it was not saved, and the card then shows the file now at
// the path; the same command run again stores nothing typed against the old file. The restore is
// met by the window's own write, or first by another window's.
TEST_F(MemberWindowFaultsTest, WhatWasTypedBeforeARestoreIsNeverWrittenIntoTheRestoredFile)
{
    struct Case {
        const char* name;
        bool metElsewhere;
        // Runs the command; whether it went through (the window moved on or closed).
        std::function<bool(frmJasen*)> command;
        qint64 shownAfter; // the member shown once the command went through (0: closed)
    };
    const Case cases[] = {
        {"save", false, [](frmJasen* w) { return w->SaveMember(); }, aho},
        {"close", false, [](frmJasen* w) { return w->close(); }, 0},
        {"next member", false,
         [this](frmJasen* w) {
             w->navigate(MemberNavigation::Move::Next);
             return w->currentMemberId() == berg;
         },
         berg},
        {"save after another window met the restore", true, [](frmJasen* w) { return w->SaveMember(); }, aho},
    };
    test::MessagesRunTheEventLoop(prompter);
    const auto surnames = [this] {
        return test::FileRows(t.path, QStringLiteral("SELECT jrSukunimi FROM jr ORDER BY jrID"));
    };
    int restores = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompter.clear();
        ++restores;
        QPointer<frmJasen> w = openTypingSurname(QStringLiteral("Kirjoitettu%1").arg(restores));
        ASSERT_TRUE(w);

        const QString restored = QStringLiteral("Palautettu%1").arg(restores);
        test::RestoreChangedCopy(t.path,
                                 QStringLiteral("UPDATE jr SET jrSukunimi = '%1' WHERE jrID = %2").arg(restored).arg(aho));
        if (c.metElsewhere) {
            EXPECT_THROW(t.db.execute(QStringLiteral("UPDATE jr SET jrEtunimi = 'Muu' WHERE jrID = ?"), {Value(berg)}),
                         DbException);
            QCoreApplication::processEvents();
        } else {
            EXPECT_FALSE(c.command(w));
            EXPECT_TRUE(prompter.anyMessageContains(test::ReplacedFileMessage))
                << prompter.messageTexts().join(u'\n').toStdString();
        }
        ASSERT_TRUE(w) << "the window stays open after the message";
        EXPECT_EQ(w->Data1.editMode(), EditMode::None);
        EXPECT_EQ(box(w, MemberCardFields::Surname)->text(), restored);
        EXPECT_EQ(w->currentMemberId(), aho);

        EXPECT_TRUE(c.command(w));
        if (c.shownAfter == 0)
            EXPECT_FALSE(w && w->isVisible()) << "closed";
        else
            EXPECT_EQ(w->currentMemberId(), c.shownAfter);
        EXPECT_EQ(surnames(), restored + QStringLiteral("|Berg"));
        delete w;
    }
}

// The restored file holds other members than the one left: the tree, the caption and the card
// follow it.
TEST_F(MemberWindowFaultsTest, TheTreeAndTheCaptionFollowTheRestoredFile)
{
    test::MessagesRunTheEventLoop(prompter);
    QPointer<frmJasen> w = frmJasen::Load();
    ASSERT_TRUE(w);
    box(w, MemberCardFields::Surname)->setFocus();
    QTest::keyClicks(box(w, MemberCardFields::Surname), QStringLiteral("x"));
    test::RestoreChangedCopy(t.path, QStringLiteral("DELETE FROM jr WHERE jrID = %1; INSERT INTO jr (jrSukunimi) "
                                                    "VALUES ('Uusi'), ('Vielä')")
                                         .arg(aho));
    EXPECT_FALSE(w->SaveMember());
    EXPECT_TRUE(w->windowTitle().endsWith(QStringLiteral(" - 3"))) << w->windowTitle().toStdString();
    // The member shown is gone from that file: the card shows its first one.
    EXPECT_EQ(w->currentMemberId(), berg);
    EXPECT_EQ(box(w, MemberCardFields::Surname)->text(), QStringLiteral("Berg"));
    const qint64 uusi = t.db.scalar(QStringLiteral("SELECT jrID FROM jr WHERE jrSukunimi = 'Uusi'")).toInt64();
    EXPECT_NE(w->memberNode(uusi), nullptr);
    EXPECT_EQ(w->memberNode(aho), nullptr);
}

// A phone number typed on the card while the club file is damaged, then Tietokanta → Tietokannan
// korjaus → Kyllä. A repair that saves every row leaves the card as it is, and Tallenna stores the
// number into the repaired file. One that loses rows first closes the card through its own close,
// which stores the number, and says so: the repaired file has the number either way.
TEST_F(MemberWindowFaultsTest, APhoneNumberTypedBeforeTheRepairIsStoredInTheRepairedFile)
{
    struct Case {
        const char* name;
        const char* damaged; // the object one of whose pages is overwritten
        bool everyRow;
    };
    const Case cases[] = {
        {"an index page: every row saved", "me_repair", true},
        {"a page of notices: notices lost", "me", false},
    };
    MaintenanceCommands::CloseWindows = [] { return FormRegistry::CloseAllForms(); };
    {
        Transaction tx(t.db);
        for (int i = 0; i < 2000; ++i)
            t.db.execute(QStringLiteral("INSERT INTO me (meTeksti) VALUES (?)"),
                         {Value(QStringLiteral("Tiedote %1 ").arg(i).repeated(8))});
        t.db.execute(QStringLiteral("CREATE INDEX me_repair ON me (meTeksti)"));
        tx.commit();
    }
    test::MessagesRunTheEventLoop(prompter);
    int run = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const qint64 pageSize = t.db.scalar(QStringLiteral("PRAGMA page_size")).toInt64();
        const qint64 page = t.db.scalar(
                                    QStringLiteral("SELECT max(pageno) FROM dbstat WHERE name = ? AND pagetype = 'leaf'"),
                                    {Value(QString::fromUtf8(c.damaged))})
                                .toInt64();
        ASSERT_GT(page, 1);
        {
            QFile f(t.path);
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            ASSERT_TRUE(f.seek((page - 1) * pageSize + 8));
            f.write(QByteArray(pageSize - 100, '\x5a'));
        }
        prompter.clear();
        QPointer<frmJasen> w = open();
        ASSERT_TRUE(w);
        ASSERT_EQ(w->currentMemberId(), aho);
        const QString phone = QStringLiteral("040 123 45%1").arg(++run);
        box(w, 6)->setFocus();
        box(w, 6)->selectAll();
        QTest::keyClicks(box(w, 6), phone);
        ASSERT_NE(w->Data1.editMode(), EditMode::None);

        prompter.answerYes();
        MaintenanceCommands::databaseRepair();
        QCoreApplication::processEvents();
        const QStringList texts = prompter.messageTexts();
        ASSERT_EQ(texts.size(), 2) << texts.join(u'\n').toStdString();
        EXPECT_EQ(texts[1].contains(QStringLiteral("kaikki rivit saatiin talteen")), c.everyRow) << texts[1].toStdString();
        EXPECT_EQ(texts[1].endsWith(QStringLiteral("Ikkunat suljettiin ennen korjausta.")), !c.everyRow);
        if (c.everyRow) {
            ASSERT_TRUE(w && w->isVisible());
            EXPECT_EQ(box(w, 6)->text(), phone);
            test::Control<QPushButton>(*w, QStringLiteral("cTallenna"))->click();
            EXPECT_EQ(w->Data1.editMode(), EditMode::None);
        } else {
            EXPECT_FALSE(w && w->isVisible()) << "closed before the repair";
        }
        EXPECT_EQ(test::FileRows(t.path, QStringLiteral("SELECT jrPuhelin FROM jr WHERE jrID = %1").arg(aho)), phone);
        EXPECT_EQ(test::FileRows(t.path, QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
        EXPECT_EQ(prompter.unexpected(), 0);
        delete w;
    }
}
