#include "../MemberSearchTestDb.h"

#include "base/ScriptedPrompter.h"
#include "members/ui/frmHaku.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace tikkeli {
namespace {

class frmHakuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        virta = t.addMember("12", "Virta", "Anna", "Oulu", "Rantatie 1", "08-123", "040-1", "anna@x.fi");
        maki = t.addMember("7", "Mäki", "Pekka", "Kemi", "Kuja 2", {}, "050-2", "pekka@x.fi");
        obrien = t.addMember("O'1", "O'Brien", "Sean", "Tornio", "Pub's Lane 3");
        const qint32 memo = t.addFeature(QStringLiteral("Muistio"));
        t.addMemo(virta, memo, "Hirvikoira mukana");
        t.addMemo(virta, memo, "Toinen hirvikoira");
        t.addMemo(maki, memo, "Ampuja");
        form = std::make_unique<frmHaku>(t.db());
    }
    // Chooses a list entry as a user would: by its text.
    static void choose(QComboBox* combo, const QString& text)
    {
        combo->setCurrentIndex(combo->findText(text));
    }
    static void type(QComboBox* combo, const QString& text)
    {
        combo->lineEdit()->selectAll();
        QTest::keyClicks(combo->lineEdit(), text);
    }

    test::MemberSearchTestDb t;
    ScriptedPrompter prompter;
    qint32 virta = 0, maki = 0, obrien = 0;
    std::unique_ptr<frmHaku> form;
};

TEST_F(frmHakuTest, LoadsListsAndStartsWithNothingChosen)
{
    EXPECT_EQ(form->HakuJasenID, 0);
    EXPECT_EQ(form->cmbJasenNro->count(), 3);
    EXPECT_EQ(form->cmbPuhelin->count(), 1);
    EXPECT_EQ(form->cmbMuistioAlut->count(), 3);
    EXPECT_EQ(form->cmbMuistioAlut->itemText(0), "Ampuja");
    EXPECT_TRUE(form->cmbEmail->currentText().isEmpty());
    EXPECT_EQ(form->windowTitle(), "Perushaku");
}

TEST_F(frmHakuTest, StartsInTheNumberBoxAndEnterSearchesTheBoxesFrame)
{
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    EXPECT_TRUE(focus == form->cmbJasenNro || focus == form->cmbJasenNro->lineEdit()) << focus->objectName().toStdString();
    QTest::keyClicks(focus, "7");
    QTest::keyClick(focus, Qt::Key_Return);
    EXPECT_EQ(form->HakuJasenID, maki);
    EXPECT_EQ(form->result(), QDialog::Accepted);

    // Enter in a contact box and in the memo box runs their own searches.
    frmHaku again(t.db());
    again.show();
    again.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&again));
    again.cmbEmail->setFocus();
    QTest::keyClicks(again.cmbEmail->lineEdit(), "anna@x.fi");
    QTest::keyClick(again.cmbEmail->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(again.HakuJasenID, virta);
    frmHaku memo(t.db());
    memo.show();
    memo.tMuistioHakuSana->setFocus();
    QTest::keyClicks(memo.tMuistioHakuSana, "ampu");
    QTest::keyClick(memo.tMuistioHakuSana, Qt::Key_Return);
    EXPECT_EQ(memo.HakuJasenID, maki);
    EXPECT_EQ(memo.result(), QDialog::Accepted);
}

TEST_F(frmHakuTest, MemberNumberChosenOrTyped)
{
    form->show();
    choose(form->cmbJasenNro, "7");
    form->cHae->click();
    EXPECT_EQ(form->HakuJasenID, maki);
    EXPECT_FALSE(form->isVisible());

    form->show();
    type(form->cmbJasenNro, "O'1");
    form->cHae->click();
    EXPECT_EQ(form->HakuJasenID, obrien);
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(frmHakuTest, UnknownNumberKeepsDialogOpenAndResult)
{
    form->show();
    choose(form->cmbJasenNro, "12");
    form->cHae->click();
    ASSERT_EQ(form->HakuJasenID, virta);
    form->show();
    type(form->cmbJasenNro, "' OR '1'='1");
    form->cHae->click();
    EXPECT_EQ(prompter.messageTexts(), QStringList{"Jäsennumerolla ei löydy jäsentä."});
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->HakuJasenID, virta);
}

TEST_F(frmHakuTest, OneContactCriterionAtATimeLastOneDecides)
{
    form->show();
    choose(form->cmbOsoite, "Rantatie 1");
    type(form->cmbEmail, "PEKKA@x.fi");
    EXPECT_TRUE(form->cmbOsoite->currentText().isEmpty());
    EXPECT_TRUE(form->cmbPuhelin->currentText().isEmpty());
    form->cYhteysHaku->click();
    EXPECT_EQ(form->HakuJasenID, maki);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(frmHakuTest, EditedEntryIsSearchedAsTyped)
{
    form->show();
    choose(form->cmbOsoite, "Kuja 2");
    QTest::keyClicks(form->cmbOsoite->lineEdit(), "x");   // "Kuja 2x"
    form->cYhteysHaku->click();
    EXPECT_EQ(prompter.messageTexts(), QStringList{"Ei löydy jäsentä."});
    EXPECT_TRUE(form->isVisible());
    type(form->cmbOsoite, "Pub's Lane 3");
    form->cYhteysHaku->click();
    EXPECT_EQ(form->HakuJasenID, obrien);
}

TEST_F(frmHakuTest, AllContactsEmptyJustHides)
{
    form->show();
    form->cYhteysHaku->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->HakuJasenID, 0);
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(frmHakuTest, MemoFullTextSearchReportsSeveralHits)
{
    form->show();
    form->tMuistioHakuSana->setText("hirvikoira");
    form->cMuistioHaku->click();
    EXPECT_EQ(prompter.messageTexts(),
              QStringList{"Löytyi useita mahdollisia (2). Siirrytään ensimmäiseen löydettyyn."});
    EXPECT_EQ(form->HakuJasenID, virta);
    EXPECT_FALSE(form->isVisible());

    prompter.clear();
    form->show();
    form->tMuistioHakuSana->setText("'); DELETE FROM pt; --");
    form->cMuistioHaku->click();
    EXPECT_EQ(prompter.messageTexts(), QStringList{"Muistiosta ei löydy annettua tietoa."});
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(t.db().scalar("SELECT COUNT(*) FROM pt").toInt64(), 3);
}

TEST_F(frmHakuTest, MemoBeginningChosenOrTyped)
{
    form->show();
    choose(form->cmbMuistioAlut, "Ampuja");
    form->cMuistioHaku->click();
    EXPECT_EQ(form->HakuJasenID, maki);

    form->show();
    type(form->cmbMuistioAlut, "toinen");
    form->cMuistioHaku->click();
    EXPECT_EQ(form->HakuJasenID, virta);
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(frmHakuTest, CancelAndCloseBoxResetTheResult)
{
    form->show();
    choose(form->cmbJasenNro, "7");
    form->cHae->click();
    ASSERT_EQ(form->HakuJasenID, maki);
    for (int i = 0; i < 3; ++i) {
        form->show();
        form->HakuJasenID = maki;
        form->cPeruHaku[size_t(i)]->click();
        EXPECT_EQ(form->HakuJasenID, 0);
        EXPECT_FALSE(form->isVisible());
    }
    form->show();
    form->HakuJasenID = maki;
    form->close();
    EXPECT_EQ(form->HakuJasenID, 0);
}

} // namespace
} // namespace tikkeli
