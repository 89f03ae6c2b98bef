#include "../CardTestDb.h"

#include "base/ScriptedPrompter.h"
#include "base/Currency.h"
#include "members/MemberFeatures.h"
#include "members/ui/MemberFeaturesPanel.h"

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
    qint64 rows() { return t.field(QStringLiteral("SELECT COUNT(*) FROM pt")).toInt64(); }
    void chooseDefinition(int row)
    {
        panel->cLisaaPiirre->click();
        panel->lstAllPi->setCurrentRow(row);
    }
    int beeps() const
    {
        int n = 0;
        for (const auto& s : prompter.shown())
            n += s.kind == ScriptedPrompter::Kind::Beep;
        return n;
    }

    test::CardTestDb t;
    ScriptedPrompter prompter;
    qint32 member = 0, number = 0, all = 0;
    std::unique_ptr<MemberFeaturesPanel> panel;
};

} // namespace

TEST_F(MemberFeaturesPanelTest, AddAfterTheButtonSkipsTheFirstEnter)
{
    EXPECT_EQ(panel->lstAllPi->count(), 2); // the nameless definition is not offered
    chooseDefinition(0);
    EXPECT_TRUE(panel->lstAllPt->isHidden());
    EXPECT_FALSE(panel->cPoistaPiirre->isEnabled());
    EXPECT_EQ(panel->lKuvaus->text(), QStringLiteral("Aseen numero"));

    QTest::keyClick(panel->lstAllPi, Qt::Key_Return);
    EXPECT_EQ(rows(), 0);
    QTest::keyClick(panel->lstAllPi, Qt::Key_Return);
    EXPECT_EQ(rows(), 1);
    EXPECT_FALSE(panel->lstAllPt->isHidden());
    EXPECT_TRUE(panel->cPoistaPiirre->isEnabled());
    ASSERT_EQ(panel->lstAllPt->count(), 1);
    EXPECT_EQ(panel->lstAllPt->currentRow(), 0);
    // The new feature is shown with its default; only the number kind is offered.
    EXPECT_EQ(panel->tLong->text(), QStringLiteral("5"));
    EXPECT_FALSE(panel->lblLong->isHidden());
    EXPECT_TRUE(panel->lblDate->isHidden());
    EXPECT_FALSE(panel->tDate->isEnabled());

    // The same definition again (a double click attaches at once).
    chooseDefinition(0);
    emit panel->lstAllPi->itemDoubleClicked(panel->lstAllPi->currentItem());
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(panel->lstAllPt->count(), 2);
}

TEST_F(MemberFeaturesPanelTest, ShownValuesArePendingAndTypedOnesAreWrittenAtTheNextSavePoint)
{
    const qint32 a = t.addFeature(member, all);
    t.addFeature(member, number);
    panel->memberChanged(member);
    QSignalSpy edited(panel.get(), &MemberFeaturesPanel::valueEdited);

    panel->lstAllPt->setCurrentRow(0);
    EXPECT_FALSE(panel->valueChanged()); // every value is Null: nothing was set
    panel->tDate->setFocus();
    QTest::keyClicks(panel->tDate, QStringLiteral("05.03.2024"));
    panel->tLong->setFocus(); // leaving the date box reformats it
    EXPECT_EQ(panel->tDate->text(), QStringLiteral("5.3.2024"));
    QTest::keyClicks(panel->tLong, QStringLiteral("abc"));
    panel->tCurrency->setFocus(); // letters in the number box: emptied with a beep
    EXPECT_EQ(panel->tLong->text(), QString());
    EXPECT_EQ(beeps(), 1);
    QTest::keyClicks(panel->tCurrency, QStringLiteral("12,5"));
    panel->tMemo->setFocus();
    QTest::keyClicks(panel->tMemo, QStringLiteral("muisti"));
    EXPECT_TRUE(panel->isDirty());
    EXPECT_GT(edited.count(), 0);
    EXPECT_TRUE(MemberFeatures::values(t.db(), a)->date.isNull()); // not written yet

    panel->lstAllPt->setCurrentRow(1); // another feature is a save point
    auto v = MemberFeatures::values(t.db(), a);
    EXPECT_EQ(v->date.toDate(), QDate(2024, 3, 5));
    EXPECT_TRUE(v->number.isNull());
    EXPECT_EQ(v->amount.toCurrency(), Currency::fromRaw(125000));
    EXPECT_EQ(v->memo, Value(QStringLiteral("muisti")));
    // Showing a stored value is no change: nothing is pending, nothing is rewritten.
    panel->lstAllPt->setCurrentRow(0);
    EXPECT_FALSE(panel->isDirty());
}

TEST_F(MemberFeaturesPanelTest, OutOfRangeNumberIsRefusedWithoutStoppingTheWindow)
{
    const qint32 f = t.addFeature(member, number);
    panel->memberChanged(member);
    panel->lstAllPt->setCurrentRow(0);
    panel->tLong->setText(QStringLiteral("3000000000"));
    // Refused with a message the card shows; the typed text stays pending for correction.
    try {
        panel->saveValue();
        ADD_FAILURE() << "an out-of-range number was accepted";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(QString::fromUtf8(e.what()), QStringLiteral("Ominaisuuden arvo \"3000000000\" ei ole kokonaisluku."));
    }
    EXPECT_TRUE(MemberFeatures::values(t.db(), f)->number.isNull());
    EXPECT_EQ(panel->tLong->text(), QStringLiteral("3000000000"));
    EXPECT_TRUE(panel->isDirty());
    panel->tLong->setText(QStringLiteral("300"));
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
    panel->cPoistaPiirre->click();
    EXPECT_TRUE(prompter.shown().empty());

    panel->lstAllPt->setCurrentRow(0);
    prompter.answerNo();
    panel->cPoistaPiirre->click();
    ASSERT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Poistetaanko valittu ominaisuus?")});
    EXPECT_EQ(prompter.shown().back().icon, MsgIcon::Information);
    EXPECT_EQ(rows(), 3);
    EXPECT_EQ(panel->lstAllPt->currentRow(), 1);

    prompter.answerYes();
    panel->cPoistaPiirre->click();
    EXPECT_EQ(rows(), 2);
    EXPECT_FALSE(MemberFeatures::values(t.db(), second));
    ASSERT_EQ(panel->lstAllPt->count(), 2);
    EXPECT_EQ(panel->lstAllPt->currentRow(), 1); // the entry below took its place and is shown
    EXPECT_FALSE(panel->lblLong->isHidden());
}

TEST_F(MemberFeaturesPanelTest, BrowseReturnsToTheMembersListAndShowsTheFirst)
{
    t.db().execute(QStringLiteral("UPDATE pt SET ptValLong = 5 WHERE ptID = ?"), {t.addFeature(member, number)});
    panel->memberChanged(member);
    panel->cLisaaPiirre->click();
    panel->browse();
    EXPECT_FALSE(panel->lstAllPt->isHidden());
    EXPECT_TRUE(panel->lstAllPi->isHidden());
    EXPECT_TRUE(panel->cPoistaPiirre->isEnabled());
    EXPECT_EQ(panel->lstAllPt->currentRow(), 0);
    EXPECT_EQ(panel->tLong->text(), QStringLiteral("5"));
}

TEST_F(MemberFeaturesPanelTest, UndoShowsTheStoredValueAgain)
{
    t.addFeature(member, number);
    panel->memberChanged(member);
    panel->lstAllPt->setCurrentRow(0);
    panel->tLong->setText(QStringLiteral("77"));
    panel->undoValue();
    EXPECT_EQ(panel->tLong->text(), QString()); // the stored value is Null
}

TEST_F(MemberFeaturesPanelTest, UnsavedMemberGetsNoFeature)
{
    panel->memberChanged(0);
    EXPECT_EQ(panel->lstAllPt->count(), 0);
    chooseDefinition(0);
    QTest::keyClick(panel->lstAllPi, Qt::Key_A); // the skipped key
    QTest::keyClick(panel->lstAllPi, Qt::Key_Return);
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
    panel->lstAllPt->setCurrentRow(0);
    panel->resize(640, 260);
    QApplication::processEvents();
    panel->grab().save(QString::fromLocal8Bit(out) + QStringLiteral("/MemberFeaturesPanel.png"));
}

} // namespace tikkeli
