#include "CatchWindowFixture.h"
#include "catch/CatchReport.h"
#include "catch/ui/frmSaalisPoisto.h"
#include "catch/ui/frmSaalisilmTulostus.h"
#include "printing/PrintChoices.h"
#include "printing/ReportEngine.h"

#include <QAbstractItemView>
#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace tikkeli;
using test::CatchTestDb;
using test::CatchWindowTest;
using test::Control;
using test::DialogScript;

namespace {

// What a print handed the report control when it ran.
struct Job {
    QString file;
    std::map<int, QString> formulas;
    QString selection;
    int rows = 0;
};

class CatchDialogsTest : public CatchWindowTest {
protected:
    CatchDialogsTest() : CatchWindowTest(CatchTestDb::Source::Sample) {}
    void SetUp() override
    {
        State().ClubName = QStringLiteral("Erämiehet ry");
        MainReport().setOutputHandler([this](std::shared_ptr<const ReportDocument> doc, const ReportEngine& e) {
            jobs.push_back({QFileInfo(e.ReportFileName).fileName(), e.formulaEntries(), e.SelectionFormula, doc->rowCount});
        });
    }
    void TearDown() override
    {
        MainReport() = ReportEngine{};
        Printing() = PrintChoices{};
    }
    static QStringList counts(const QWidget& dialog)
    {
        QStringList out;
        for (const char* name : {"lblSumAikU", "lblSumAikN", "lblSumAikYht", "lblSumVasaU", "lblSumVasaN", "lblSumVasaYht"})
            out << Control<QLabel>(dialog, name)->text();
        return out;
    }
    static DialogScript::Step press(const char* button)
    {
        return [button](QWidget* d) { Control<QPushButton>(*d, button)->click(); };
    }
    static DialogScript::Step closeBox()
    {
        return [](QWidget* d) { d->close(); };
    }

    std::vector<Job> jobs;
};

} // namespace

TEST_F(CatchDialogsTest, TheCountsFollowTheSpeciesHoweverItChanges)
{
    frmSaalisilmTulostus dialog;
    ASSERT_TRUE(dialog.loaded());
    dialog.show();
    auto* species = Control<QComboBox>(dialog, "cmbLaji");
    EXPECT_EQ(species->currentText(), QStringLiteral("Hirvi"));
    EXPECT_EQ(counts(dialog), (QStringList{"4", "7", "11", "1", "6", "7"}));
    EXPECT_EQ(Control<QLineEdit>(dialog, "tLupanumero")->text(), QStringLiteral("2026-1-400-01234-5"));
    EXPECT_EQ(Control<QLineEdit>(dialog, "tLuvansaaja")->text(), QStringLiteral("Erämiehet ry"));
    // Chosen by keyboard without leaving the box.
    species->setFocus();
    QTest::keyClick(species, Qt::Key_Down);
    EXPECT_EQ(species->currentText(), QStringLiteral("Valkohäntäpeura"));
    EXPECT_EQ(counts(dialog), (QStringList{"1", "2", "3", "1", "4", "5"}));
    // A catch stored meanwhile is counted when the species is handed over.
    t.add(QStringLiteral("Valkohäntäpeura"), QDate(2026, 11, 20), false, true);
    QTest::keyClick(species, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.request().species, QStringLiteral("Valkohäntäpeura"));
    EXPECT_EQ(dialog.request().counts, (CatchCounts{1, 2, 2, 4}));
}

TEST_F(CatchDialogsTest, TheReportsSpeciesBoxKeepsWhatIsTypedAndTakesOnlyWhatIsChosen)
{
    t.add(QStringLiteral("Metsäkauris"), QDate(2026, 10, 1));
    frmSaalisilmTulostus dialog;
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    auto* species = Control<QComboBox>(dialog, "cmbLaji");
    const auto press = [](Qt::Key key) {
        QWidget* popup = QApplication::activePopupWidget();
        QTest::keyClick(popup ? popup : QApplication::focusWidget(), key);
    };
    const auto suggested = [] {
        const auto* popup = qobject_cast<QAbstractItemView*>(QApplication::activePopupWidget());
        QStringList out;
        for (int row = 0; popup && row < popup->model()->rowCount(); ++row)
            out << popup->model()->index(row, 0).data().toString();
        return out;
    };
    species->setFocus();
    species->lineEdit()->selectAll();
    QTest::keyClicks(species->lineEdit(), QStringLiteral("METS"));
    EXPECT_EQ(species->currentText(), QStringLiteral("METS")) << "nothing written in";
    EXPECT_EQ(suggested(), QStringList{"Metsäkauris"});
    press(Qt::Key_Tab);
    EXPECT_EQ(species->currentText(), QStringLiteral("METS")) << "no item's spelling on leaving";
    EXPECT_EQ(counts(dialog), (QStringList{"0", "0", "0", "0", "0", "0"}));
    species->setFocus();
    species->lineEdit()->selectAll();
    QTest::keyClicks(species->lineEdit(), QStringLiteral("v"));
    EXPECT_EQ(suggested(), QStringList{"Valkohäntäpeura"});
    press(Qt::Key_Down);
    press(Qt::Key_Return);
    EXPECT_EQ(species->currentText(), QStringLiteral("Valkohäntäpeura"));
    EXPECT_EQ(counts(dialog), (QStringList{"1", "2", "3", "1", "4", "5"}));
    EXPECT_TRUE(dialog.isVisible()) << "the Enter that chose was not the dialog's";
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST_F(CatchDialogsTest, AnEmptyListCountsNothingAndStillHandsOver)
{
    t.db.execute(QStringLiteral("DELETE FROM si"));
    frmSaalisilmTulostus dialog;
    ASSERT_TRUE(dialog.loaded());
    EXPECT_EQ(Control<QComboBox>(dialog, "cmbLaji")->count(), 0);
    EXPECT_EQ(counts(dialog), (QStringList{"0", "0", "0", "0", "0", "0"}));
    dialog.cSeuraava_Click();
    EXPECT_EQ(dialog.request().species, QString());
    EXPECT_EQ(CatchReport::selection(dialog.request().species), QStringLiteral("{si.siLaji} like ''"));
}

TEST_F(CatchDialogsTest, PermitDataIsKeptOnlyWhenHandedOver)
{
    {
        frmSaalisilmTulostus dialog;
        Control<QLineEdit>(dialog, "tLupanumero")->setText(QStringLiteral("2027-1-1"));
        dialog.reject();
    }
    EXPECT_EQ(CatchReport::permitNumber(t.db), QStringLiteral("2026-1-400-01234-5"));
    {
        frmSaalisilmTulostus dialog;
        Control<QLineEdit>(dialog, "tLupanumero")->setText(QStringLiteral("2027-1-1"));
        Control<QLineEdit>(dialog, "tLuvansaaja")->setText(QStringLiteral("O'Brienin seura"));
        dialog.cSeuraava_Click();
    }
    t.db.close();
    ConnectionRegistry::closeAll(t.path);
    frmSaalisilmTulostus again;
    EXPECT_EQ(Control<QLineEdit>(again, "tLupanumero")->text(), QStringLiteral("2027-1-1"));
    EXPECT_EQ(Control<QLineEdit>(again, "tLuvansaaja")->text(), QStringLiteral("O'Brienin seura"));
}

TEST_F(CatchDialogsTest, PrintStoresThePendingCatchAndHandsOverTheSeventeenFormulas)
{
    auto w = openWindow();
    w->cUusi_Click();
    type(laji, QStringLiteral("Hirvi"));
    vasa->click();
    DialogScript script({press("cSeuraava"), press("cTulosta")});
    QTest::keyClick(laji->lineEdit(), Qt::Key_F7);
    EXPECT_EQ(script.names, (QStringList{"frmSaalisilmTulostus", "frmTulostus"}));
    ASSERT_EQ(jobs.size(), 1u) << messages().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(jobs[0].file, QStringLiteral("si.rpt"));
    EXPECT_TRUE(jobs[0].formulas[16].startsWith(QStringLiteral("LupaAlueenPintaAla= 'Lupa-alueelle, jonka pinta-ala on ")));
    EXPECT_EQ(jobs[0].formulas[17], QString());
    EXPECT_EQ(jobs[0].formulas[0], QStringLiteral("Seurannimi= 'Erämiehet ry'"));
    EXPECT_EQ(jobs[0].formulas[6], QStringLiteral("SumVasaU= '2'")) << "the new male calf counted";
    EXPECT_EQ(jobs[0].formulas[9], QStringLiteral("SumVasaYht= '8'"));
    EXPECT_EQ(jobs[0].selection, QStringLiteral("{si.siLaji} like 'Hirvi'"));
    EXPECT_EQ(jobs[0].rows, 19);
    EXPECT_EQ(t.catches(), 27);
}

TEST_F(CatchDialogsTest, ClosingTheReportWindowOrThePrintDialogPrintsNothing)
{
    auto w = openWindow();
    {
        DialogScript script({closeBox()});
        w->cTulosta_Click();
        EXPECT_EQ(script.names, QStringList{"frmSaalisilmTulostus"}) << "no print dialog after a close";
    }
    {
        DialogScript script({press("cSeuraava"), closeBox()});
        w->cTulosta_Click();
        EXPECT_EQ(script.names, (QStringList{"frmSaalisilmTulostus", "frmTulostus"}));
    }
    EXPECT_TRUE(jobs.empty());
}

TEST_F(CatchDialogsTest, TheSpeciesDeleteAsksDeletesAndTheEntryWindowFollows)
{
    t.add(QStringLiteral("Metsä'kauris"), QDate(2026, 10, 1));
    t.add(QStringLiteral("Metsä'kauris"), QDate(2026, 10, 2));
    auto w = openWindow();
    // A typed change survives the delete of another species.
    type(kaataja, QStringLiteral("Uusi Kaataja"));
    const auto pick = [](const char* species, bool yes) {
        return [species, yes](QWidget* d) {
            auto* list = Control<QComboBox>(*d, "cmbLaji");
            list->setCurrentIndex(list->findText(QString::fromUtf8(species)));
            Control<QPushButton>(*d, "cPoista")->click();
            EXPECT_EQ(list->findText(QString::fromUtf8(species)) >= 0, !yes) << species;
            Control<QPushButton>(*d, "cSulje")->click();
        };
    };
    prompter.answerNo();
    {
        DialogScript script({pick("Metsä'kauris", false)});
        Control<QAction>(*w, "mPoistaLaji")->trigger();
    }
    EXPECT_EQ(t.catches(), 28);
    EXPECT_EQ(messages(), QStringList{"Poistetaanko 'Metsä'kauris' saalisrivit?"});
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM si WHERE siKaataja = 'Uusi Kaataja'")), 1);
    prompter.answerYes();
    {
        DialogScript script({pick("Metsä'kauris", true)});
        Control<QAction>(*w, "mPoistaLaji")->trigger();
    }
    EXPECT_EQ(t.catches(), 26);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Saalisilmoitus - 26"));
    EXPECT_EQ(test::TreeTexts(tree).filter(QStringLiteral("kauris")), QStringList{}) << "the tree is rebuilt";
    EXPECT_EQ(laji->findText(QStringLiteral("Metsä'kauris")), -1);
}

TEST_F(CatchDialogsTest, TheLastSpeciesGoneLeavesAnEmptyListAndACaptionOfNought)
{
    t.db.execute(QStringLiteral("DELETE FROM si WHERE siLaji <> 'Hirvi'"));
    t.add(QString(), QDate(2026, 10, 1));
    auto w = openWindow();
    frmSaalisPoisto dialog(w.get());
    ASSERT_TRUE(dialog.loaded());
    auto* list = Control<QComboBox>(dialog, "cmbLaji");
    EXPECT_EQ(list->count(), 1) << "a row without a species is not offered";
    EXPECT_EQ(list->currentIndex(), -1) << "nothing chosen beforehand";
    dialog.cPoista_Click();
    EXPECT_EQ(messages(), QStringList{"Valitse ensin poistettava laji."});
    list->setCurrentIndex(0);
    prompter.answerYes();
    dialog.cPoista_Click();
    EXPECT_EQ(list->count(), 0);
    EXPECT_EQ(t.catches(), 1) << "the row without a species stays";
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Saalisilmoitus - 1"));
}

TEST_F(CatchDialogsTest, AFailedSpeciesDeleteIsToldAndTheListsAreReadAgain)
{
    t.db.execute(
        QStringLiteral("CREATE TRIGGER si_lukko BEFORE DELETE ON si BEGIN SELECT RAISE(ABORT, 'rivit lukittu'); END"));
    auto w = openWindow();
    frmSaalisPoisto dialog(w.get());
    auto* list = Control<QComboBox>(dialog, "cmbLaji");
    list->setCurrentIndex(list->findText(QStringLiteral("Hirvi")));
    prompter.answerYes();
    dialog.cPoista_Click();
    ASSERT_EQ(messages().size(), 2);
    EXPECT_TRUE(messages()[1].startsWith(QStringLiteral("Saaliiden poisto ei onnistunut: "))) << messages()[1].toStdString();
    EXPECT_TRUE(messages()[1].contains(QStringLiteral("rivit lukittu")));
    EXPECT_EQ(t.catches(), 26);
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Saalisilmoitus - 26"));
}

TEST_F(CatchDialogsTest, WithoutADatabaseTheDialogsTellAndAreNotShown)
{
    State().DatabasePath = QString();
    frmSaalisilmTulostus report;
    EXPECT_FALSE(report.loaded());
    frmSaalisPoisto remove;
    EXPECT_FALSE(remove.loaded());
    EXPECT_EQ(messages(), (QStringList{"Tarkista tietokanta asetukset asetusikkunasta!",
                                       "Tarkista tietokanta asetukset asetusikkunasta!"}));
}

TEST_F(CatchDialogsTest, ScreenshotsWhenAsked)
{
    const QByteArray out = qgetenv("TIKKELI_SCREENSHOT_DIR");
    if (out.isEmpty())
        GTEST_SKIP();
    const QString folder = QString::fromLocal8Bit(out);
    auto w = openWindow();
    w->cSelaa_Click();
    w->cSeuraava_Click();
    QApplication::processEvents();
    w->grab().save(folder + QStringLiteral("/frmSaalisilmoitus.png"));
    frmSaalisilmTulostus report(w.get());
    report.show();
    QApplication::processEvents();
    report.grab().save(folder + QStringLiteral("/frmSaalisilmTulostus.png"));
    frmSaalisPoisto remove(w.get());
    remove.show();
    QApplication::processEvents();
    remove.grab().save(folder + QStringLiteral("/frmSaalisPoisto.png"));
}
