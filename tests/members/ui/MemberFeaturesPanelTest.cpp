#include "../CardTestDb.h"

#include "base/ScriptedPrompter.h"
#include "base/Currency.h"
#include "members/MemberFeatures.h"
#include "members/ui/MemberFeaturesPanel.h"
#include "support/Controls.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace tikkeli {

namespace {

class MemberFeaturesPanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        member = t.addMember(QStringLiteral("Virtanen"));
        number = t.addDefinition(QStringLiteral("Ase"), QStringLiteral("Aseen numero"));
        t.db().execute(QStringLiteral("UPDATE pi SET piEnbldLong = 1, piLong = 5 WHERE piID = ?"), {number});
        all = t.addDefinition(QStringLiteral("Kortti"));
        t.db().execute(QStringLiteral("UPDATE pi SET piEnbldDate = 1, piEnbldLong = 1, piEnbldCurrency = 1, "
                                      "piEnbldMemo = 1 WHERE piID = ?"),
                       {all});
        t.addDefinition(QString()); // no name: never offered
        panel = std::make_unique<MemberFeaturesPanel>([this] { return t.db(); });
        panel->show();
        panel->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(panel.get()));
        panel->loadDefinitions();
        panel->memberChanged(member);
    }
    // The panel's controls by their object names.
    QPushButton* cLisaaPiirre() const { return test::Control<QPushButton>(*panel, "cLisaaPiirre"); }
    QPushButton* cPoistaPiirre() const { return test::Control<QPushButton>(*panel, "cPoistaPiirre"); }
    QLabel* lKuvaus() const { return test::Control<QLabel>(*panel, "lKuvaus"); }
    QLabel* lblDate() const { return test::Control<QLabel>(*panel, "lblDate"); }
    QLabel* lblLong() const { return test::Control<QLabel>(*panel, "lblLong"); }
    QListWidget* lstAllPi() const { return test::Control<QListWidget>(*panel, "lstAllPi"); }
    QListWidget* lstAllPt() const { return test::Control<QListWidget>(*panel, "lstAllPt"); }
    QLineEdit* tCurrency() const { return test::Control<QLineEdit>(*panel, "tCurrency"); }
    QLineEdit* tDate() const { return test::Control<QLineEdit>(*panel, "tDate"); }
    QLineEdit* tLong() const { return test::Control<QLineEdit>(*panel, "tLong"); }
    QPlainTextEdit* tMemo() const { return test::Control<QPlainTextEdit>(*panel, "tMemo"); }
    qint64 rows() { return t.field(QStringLiteral("SELECT COUNT(*) FROM pt")).toInt64(); }
    void chooseDefinition(int row)
    {
        cLisaaPiirre()->click();
        lstAllPi()->setCurrentRow(row);
    }

    test::CardTestDb t;
    ScriptedPrompter prompter;
    qint32 member = 0, number = 0, all = 0;
    std::unique_ptr<MemberFeaturesPanel> panel;
};

} // namespace

TEST_F(MemberFeaturesPanelTest, TheFirstEnterAfterTheButtonAdds)
{
    EXPECT_EQ(lstAllPi()->count(), 2); // the nameless definition is not offered
    chooseDefinition(0);
    EXPECT_TRUE(lstAllPt()->isHidden());
    EXPECT_FALSE(cPoistaPiirre()->isEnabled());
    EXPECT_EQ(lKuvaus()->text(), QStringLiteral("Aseen numero"));

    // No key after "Lisää" is lost: the first Enter attaches.
    QTest::keyClick(lstAllPi(), Qt::Key_Return);
    EXPECT_EQ(rows(), 1);
    EXPECT_FALSE(lstAllPt()->isHidden());
    EXPECT_TRUE(cPoistaPiirre()->isEnabled());
    ASSERT_EQ(lstAllPt()->count(), 1);
    EXPECT_EQ(lstAllPt()->currentRow(), 0);
    // The new feature is shown with its default; only the number kind is offered.
    EXPECT_EQ(tLong()->text(), QStringLiteral("5"));
    EXPECT_FALSE(lblLong()->isHidden());
    EXPECT_TRUE(lblDate()->isHidden());
    EXPECT_FALSE(tDate()->isEnabled());

    // The same definition again (a double click attaches at once).
    chooseDefinition(0);
    emit lstAllPi()->itemDoubleClicked(lstAllPi()->currentItem());
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(lstAllPt()->count(), 2);
}

TEST_F(MemberFeaturesPanelTest, ShownValuesArePendingAndTypedOnesAreWrittenAtTheNextSavePoint)
{
    const qint32 a = t.addFeature(member, all);
    t.addFeature(member, number);
    panel->memberChanged(member);
    QSignalSpy edited(panel.get(), &MemberFeaturesPanel::valueEdited);

    lstAllPt()->setCurrentRow(0);
    EXPECT_FALSE(panel->valueChanged()); // every value is Null: nothing was set
    tDate()->setFocus();
    QTest::keyClicks(tDate(), QStringLiteral("05.03.2024"));
    tLong()->setFocus(); // leaving the date box reformats it
    EXPECT_EQ(tDate()->text(), QStringLiteral("5.3.2024"));
    QTest::keyClicks(tLong(), QStringLiteral("abc"));
    tCurrency()->setFocus();
    // Letters in the number box: the user is told, and the typed text stays for correcting.
    ASSERT_EQ(prompter.messageTexts().size(), 1);
    EXPECT_TRUE(prompter.messageTexts()[0].startsWith(QStringLiteral("Luku ei kelpaa: \"abc\"")));
    EXPECT_EQ(tLong()->text(), QStringLiteral("abc"));
    tLong()->clear();
    QTest::keyClicks(tCurrency(), QStringLiteral("12,5"));
    tMemo()->setFocus();
    QTest::keyClicks(tMemo(), QStringLiteral("muisti"));
    EXPECT_TRUE(panel->isDirty());
    EXPECT_GT(edited.count(), 0);
    EXPECT_TRUE(MemberFeatures::values(t.db(), a)->date.isNull()); // not written yet

    lstAllPt()->setCurrentRow(1); // another feature is a save point
    auto v = MemberFeatures::values(t.db(), a);
    EXPECT_EQ(v->date.toDate(), QDate(2024, 3, 5));
    EXPECT_TRUE(v->number.isNull());
    EXPECT_EQ(v->amount.toCurrency(), Currency::fromRaw(125000));
    EXPECT_EQ(v->memo, Value(QStringLiteral("muisti")));
    // Showing a stored value is no change: nothing is pending, nothing is rewritten.
    lstAllPt()->setCurrentRow(0);
    EXPECT_FALSE(panel->isDirty());
}

TEST_F(MemberFeaturesPanelTest, OutOfRangeNumberIsRefusedWithoutStoppingTheWindow)
{
    const qint32 f = t.addFeature(member, number);
    panel->memberChanged(member);
    lstAllPt()->setCurrentRow(0);
    tLong()->setText(QStringLiteral("3000000000"));
    // Refused with a message the card shows; the typed text stays pending for correction.
    try {
        panel->saveValue();
        ADD_FAILURE() << "an out-of-range number was accepted";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(QString::fromUtf8(e.what()), QStringLiteral("Ominaisuuden arvo \"3000000000\" ei ole kokonaisluku."));
    }
    EXPECT_TRUE(MemberFeatures::values(t.db(), f)->number.isNull());
    EXPECT_EQ(tLong()->text(), QStringLiteral("3000000000"));
    EXPECT_TRUE(panel->isDirty());
    tLong()->setText(QStringLiteral("300"));
    panel->saveValue();
    EXPECT_EQ(MemberFeatures::values(t.db(), f)->number, Value(300));
    EXPECT_FALSE(panel->isDirty());
}

TEST_F(MemberFeaturesPanelTest, DeleteAsksAndMovesTheSelectionDown)
{
    t.addFeature(member, number);
    const qint32 second = t.addFeature(member, all);
    t.addFeature(member, number);
    panel->memberChanged(member);

    // With nothing selected nothing is asked.
    cPoistaPiirre()->click();
    EXPECT_TRUE(prompter.shown().empty());

    lstAllPt()->setCurrentRow(0);
    prompter.answerNo();
    cPoistaPiirre()->click();
    ASSERT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Poistetaanko valittu ominaisuus?")});
    EXPECT_EQ(prompter.shown().back().icon, MsgIcon::Information);
    EXPECT_EQ(rows(), 3);
    EXPECT_EQ(lstAllPt()->currentRow(), 1);

    prompter.answerYes();
    cPoistaPiirre()->click();
    EXPECT_EQ(rows(), 2);
    EXPECT_FALSE(MemberFeatures::values(t.db(), second));
    ASSERT_EQ(lstAllPt()->count(), 2);
    EXPECT_EQ(lstAllPt()->currentRow(), 1); // the entry below took its place and is shown
    EXPECT_FALSE(lblLong()->isHidden());
}

TEST_F(MemberFeaturesPanelTest, BrowseReturnsToTheMembersListAndShowsTheFirst)
{
    t.db().execute(QStringLiteral("UPDATE pt SET ptValLong = 5 WHERE ptID = ?"), {t.addFeature(member, number)});
    panel->memberChanged(member);
    cLisaaPiirre()->click();
    panel->browse();
    EXPECT_FALSE(lstAllPt()->isHidden());
    EXPECT_TRUE(lstAllPi()->isHidden());
    EXPECT_TRUE(cPoistaPiirre()->isEnabled());
    EXPECT_EQ(lstAllPt()->currentRow(), 0);
    EXPECT_EQ(tLong()->text(), QStringLiteral("5"));
}

TEST_F(MemberFeaturesPanelTest, UndoShowsTheStoredValueAgain)
{
    t.addFeature(member, number);
    panel->memberChanged(member);
    lstAllPt()->setCurrentRow(0);
    tLong()->setText(QStringLiteral("77"));
    panel->undoValue();
    EXPECT_EQ(tLong()->text(), QString()); // the stored value is Null
}

TEST_F(MemberFeaturesPanelTest, UnsavedMemberGetsNoFeature)
{
    panel->memberChanged(0);
    EXPECT_EQ(lstAllPt()->count(), 0);
    chooseDefinition(0);
    QTest::keyClick(lstAllPi(), Qt::Key_A); // the skipped key
    QTest::keyClick(lstAllPi(), Qt::Key_Return);
    EXPECT_EQ(rows(), 0);
    EXPECT_TRUE(prompter.anyMessageContains(QStringLiteral("Tallenna jäsen")));
}

TEST_F(MemberFeaturesPanelTest, ScreenshotWhenAsked)
{
    const QByteArray out = qgetenv("TIKKELI_SCREENSHOT_DIR");
    if (out.isEmpty())
        GTEST_SKIP();
    t.addFeature(member, all);
    panel->memberChanged(member);
    lstAllPt()->setCurrentRow(0);
    panel->resize(640, 260);
    QApplication::processEvents();
    panel->grab().save(QString::fromLocal8Bit(out) + QStringLiteral("/MemberFeaturesPanel.png"));
}

} // namespace tikkeli
