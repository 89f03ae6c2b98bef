#include "maps/ui/frmPiirrettavatTilat.h"
#include "maps/ui/frmTilaInfo.h"
#include "maps/ui/frmValitseTila.h"
#include "base/ScriptedPrompter.h"
#include "contracts/ContractTestDb.h"
#include "support/Controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace tikkeli;
using test::ContractTestDb;
using test::Control;

namespace {

void click(QWidget& w, const char* name)
{
    auto* b = Control<QAbstractButton>(w, name);
    // Option buttons take clicks on their indicator and caption only.
    const bool option = qobject_cast<QRadioButton*>(b) || qobject_cast<QCheckBox*>(b);
    QTest::mouseClick(b, Qt::LeftButton, {}, option ? QPoint(6, b->height() / 2) : b->rect().center());
}

// The window's own close box, as the window manager asks for it.
void closeBox(QWidget& w)
{
    w.show();
    w.close();
}

class MapDialogs : public ::testing::Test {
protected:
    ContractTestDb t{ContractTestDb::Source::Sample};
    ScriptedPrompter prompter;
};

} // namespace

TEST_F(MapDialogs, PickerFiltersAndItsWaysOfChoosing)
{
    const qint64 drawn = t.count(QStringLiteral("SELECT COUNT(DISTINCT rjtlID) FROM rj"));
    const qint64 listed = t.count(QStringLiteral("SELECT COUNT(*) FROM tl, vs WHERE tlvsID = vsID AND tlRekNo IS NOT NULL"));
    struct Case {
        EstatePicker::Filter filter;
        qint64 count;
    };
    for (const Case& c : {Case{EstatePicker::Filter::All, listed}, Case{EstatePicker::Filter::Undrawn, listed - drawn},
                          Case{EstatePicker::Filter::Drawn, drawn}}) {
        frmValitseTila d(t.db);
        d.setVainPiirtamattomat(c.filter == EstatePicker::Filter::Undrawn);
        d.setVainPiirretyt(c.filter == EstatePicker::Filter::Drawn);
        ASSERT_TRUE(d.load());
        EXPECT_EQ(Control<QComboBox>(d, "cmbRekNo")->count(), c.count) << int(c.filter);
    }

    frmValitseTila d(t.db);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Tikkeli - Valitse tila"));
    d.setVainPiirretyt(true);
    ASSERT_TRUE(d.load());
    auto* combo = Control<QComboBox>(d, "cmbRekNo");
    const QString first = combo->itemText(0);
    const qint64 firstId = combo->itemData(0).toLongLong();

    // Typed in another letter case, "OK" without choosing from the list.
    d.show();
    combo->setFocus();
    QTest::keyClicks(combo, first.toUpper());
    click(d, "cOK");
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.SelectedEstateId(), firstId);

    struct Leave {
        const char* how;
        std::function<void(frmValitseTila&)> leave;
        bool choose;
    };
    const Leave leaves[] = {
        {"Peruuta", [](frmValitseTila& w) { click(w, "cPeru"); }, true},
        {"close box", [](frmValitseTila& w) { closeBox(w); }, true},
        {"Esc", [](frmValitseTila& w) { QTest::keyClick(&w, Qt::Key_Escape); }, true},
        {"OK with a text that matches nothing",
         [](frmValitseTila& w) {
             Control<QComboBox>(w, "cmbRekNo")->setEditText(QStringLiteral("ei tällaista"));
             click(w, "cOK");
         },
         false},
    };
    for (const Leave& l : leaves) {
        SCOPED_TRACE(l.how);
        frmValitseTila w(t.db);
        ASSERT_TRUE(w.load());
        w.show();
        if (l.choose)
            Control<QComboBox>(w, "cmbRekNo")->setCurrentIndex(1);
        l.leave(w);
        EXPECT_EQ(w.SelectedEstateId(), 0);
    }

    // By keyboard alone: arrow down to the second entry, Enter.
    frmValitseTila k(t.db);
    ASSERT_TRUE(k.load());
    k.show();
    auto* kc = Control<QComboBox>(k, "cmbRekNo");
    kc->setFocus();
    QTest::keyClick(kc, Qt::Key_Down);
    QTest::keyClick(kc, Qt::Key_Down);
    const qint64 expected = kc->currentData().toLongLong();
    ASSERT_NE(expected, 0);
    QTest::keyClick(kc, Qt::Key_Return);
    EXPECT_EQ(k.result(), QDialog::Accepted);
    EXPECT_EQ(k.SelectedEstateId(), expected);
}

TEST_F(MapDialogs, DialogsRefuseToOpenWithoutADatabase)
{
    frmValitseTila picker{Database()};
    EXPECT_FALSE(picker.load());
    frmPiirrettavatTilat criteria{Database()};
    EXPECT_FALSE(criteria.load());
    EXPECT_EQ(frmValitseTila::pick(Database(), EstatePicker::Filter::All), 0);
    EXPECT_FALSE(frmPiirrettavatTilat::ask(Database()));
    EXPECT_EQ(prompter.messageTexts(), QStringList(4, QStringLiteral("Tarkista tietokanta asetukset asetusikkunasta!")));
}

TEST_F(MapDialogs, InformationWindowShowsTheEstateAndClearsWhatANewOneLacks)
{
    const qint64 vs = t.contract(QStringLiteral("Aho Ari"));
    t.db.execute(QStringLiteral("UPDATE vs SET vsVoimassa = 1, vsKoskee = 3, vsEiKoskeSeuraavia = 'karhu' WHERE vsID = ?"),
                 {Value(vs)});
    const qint64 tl = t.estate(vs, QStringLiteral("Korpela"), QStringLiteral("12:3"));
    const qint64 orphan = t.estate(vs + 100, QStringLiteral("Orpo"), QStringLiteral("1:1"));

    frmTilaInfo w(t.db);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Tikkeli - Tilatiedot"));
    w.LoadInfo(tl);
    EXPECT_EQ(Control<QLabel>(w, "lblOmistaja")->text(), QStringLiteral("Aho Ari"));
    EXPECT_EQ(Control<QLabel>(w, "lblTilaPalsta")->text(), QStringLiteral("Korpela"));
    EXPECT_EQ(Control<QLabel>(w, "lblVoimassaolo")->text(), QStringLiteral("Toistaiseksi"));
    EXPECT_EQ(Control<QLabel>(w, "lblPintaAla")->text(), QStringLiteral("0,00"));
    EXPECT_EQ(Control<QPlainTextEdit>(w, "tKoskee")->toPlainText(), QStringLiteral("Ei koske: karhu"));

    for (const qint64 id : {qint64(0), orphan}) {
        w.LoadInfo(tl);
        w.LoadInfo(id);
        EXPECT_TRUE(Control<QLabel>(w, "lblOmistaja")->text().isEmpty()) << id;
        EXPECT_TRUE(Control<QLabel>(w, "lblVoimassaolo")->text().isEmpty()) << id;
        EXPECT_TRUE(Control<QPlainTextEdit>(w, "tKoskee")->toPlainText().isEmpty()) << id;
    }
    w.show();
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_FALSE(w.isVisible());
    w.show();
    click(w, "mSulje");
    EXPECT_FALSE(w.isVisible());
}

TEST_F(MapDialogs, EstatesToDrawAnswersAndItsCloseBoxIsACancel)
{
    {
        SCOPED_TRACE("Enter at once");
        frmPiirrettavatTilat d(t.db);
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Tikkeli - Piirrettävät tilat"));
        ASSERT_TRUE(d.load());
        d.show();
        QTest::keyClick(&d, Qt::Key_Return);
        ASSERT_TRUE(d.Answer());
        EXPECT_FALSE(d.KaikkiTilat());
        EXPECT_EQ(d.RajausSQL().sql, QStringLiteral("SELECT * FROM vs WHERE vs.vsKoskee = 1"));
    }
    {
        SCOPED_TRACE("option 3 clears and locks both boxes");
        frmPiirrettavatTilat d(t.db);
        ASSERT_TRUE(d.load());
        d.show();
        click(d, "chkKaikkiaElaimia");
        click(d, "optKoskee_3");
        EXPECT_FALSE(Control<QCheckBox>(d, "chkKaikkiaElaimia")->isChecked());
        EXPECT_FALSE(Control<QCheckBox>(d, "chkKaikkiaElaimia")->isEnabled());
        EXPECT_TRUE(Control<QListWidget>(d, "lstElaimet")->isEnabled());
        click(d, "cSeuraava");
        EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Valitse myös eläimiä!")});
        EXPECT_TRUE(d.isVisible()) << "stays open for the animals";
        Control<QListWidget>(d, "lstElaimet")
            ->findItems(QStringLiteral("Majava"), Qt::MatchExactly)
            .value(0)
            ->setCheckState(Qt::Checked);
        click(d, "cSeuraava");
        ASSERT_TRUE(d.Answer());
        EXPECT_EQ(d.RajausSQL().sql, QStringLiteral("SELECT vs.* FROM vs LEFT JOIN et ON vs.vsID = et.etvsID WHERE "
                                                    "(vs.vsKoskee = 3 and (et.etelID = ?))"));
        EXPECT_EQ(d.RajausSQL().params, Params{Value(19)});
        prompter.clear();
    }
    {
        SCOPED_TRACE("every estate with an animal option and no animal");
        frmPiirrettavatTilat d(t.db);
        ASSERT_TRUE(d.load());
        d.show();
        click(d, "optKoskee_2");
        click(d, "chkKaikkiTilat");
        EXPECT_FALSE(Control<QListWidget>(d, "lstElaimet")->isEnabled());
        click(d, "cSeuraava");
        EXPECT_TRUE(prompter.messageTexts().isEmpty());
        ASSERT_TRUE(d.Answer());
        EXPECT_TRUE(d.KaikkiTilat());
    }
    {
        SCOPED_TRACE("the close box after the animal question");
        frmPiirrettavatTilat d(t.db);
        ASSERT_TRUE(d.load());
        d.show();
        click(d, "optKoskee_2");
        click(d, "cSeuraava");
        closeBox(d);
        EXPECT_EQ(d.result(), QDialog::Rejected);
        EXPECT_FALSE(d.Answer());
        EXPECT_FALSE(d.KaikkiTilat());
        EXPECT_TRUE(d.RajausSQL().isEmpty());
    }
}

TEST_F(MapDialogs, AnimalsWithoutANameLeaveWithTheirLinks)
{
    t.db.execute(QStringLiteral("INSERT INTO el (elNimi) VALUES (NULL)"));
    const qint64 nameless = t.db.lastInsertId();
    t.link(1, nameless);
    t.link(2, nameless);
    frmPiirrettavatTilat d(t.db);
    ASSERT_TRUE(d.load());
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM el WHERE elID = ?"), {Value(nameless)}), 0);
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM et WHERE etelID = ?"), {Value(nameless)}), 0);
    EXPECT_EQ(Control<QListWidget>(d, "lstElaimet")->count(), 21);
}

TEST_F(MapDialogs, APickerThatCannotReadTheEstatesSaysWhyAndOffersNothing)
{
    frmValitseTila d(t.db);
    ASSERT_TRUE(d.load());
    t.db.execute(QStringLiteral("ALTER TABLE rj RENAME TO rj_poissa"));
    d.setVainPiirretyt(true);
    EXPECT_EQ(Control<QComboBox>(d, "cmbRekNo")->count(), 0);
    ASSERT_EQ(prompter.messageTexts().size(), 1);
    // The same words as every window that cannot read the club database, the reason on the next line.
    EXPECT_TRUE(prompter.messageTexts()[0].startsWith(QStringLiteral("Tarkista tietokanta asetukset asetusikkunasta!\r\n")));
    frmValitseTila again(t.db);
    EXPECT_FALSE(again.load());
}
