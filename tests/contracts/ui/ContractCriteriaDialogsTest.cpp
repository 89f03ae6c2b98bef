#include "base/Clock.h"
#include "base/ScriptedPrompter.h"
#include "contracts/ContractCriteria.h"
#include "contracts/ui/frmElainehdot.h"
#include "contracts/ui/frmHakuehdot.h"
#include "contracts/ui/frmHakuehdotVoimassaolo.h"
#include "../ContractTestDb.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace tikkeli;
using test::ContractTestDb;

namespace {

class CriteriaDialogTest : public ::testing::Test {
protected:
    void SetUp() override { ContractReportCriteria() = ContractCriteria{}; }
    void TearDown() override { ContractReportCriteria() = ContractCriteria{}; }

    template <class T>
    static T* child(QWidget* w, const char* name)
    {
        return w->findChild<T*>(QLatin1String(name));
    }
    static void click(QWidget* w, const char* name)
    {
        auto* b = child<QAbstractButton>(w, name);
        ASSERT_NE(b, nullptr) << name;
        // Option buttons take clicks on their indicator and caption only.
        const bool option = qobject_cast<QRadioButton*>(b) || qobject_cast<QCheckBox*>(b);
        QTest::mouseClick(b, Qt::LeftButton, {}, option ? QPoint(6, b->height() / 2) : b->rect().center());
    }
    // Types into a box and leaves it for another, as the user would.
    static void typeAndLeave(QWidget* w, const char* box, const QString& text, const char* next)
    {
        auto* e = child<QLineEdit>(w, box);
        auto* n = child<QWidget>(w, next);
        ASSERT_NE(e, nullptr);
        ASSERT_NE(n, nullptr);
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, text);
        n->setFocus();
    }
    int beeps() const
    {
        int n = 0;
        for (const auto& s : prompter.shown())
            n += s.kind == ScriptedPrompter::Kind::Beep;
        return n;
    }

    ContractTestDb t{ContractTestDb::Source::Sample};
    ScriptedPrompter prompter;
    FixedClock clock{QDateTime(QDate(2026, 3, 5), QTime(10, 0))};
};

} // namespace

TEST_F(CriteriaDialogTest, ValidityDialogAcceptsAllContractsAtOnce)
{
    t.db.execute(QStringLiteral("INSERT INTO pi (piNimi, piType) VALUES ('   ', 2)"));
    frmHakuehdotVoimassaolo d(t.db);
    ASSERT_TRUE(d.load());
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Tikkeli - Rajaus voimassaoloajalla"));
    auto* features = child<QComboBox>(&d, "cmbOminaisuudet");
    ASSERT_NE(features, nullptr);
    // " - " first, then the contract features by name, without the blank one.
    QStringList names;
    for (int i = 0; i < features->count(); ++i)
        names += features->itemText(i);
    EXPECT_EQ(names,
              (QStringList{" - ", "Hirvialue", "Pinta-ala hehtaareina", "Rajoitukset", "Vuokra maksettu", "Vuokrasumma"}));
    auto* date = child<QLineEdit>(&d, "tTarkastelupaiva");
    ASSERT_NE(date, nullptr);
    EXPECT_EQ(date->text(), QStringLiteral("5.3.2026"));
    EXPECT_FALSE(date->isEnabled());

    ContractReportCriteria().validity = {2, QDate(2020, 1, 1), 9};
    click(&d, "cSeuraava");
    EXPECT_EQ(d.result(), QDialog::Accepted);
    const auto& v = ContractReportCriteria().validity;
    EXPECT_EQ(v.VoimassaoloValinta, 0);
    EXPECT_EQ(v.TarkastelupaivaValinta, QDate(2026, 3, 5));
    EXPECT_EQ(v.VoimassaoloOminaisuus, 0);
}

TEST_F(CriteriaDialogTest, ValidityDialogNeedsADateForTheDatedChoicesAndItsCloseBoxCancels)
{
    frmHakuehdotVoimassaolo d(t.db);
    ASSERT_TRUE(d.load());
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    click(&d, "optVoimassa_1");
    EXPECT_TRUE(child<QLineEdit>(&d, "tTarkastelupaiva")->isEnabled());
    // A text that is no date (a day and month alone once became 30.12.1899) stays in the box to
    // be corrected, and "Seuraava" says why it refuses it.
    typeAndLeave(&d, "tTarkastelupaiva", QStringLiteral("31.2."), "cmbOminaisuudet");
    EXPECT_EQ(child<QLineEdit>(&d, "tTarkastelupaiva")->text(), QStringLiteral("31.2."));
    EXPECT_EQ(beeps(), 1);
    click(&d, "cSeuraava");
    EXPECT_EQ(prompter.messageTexts(),
              QStringList{"\"31.2.\" ei ole päivämäärä. Anna sopimusten tarkastelupäivä päivämäärämuodossa."});
    EXPECT_TRUE(d.isVisible());
    prompter.clear();
    typeAndLeave(&d, "tTarkastelupaiva", QStringLiteral("15.12"), "cmbOminaisuudet");
    click(&d, "cSeuraava");
    EXPECT_EQ(prompter.messageTexts().size(), 1);
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(ContractReportCriteria().validity.VoimassaoloValinta, 0) << "nothing written before acceptance";

    typeAndLeave(&d, "tTarkastelupaiva", QStringLiteral("1.2.2027"), "cmbOminaisuudet");
    auto* features = child<QComboBox>(&d, "cmbOminaisuudet");
    features->setCurrentIndex(features->findText(QStringLiteral("Hirvialue")));
    d.close(); // the close box
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_EQ(ContractReportCriteria().validity.VoimassaoloOminaisuus, 0);
    EXPECT_FALSE(ContractReportCriteria().validity.TarkastelupaivaValinta.isValid());

    frmHakuehdotVoimassaolo again(t.db);
    ASSERT_TRUE(again.load());
    click(&again, "optVoimassa_2");
    auto* f = child<QComboBox>(&again, "cmbOminaisuudet");
    f->setCurrentIndex(f->findText(QStringLiteral("Hirvialue")));
    click(&again, "cSeuraava");
    const auto& v = ContractReportCriteria().validity;
    EXPECT_EQ(v.VoimassaoloValinta, 2);
    EXPECT_EQ(v.TarkastelupaivaValinta, QDate(2026, 3, 5));
    EXPECT_EQ(v.VoimassaoloOminaisuus, 8);
}

TEST_F(CriteriaDialogTest, AnimalDialogOptionsAndTheirResult)
{
    t.db.execute(QStringLiteral("INSERT INTO el (elNimi) VALUES (NULL)"));
    frmElainehdot d(t.db);
    ASSERT_TRUE(d.load());
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM el WHERE elNimi IS NULL")), 0);
    auto* list = child<QListWidget>(&d, "lstElaimet");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 21);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("Hirvi"));
    EXPECT_FALSE(list->isEnabled());
    auto* kaikki = child<QCheckBox>(&d, "chkKaikkiaElaimia");
    ASSERT_NE(kaikki, nullptr);

    click(&d, "optKoskee_3");
    EXPECT_TRUE(list->isEnabled());
    EXPECT_FALSE(kaikki->isEnabled());
    click(&d, "optKoskee_2");
    EXPECT_TRUE(kaikki->isEnabled());
    kaikki->setChecked(true);
    for (const char* name : {"Kettu", "Hirvi"})
        list->findItems(QString::fromUtf8(name), Qt::MatchExactly).value(0)->setCheckState(Qt::Checked);
    click(&d, "cSeuraava");
    EXPECT_EQ(d.result(), QDialog::Accepted);
    const auto& a = ContractReportCriteria().animals;
    EXPECT_EQ(a.KoskeeValinta, 4);
    EXPECT_EQ(a.RajausKaava, QStringLiteral("({vs.vsKoskee} = 4 and ({el.elID} in [1, 7])) OR {vs.vsKoskee} = 1"));
    EXPECT_EQ(a.ElainNimet(), QStringLiteral("Hirvi, Kettu")) << "in list order";
    EXPECT_FALSE(a.Keskeytetty);
}

TEST_F(CriteriaDialogTest, AnimalDialogWithoutAnimalsStopsAndItsCloseBoxCancels)
{
    {
        frmElainehdot d(t.db);
        ASSERT_TRUE(d.load());
        click(&d, "optKoskee_3");
        click(&d, "cSeuraava");
        EXPECT_EQ(prompter.messageTexts(), QStringList{"Valitse myös eläimiä!"});
        EXPECT_TRUE(ContractReportCriteria().animals.Keskeytetty);
    }
    ContractReportCriteria().animals = {};
    frmElainehdot d(t.db);
    ASSERT_TRUE(d.load());
    click(&d, "optKoskee_1");
    d.show();
    d.close();
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_EQ(ContractReportCriteria().animals.KoskeeValinta, 1);
    EXPECT_TRUE(ContractReportCriteria().animals.RajausKaava.isEmpty());
}

TEST_F(CriteriaDialogTest, FeatureDialogChecksItsBoxesAndCountsTheContracts)
{
    frmHakuehdot d(t.db);
    ASSERT_TRUE(d.load());
    d.setLabelsOffered(true);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    auto* features = child<QComboBox>(&d, "cmbOminaisuudet");
    ASSERT_NE(features, nullptr);
    EXPECT_EQ(features->currentText(), QStringLiteral("Hirvialue"));
    struct Case {
        const char* box;
        const char* typed;
        const char* shown;
        int beeps;
    };
    const Case cases[] = {
        {"tLong", "2,5", "2", 0},           {"tLong", "3,5", "4", 0},           {"tLong", "kolme", "", 1},
        {"tDate", "199*", "199*", 1},       {"tDate", "5.3.26", "5.3.2026", 1}, {"tDate", "31.2.2026", "31.2.2026", 2},
        {"tCurrency", "12,50", "12,50", 2}, {"tCurrency", "12.50", "12.50", 2}, {"tCurrency", "1e3", "", 3},
    };
    for (const Case& c : cases) {
        typeAndLeave(&d, c.box, QString::fromUtf8(c.typed), "cmbOminaisuudet");
        EXPECT_EQ(child<QLineEdit>(&d, c.box)->text(), QString::fromUtf8(c.shown)) << c.box << " " << c.typed;
        EXPECT_EQ(beeps(), c.beeps) << c.typed;
    }

    // A date box holding no date is named when the dialog is asked to count.
    prompter.clear();
    click(&d, "cPaivita");
    ASSERT_EQ(prompter.messageTexts().size(), 1);
    EXPECT_TRUE(prompter.messageTexts()[0].startsWith(QStringLiteral("Päivämäärä: \"31.2.2026\" ei ole päivämäärä.")));

    // Every contract with "Vuokrasumma" (12) and a sum above 50,5: the contracts 1, 2, 8 and 14.
    features->setCurrentIndex(features->findText(QStringLiteral("Vuokrasumma")));
    for (const char* box : {"tDate", "tLong"})
        child<QLineEdit>(&d, box)->clear();
    child<QLineEdit>(&d, "tCurrency")->setText(QStringLiteral("50,5"));
    click(&d, "optCurrency_2");
    click(&d, "cPaivita");
    EXPECT_EQ(child<QLabel>(&d, "lblSopimuksia")->text(), QStringLiteral("4"));
    EXPECT_EQ(child<QLabel>(&d, "lblTiloja")->text(), QStringLiteral("8"));
    // 178 + 113,5 + 55,2 + 17,4 + 77,4 + 171,6 + 90,2 + 8,4
    EXPECT_EQ(child<QLabel>(&d, "lblPintaalaa")->text(), QStringLiteral("711,7"));

    click(&d, "optTarrat");
    click(&d, "cSeuraava");
    const auto& f = ContractReportCriteria().feature;
    EXPECT_EQ(f.RaporttiOminaisuus, 12);
    EXPECT_EQ(f.ArvoArvo, QStringLiteral("50,5"));
    EXPECT_EQ(f.ArvoVertailu, 2);
    EXPECT_EQ(f.PvmVertailu, 1);
    EXPECT_EQ(f.TulostusMuoto, 1);
}

TEST_F(CriteriaDialogTest, FeatureDialogWithoutFeaturesOrLabels)
{
    t.db.execute(QStringLiteral("DELETE FROM pi WHERE piType = 2"));
    t.db.execute(QStringLiteral("INSERT INTO pi (piNimi, piType) VALUES (NULL, 2)"));
    frmHakuehdot d(t.db);
    ASSERT_TRUE(d.load());
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM pi WHERE piType = 2")), 0);
    d.setLabelsOffered(false);
    EXPECT_FALSE(child<QRadioButton>(&d, "optTarrat")->isEnabled());
    click(&d, "cPaivita");
    for (const char* label : {"lblSopimuksia", "lblTiloja", "lblPintaalaa"})
        EXPECT_EQ(child<QLabel>(&d, label)->text(), QStringLiteral("0")) << label;
    ContractReportCriteria().feature.RaporttiOminaisuus = 9;
    d.close();
    EXPECT_EQ(ContractReportCriteria().feature.RaporttiOminaisuus, 9) << "the close box writes nothing";
}

TEST_F(CriteriaDialogTest, DialogsRefuseWithoutADatabase)
{
    frmHakuehdot a{Database()};
    frmElainehdot b{Database()};
    frmHakuehdotVoimassaolo c{Database()};
    EXPECT_FALSE(a.load());
    EXPECT_FALSE(b.load());
    EXPECT_FALSE(c.load());
    EXPECT_EQ(prompter.messageTexts().size(), 3);
}
