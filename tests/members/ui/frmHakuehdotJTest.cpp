#include "../MemberSearchTestDb.h"

#include "base/ScriptedPrompter.h"
#include "members/MemberCriteria.h"
#include "members/ui/frmHakuehdotJ.h"
#include "base/SharedState.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

namespace tikkeli {
namespace {

class frmHakuehdotJTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Criteria() = MemberCriteria{};
        for (int i = 0; i < 12; ++i)
            ids.push_back(t.addFeature(QStringLiteral("Piirre %1").arg(i, 2, 10, QLatin1Char('0'))));
        t.addFeature(Value());
    }
    void TearDown() override { Criteria() = MemberCriteria{}; }
    int beeps() const
    {
        return int(std::count_if(prompter.shown().begin(), prompter.shown().end(),
                                 [](const ScriptedPrompter::Shown& s) { return s.kind == ScriptedPrompter::Kind::Beep; }));
    }
    // Types into a box and leaves it for the next one, as the user would.
    void typeAndLeave(frmHakuehdotJ& form, QLineEdit* box, const QString& text)
    {
        box->setFocus();
        box->setText(text);
        form.tPostiNumeroAlku->setFocus();
    }
    test::MemberSearchTestDb t;
    ScriptedPrompter prompter;
    std::vector<qint32> ids;
};

TEST_F(frmHakuehdotJTest, DefaultsWrittenByNext)
{
    frmHakuehdotJ form;
    ASSERT_TRUE(form.isLoaded());
    EXPECT_EQ(form.lstOminaisuudet->count(), 12);   // the nameless one is left out
    EXPECT_EQ(form.lstOminaisuudet->currentRow(), 0);
    Criteria().OmistajaValinta = 0;
    Criteria().setHepiID(3, 77);
    form.show();
    form.cSeuraava->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    const MemberCriteria& b = Criteria();
    EXPECT_EQ(b.OmistajaValinta, 2);
    EXPECT_EQ(b.JasenmaksuValinta, 2);
    EXPECT_EQ(b.hepiCount(), 0);
    EXPECT_TRUE(b.OminaisuudetJa);
    EXPECT_FALSE(b.OminaisuusRajaus);
    EXPECT_EQ(b.SyntymaAikaVertailu, 1);
    EXPECT_EQ(b.PvmVertailu, 1);
    EXPECT_EQ(t.db().scalar("SELECT COUNT(*) FROM pi").toInt64(), 13);
}

TEST_F(frmHakuehdotJTest, TwelveFeaturesGiveTenAndTwoDisableRefinementsButTheyAreStillWritten)
{
    frmHakuehdotJ form;
    form.show();
    form.lstOminaisuudet->item(0)->setSelected(true);
    EXPECT_TRUE(form.frameTarkennukset->isEnabled());
    form.tLong->setText("5");
    for (int i = 1; i < 12; ++i)
        form.lstOminaisuudet->item(i)->setSelected(true);
    EXPECT_FALSE(form.frameTarkennukset->isEnabled());
    form.optTAI->setChecked(true);
    form.chkPiirre->setChecked(true);
    form.optOmistajalaji[1]->setChecked(true);
    form.optLiit[2]->setChecked(true);
    form.tPostiNumeroAlku->setText("90100");
    form.cSeuraava->click();
    const MemberCriteria& b = Criteria();
    EXPECT_EQ(b.hepiCount(), 10);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(b.hepiID(i), ids[size_t(i)]);
    EXPECT_EQ(b.hepiID(10), 0);
    EXPECT_EQ(b.LukuArvo, "5");
    EXPECT_FALSE(b.OminaisuudetJa);
    EXPECT_TRUE(b.OminaisuusRajaus);
    EXPECT_EQ(b.OmistajaValinta, 1);
    EXPECT_EQ(b.LiittymisAikaVertailu, 2);
    EXPECT_EQ(b.PostinumeroAlku, "90100");
}

TEST_F(frmHakuehdotJTest, RefinementBoxesAreCheckedOnLeaving)
{
    frmHakuehdotJ form;
    form.show();
    form.activateWindow();
    QApplication::setActiveWindow(&form);
    typeAndLeave(form, form.tLong, "12,6");
    EXPECT_EQ(form.tLong->text(), "13");
    typeAndLeave(form, form.tDate, "1.1.*");
    EXPECT_EQ(form.tDate->text(), "1.1.*");
    EXPECT_EQ(beeps(), 0);
    typeAndLeave(form, form.tDate, "30.2.2024");
    EXPECT_TRUE(form.tDate->text().isEmpty());
    typeAndLeave(form, form.tCurrency, "kymppi");
    EXPECT_TRUE(form.tCurrency->text().isEmpty());
    EXPECT_EQ(beeps(), 2);
    EXPECT_TRUE(prompter.messageTexts().isEmpty());
    // A box still being edited is checked before the block is written.
    form.tLong->setFocus();
    form.tLong->setText("2,5");
    form.cSeuraava->click();
    EXPECT_EQ(Criteria().LukuArvo, "2");
}

TEST_F(frmHakuehdotJTest, CloseBoxWritesNothing)
{
    Criteria().OmistajaValinta = 0;
    Criteria().setHepiID(0, 9);
    frmHakuehdotJ form;
    form.show();
    form.lstOminaisuudet->item(0)->setSelected(true);
    form.close();
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_EQ(Criteria().OmistajaValinta, 0);
    EXPECT_EQ(Criteria().hepiID(0), 9);
}

TEST_F(frmHakuehdotJTest, MissingDatabaseSettingStopsTheLoad)
{
    State().DatabasePath = QStringLiteral("unknown");
    EXPECT_FALSE(frmHakuehdotJ::showModal(nullptr));
    EXPECT_EQ(prompter.messageTexts(), QStringList{"Tarkista tietokanta asetukset asetusikkunasta!"});
}

} // namespace
} // namespace tikkeli
