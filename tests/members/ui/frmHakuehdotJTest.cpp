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

// The dialog's controls, found by their object names.
struct Controls {
    QListWidget* lstOminaisuudet = nullptr;
    QPushButton* cSeuraava = nullptr;
    QGroupBox* frameTarkennukset = nullptr;
    QLineEdit* tLong = nullptr;
    QLineEdit* tDate = nullptr;
    QLineEdit* tCurrency = nullptr;
    QRadioButton* optTAI = nullptr;
    QCheckBox* chkPiirre = nullptr;
    QRadioButton* optOmistajalaji_1 = nullptr;
    QRadioButton* optLiit_2 = nullptr;
    QLineEdit* tPostiNumeroAlku = nullptr;
    bool complete() const
    {
        return lstOminaisuudet && cSeuraava && frameTarkennukset && tLong && tDate && tCurrency && optTAI && chkPiirre
               && optOmistajalaji_1 && optLiit_2 && tPostiNumeroAlku;
    }
};

Controls controls(QWidget& w)
{
    Controls c;
    c.lstOminaisuudet = w.findChild<QListWidget*>(QStringLiteral("lstOminaisuudet"));
    c.cSeuraava = w.findChild<QPushButton*>(QStringLiteral("cSeuraava"));
    c.frameTarkennukset = w.findChild<QGroupBox*>(QStringLiteral("frameTarkennukset"));
    c.tLong = w.findChild<QLineEdit*>(QStringLiteral("tLong"));
    c.tDate = w.findChild<QLineEdit*>(QStringLiteral("tDate"));
    c.tCurrency = w.findChild<QLineEdit*>(QStringLiteral("tCurrency"));
    c.optTAI = w.findChild<QRadioButton*>(QStringLiteral("optTAI"));
    c.chkPiirre = w.findChild<QCheckBox*>(QStringLiteral("chkPiirre"));
    c.optOmistajalaji_1 = w.findChild<QRadioButton*>(QStringLiteral("optOmistajalaji_1"));
    c.optLiit_2 = w.findChild<QRadioButton*>(QStringLiteral("optLiit_2"));
    c.tPostiNumeroAlku = w.findChild<QLineEdit*>(QStringLiteral("tPostiNumeroAlku"));
    return c;
}

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
    static void typeAndLeave(const Controls& c, QLineEdit* box, const QString& text)
    {
        box->setFocus();
        box->setText(text);
        c.tPostiNumeroAlku->setFocus();
    }
    test::MemberSearchTestDb t;
    ScriptedPrompter prompter;
    std::vector<qint32> ids;
};

TEST_F(frmHakuehdotJTest, DefaultsWrittenByNext)
{
    frmHakuehdotJ form;
    const Controls c = controls(form);
    ASSERT_TRUE(c.complete());
    ASSERT_TRUE(form.isLoaded());
    EXPECT_EQ(c.lstOminaisuudet->count(), 12); // the nameless one is left out
    EXPECT_EQ(c.lstOminaisuudet->currentRow(), 0);
    Criteria().OmistajaValinta = 0;
    Criteria().setHepiID(3, 77);
    form.show();
    c.cSeuraava->click();
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
    const Controls c = controls(form);
    ASSERT_TRUE(c.complete());
    form.show();
    c.lstOminaisuudet->item(0)->setSelected(true);
    EXPECT_TRUE(c.frameTarkennukset->isEnabled());
    c.tLong->setText("5");
    for (int i = 1; i < 12; ++i)
        c.lstOminaisuudet->item(i)->setSelected(true);
    EXPECT_FALSE(c.frameTarkennukset->isEnabled());
    c.optTAI->setChecked(true);
    c.chkPiirre->setChecked(true);
    c.optOmistajalaji_1->setChecked(true);
    c.optLiit_2->setChecked(true);
    c.tPostiNumeroAlku->setText("90100");
    c.cSeuraava->click();
    const MemberCriteria& b = Criteria();
    EXPECT_EQ(b.hepiCount(), 10);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(b.hepiID(i), ids[size_t(i)]);
    EXPECT_EQ(b.hepiID(10), 0);
    EXPECT_EQ(b.LukuArvo, 5);
    EXPECT_FALSE(b.OminaisuudetJa);
    EXPECT_TRUE(b.OminaisuusRajaus);
    EXPECT_EQ(b.OmistajaValinta, 1);
    EXPECT_EQ(b.LiittymisAikaVertailu, 2);
    EXPECT_EQ(b.PostinumeroAlku, "90100");
}

TEST_F(frmHakuehdotJTest, RefinementBoxesAreCheckedOnLeaving)
{
    frmHakuehdotJ form;
    const Controls c = controls(form);
    ASSERT_TRUE(c.complete());
    form.show();
    form.activateWindow();
    QApplication::setActiveWindow(&form);
    typeAndLeave(c, c.tLong, "12,6");
    EXPECT_EQ(c.tLong->text(), "13");
    typeAndLeave(c, c.tDate, "19*");
    EXPECT_EQ(c.tDate->text(), "19*");
    EXPECT_EQ(beeps(), 0);
    typeAndLeave(c, c.tDate, "30.2.2024");
    EXPECT_TRUE(c.tDate->text().isEmpty());
    typeAndLeave(c, c.tCurrency, "kymppi");
    EXPECT_TRUE(c.tCurrency->text().isEmpty());
    EXPECT_EQ(beeps(), 2);
    EXPECT_TRUE(prompter.messageTexts().isEmpty());
    // A box still being edited is checked before the block is written.
    c.tLong->setFocus();
    c.tLong->setText("2,5");
    c.cSeuraava->click();
    EXPECT_EQ(Criteria().LukuArvo, 2);
}

TEST_F(frmHakuehdotJTest, CloseBoxWritesNothing)
{
    Criteria().OmistajaValinta = 0;
    Criteria().setHepiID(0, 9);
    frmHakuehdotJ form;
    const Controls c = controls(form);
    ASSERT_TRUE(c.complete());
    form.show();
    c.lstOminaisuudet->item(0)->setSelected(true);
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
