#include "../MemberTestDb.h"

#include "base/ScriptedPrompter.h"
#include "ui/WindowHooks.h"
#include "members/ui/MemberCardParts.h"
#include "members/ui/MemberFeaturesPanel.h"
#include "members/ui/MemberInvoicesPanel.h"
#include "members/ui/frmJasen.h"
#include "support/Controls.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

class MemberCardPartsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        aho = t.member(QStringLiteral("Aho"), QStringLiteral("Eeva"), QStringLiteral("1"));
        berg = t.member(QStringLiteral("Berg"), QStringLiteral("Kalle"), QStringLiteral("2"));
        ase = t.feature(QStringLiteral("Ase"));
        t.db.execute(QStringLiteral("UPDATE pi SET piEnbldLong = 1 WHERE piID = ?"), {ase});
    }
    void TearDown() override
    {
        delete frmJasen::Instance();
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
    // Shows the member in the card; Aho is first.
    void show(frmJasen* w, qint64 id) { ASSERT_TRUE(w->ShowMember(id)); }
    Value jr(const QString& field, qint64 id)
    {
        return t.db.scalar(QStringLiteral("SELECT ") + field + QStringLiteral(" FROM jr WHERE jrID = ?"), {id});
    }

    test::MemberTestDb t;
    ScriptedPrompter prompter;
    qint64 aho = 0, berg = 0, ase = 0;
};

} // namespace

TEST_F(MemberCardPartsTest, PanelsLiveInTheirTabsAndFollowTheCard)
{
    t.give(berg, ase);
    frmJasen* w = open();
    ASSERT_TRUE(w);
    MemberFeaturesPanel* features = MemberCardParts::features(*w);
    MemberInvoicesPanel* invoices = MemberCardParts::invoices(*w);
    ASSERT_TRUE(features && invoices);
    EXPECT_TRUE(test::Control<QWidget>(*w, "frameTabs_1")->isAncestorOf(features));
    EXPECT_TRUE(test::Control<QWidget>(*w, "frameTabs_2")->isAncestorOf(invoices));
    EXPECT_EQ(test::Control<QListWidget>(*features, "lstAllPi")->count(), 1);
    show(w, berg);
    EXPECT_EQ(test::Control<QListWidget>(*features, "lstAllPt")->count(), 1);
    show(w, aho);
    EXPECT_EQ(test::Control<QListWidget>(*features, "lstAllPt")->count(), 0);

    // Shift+F2 is the features' add command.
    ASSERT_TRUE(test::Control<QAction>(*w, "mLisaaPiirre")->isEnabled());
    EXPECT_EQ(test::Control<QAction>(*w, "mLisaaPiirre")->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F2));
    test::Control<QAction>(*w, "mLisaaPiirre")->trigger();
    EXPECT_FALSE(test::Control<QListWidget>(*features, "lstAllPi")->isHidden());
    test::Control<QAction>(*w, "mSelaaPiirre")->trigger();
    EXPECT_TRUE(test::Control<QListWidget>(*features, "lstAllPi")->isHidden());
}

TEST_F(MemberCardPartsTest, TypedFeatureValueEditsTheCardAndIsSavedWithIt)
{
    t.give(aho, ase);
    frmJasen* w = open();
    ASSERT_TRUE(w);
    show(w, aho);
    MemberFeaturesPanel* features = MemberCardParts::features(*w);
    test::Control<QListWidget>(*features, "lstAllPt")->setCurrentRow(0);
    test::Control<QLineEdit>(*features, "tLong")->setFocus();
    QTest::keyClicks(test::Control<QLineEdit>(*features, "tLong"), QStringLiteral("42"));
    EXPECT_EQ(w->Data1.editMode(), EditMode::Edit);
    test::Control<QPushButton>(*w, "cTallenna")->click();
    EXPECT_EQ(t.db.scalar(QStringLiteral("SELECT ptValLong FROM pt WHERE ptjrID = ?"), {aho}), Value(42));
    EXPECT_EQ(w->Data1.editMode(), EditMode::None);
}

TEST_F(MemberCardPartsTest, ReferenceDigitIsTypedIntoTheCard)
{
    frmJasen* w = open();
    ASSERT_TRUE(w);
    show(w, aho);
    ASSERT_TRUE(test::Control<QPushButton>(*w, "cLisaaViiteTarkiste")->isEnabled());
    test::Control<QPushButton>(*w, "cLisaaViiteTarkiste")->click();
    EXPECT_EQ(prompter.messageTexts(),
              QStringList{QStringLiteral("Viitetarkistetta ei voi lisätä 'tyhjään' - kirjoita ensin numero.")});
    test::Control<QLineEdit>(*w, "tYhteystiedot_9")->setText(QStringLiteral("1234"));
    test::Control<QPushButton>(*w, "cLisaaViiteTarkiste")->click();
    EXPECT_EQ(test::Control<QLineEdit>(*w, "tYhteystiedot_9")->text(), QStringLiteral("12344"));
    EXPECT_EQ(w->Data1.editMode(), EditMode::Edit);
    test::Control<QPushButton>(*w, "cTallenna")->click();
    EXPECT_EQ(jr(QStringLiteral("jrViitenumero"), aho), Value(QStringLiteral("12344")));
}

TEST_F(MemberCardPartsTest, PaidFeeIsNotOverwrittenByTheCard)
{
    t.db.execute(QStringLiteral("INSERT INTO jmhist (jmhjmjrID, jmhjmID, jmhjmViitenumero, jmhjmJasMak, "
                                "jmhjmLaskupaiva) VALUES (?, 1, '13', 1, ?)"),
                 {aho, QDate(2025, 1, 1)});
    frmJasen* w = open();
    ASSERT_TRUE(w);
    show(w, aho);
    EXPECT_FALSE(test::Control<QCheckBox>(*w, "chkJasenmaksu")->isChecked());
    // The surname is being edited while the invoice is marked paid.
    test::Control<QLineEdit>(*w, "tYhteystiedot_1")->setText(QStringLiteral("Aho-Berg"));
    MemberInvoicesPanel* invoices = MemberCardParts::invoices(*w);
    test::Control<QTabWidget>(*w, "TabStrip1")->setCurrentIndex(1);
    ASSERT_EQ(test::Control<QListWidget>(*invoices, "lstMaksut")->count(), 1);
    test::Control<QListWidget>(*invoices, "lstMaksut")->setCurrentRow(0);
    test::Control<QPushButton>(*invoices, "cMaksetuksi")->click();
    EXPECT_TRUE(test::Control<QCheckBox>(*w, "chkJasenmaksu")->isChecked());
    test::Control<QPushButton>(*w, "cTallenna")->click();
    EXPECT_TRUE(jr(QStringLiteral("jrJasenmaksu"), aho).toBool());
    EXPECT_EQ(jr(QStringLiteral("jrSukunimi"), aho), Value(QStringLiteral("Aho-Berg")));
    EXPECT_TRUE(test::Control<QCheckBox>(*w, "chkJasenmaksu")->isChecked());
}

TEST_F(MemberCardPartsTest, MemberDataAndContactsToTheClipboard)
{
    frmJasen* w = open();
    ASSERT_TRUE(w);
    show(w, aho);
    test::Control<QLineEdit>(*w, "tYhteystiedot_3")->setText(QStringLiteral("Tie 1"));
    test::Control<QLineEdit>(*w, "tYhteystiedot_4")->setText(QStringLiteral("00100"));
    test::Control<QLineEdit>(*w, "tYhteystiedot_5")->setText(QStringLiteral("Helsinki"));
    ASSERT_EQ(test::Control<QAction>(*w, "mKopioiYhteystiedot")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_B));
    test::Control<QAction>(*w, "mKopioiYhteystiedot")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Aho Eeva\r\nTie 1\r\n00100 Helsinki"));
    EXPECT_TRUE(prompter.shown().empty());

    test::Control<QAction>(*w, "mRekisteritiedotLeikepoydalle")->trigger();
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Jäsenen tiedot koostettu leikepöydälle.")});
    const QString text = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(text.startsWith(QStringLiteral("Yhteystiedot:\r\n")));
    // The database is read, not the card: the typed address is not saved yet.
    EXPECT_TRUE(text.contains(QStringLiteral("\r\nOsoite: \r\n")));

    // A new card is not in the database.
    prompter.clear();
    test::Control<QPushButton>(*w, "cUusi")->click();
    test::Control<QAction>(*w, "mRekisteritiedotLeikepoydalle")->trigger();
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Jäsentä ei ole valittuna.")});
}

TEST_F(MemberCardPartsTest, EmailEntriesWaitForTheirWindows)
{
    {
        frmJasen* w = open();
        ASSERT_TRUE(w);
        for (QAction* a :
             {test::Control<QAction>(*w, "mRekisteritiedotEmailiin"), test::Control<QAction>(*w, "mEmailKaikille"),
              test::Control<QAction>(*w, "mEmailOminaisuudella"), test::Control<QAction>(*w, "mMoniliitos")})
            EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
        EXPECT_FALSE(test::Control<QPushButton>(*w, "cEmail")->isEnabled());
        delete w;
    }
    QString recipient;
    std::optional<QString> message;
    std::vector<bool> groups;
    WindowHooks::set(WindowHook::SingleEmail, [&](QWidget*, const WindowHookRequest& request) -> qint64 {
        recipient = request.recipient;
        message = request.message;
        return 0;
    });
    WindowHooks::set(WindowHook::GroupEmailAll, [&](QWidget*, const WindowHookRequest&) -> qint64 {
        groups.push_back(true);
        return 0;
    });
    WindowHooks::set(WindowHook::GroupEmailFeature, [&](QWidget*, const WindowHookRequest&) -> qint64 {
        groups.push_back(false);
        return 0;
    });
    frmJasen* w = open();
    ASSERT_TRUE(w);
    show(w, aho);
    test::Control<QLineEdit>(*w, "tYhteystiedot_8")->setText(QStringLiteral("eeva@example.org"));
    test::Control<QPushButton>(*w, "cEmail")->click();
    EXPECT_EQ(recipient, QStringLiteral("eeva@example.org"));
    EXPECT_FALSE(message);
    test::Control<QAction>(*w, "mRekisteritiedotEmailiin")->trigger();
    ASSERT_TRUE(message);
    EXPECT_TRUE(message->startsWith(QStringLiteral("Yhteystiedot:")));
    test::Control<QAction>(*w, "mEmailKaikille")->trigger();
    test::Control<QAction>(*w, "mEmailOminaisuudella")->trigger();
    EXPECT_EQ(groups, (std::vector<bool>{true, false}));
}

// The invoices are read while their tab is the current one: moves made on another tab, moves
// made while it is shown and coming back to it all end with the shown member's invoices.
TEST_F(MemberCardPartsTest, InvoicesFollowTheCardAcrossTabChanges)
{
    const auto invoice = [&](qint64 member, int number) {
        t.db.execute(QStringLiteral("INSERT INTO jmhist (jmhjmjrID, jmhjmID, jmhjmViitenumero, jmhjmLaskupaiva) "
                                    "VALUES (?, ?, '13', ?)"),
                     {member, number, QDate(2025, 1, number)});
    };
    invoice(aho, 1);
    invoice(berg, 2);
    invoice(berg, 3);
    frmJasen* w = open();
    ASSERT_TRUE(w);
    MemberInvoicesPanel* invoices = MemberCardParts::invoices(*w);
    ASSERT_TRUE(invoices);
    auto* tabs = test::Control<QTabWidget>(*w, "TabStrip1");
    auto* list = test::Control<QListWidget>(*invoices, "lstMaksut");
    ASSERT_TRUE(tabs && list);

    struct Step {
        int tab;        // -1: the tab stays
        qint64* member; // nullptr: the card stays
        int listed;     // invoices listed after the step; -1: a hidden list, -2: not checked
    };
    const Step steps[] = {{-1, &aho, -1},   {1, nullptr, 1}, {-1, &berg, 2},  {0, nullptr, -2}, {-1, &aho, -1},
                          {2, nullptr, -1}, {-1, &berg, -1}, {1, nullptr, 2}, {-1, &aho, 1}};
    for (const Step& s : steps) {
        if (s.tab >= 0)
            tabs->setCurrentIndex(s.tab);
        if (s.member)
            show(w, *s.member);
        if (s.listed == -2)
            continue;
        if (s.listed >= 0)
            EXPECT_EQ(list->count(), s.listed) << "tab " << tabs->currentIndex() << ", member " << w->currentMemberId();
        else
            EXPECT_EQ(list->count(), 0) << "a hidden list keeps no other member's invoices";
    }
}
