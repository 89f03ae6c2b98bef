#include "support/Controls.h"
#include "support/DialogScript.h"
#include "base/Clock.h"
#include "base/ScriptedPrompter.h"
#include "ui/FormRegistry.h"
#include "contracts/ContractCriteria.h"
#include "contracts/ui/frmVuokra.h"
#include "printing/PrintChoices.h"
#include "printing/ReportEngine.h"
#include "../ContractTestDb.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <deque>
#include <gtest/gtest.h>

using namespace tikkeli;
using test::ContractTestDb;
using test::DialogScript;

namespace {

// What a print handed the report control when it ran.
struct Job {
    QString file;
    std::map<int, QString> formulas;
    QString selection;
    QString sort;
};

void click(QWidget* dialog, const char* name)
{
    auto* b = dialog->findChild<QAbstractButton*>(QLatin1String(name));
    ASSERT_NE(b, nullptr) << name;
    const bool option = qobject_cast<QRadioButton*>(b) || qobject_cast<QCheckBox*>(b);
    QTest::mouseClick(b, Qt::LeftButton, {}, option ? QPoint(6, b->height() / 2) : b->rect().center());
}

DialogScript::Step press(std::initializer_list<const char*> buttons)
{
    std::vector<const char*> names(buttons);
    return [names](QWidget* d) {
        for (const char* n : names)
            click(d, n);
    };
}

DialogScript::Step closeBox()
{
    return [](QWidget* d) { d->close(); };
}

class ContractReportMenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.stageAllReports();
        ContractReportCriteria() = ContractCriteria{};
        MainReport().setOutputHandler([this](std::shared_ptr<const ReportDocument>, const ReportEngine& e) {
            jobs.push_back(
                {QFileInfo(e.ReportFileName).fileName(), e.formulaEntries(), e.SelectionFormula, e.SortFields(0)});
        });
        w = frmVuokra::Load();
    }
    void TearDown() override
    {
        delete frmVuokra::Instance();
        // The rent dialog stays loaded after "Seuraava >>" to offer the same choice again.
        delete FormRegistry::find(QStringLiteral("frmTulostusrajoitukset"));
        MainReport() = ReportEngine{};
        Printing() = PrintChoices{};
        ContractReportCriteria() = ContractCriteria{};
    }
    void trigger(const char* item)
    {
        ASSERT_NE(w, nullptr);
        auto* action = w->findChild<QAction*>(QLatin1String(item));
        ASSERT_NE(action, nullptr) << item;
        EXPECT_TRUE(action->isEnabled());
        action->trigger();
    }
    qint64 selectedCount() { return t.count(QStringLiteral("SELECT COUNT(*) FROM vs WHERE vsMukaan = 1")); }

    ContractTestDb t{ContractTestDb::Source::Sample};
    ScriptedPrompter prompter;
    FixedClock clock{QDateTime(QDate(2026, 3, 5), QTime(9, 0))};
    std::vector<Job> jobs;
    frmVuokra* w = nullptr;
};

} // namespace

TEST_F(ContractReportMenuTest, VillageListAsksValidityAndPrintDialogs)
{
    DialogScript script({press({"optVoimassa_1", "cSeuraava"}), press({"cTulosta"})});
    trigger("mRapMVAlueetKylatVuokraAika");
    EXPECT_EQ(script.names, (QStringList{"frmHakuehdotVoimassaolo", "frmTulostus"}));
    ASSERT_EQ(jobs.size(), 1u) << prompter.messageTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(jobs[0].file, QStringLiteral("mvluetl2.rpt"));
    EXPECT_EQ(jobs[0].formulas[1], QStringLiteral("VoimassaoloTeksti= 'Voimassa olevat sopimukset: 5.3.2026'"));
    EXPECT_EQ(jobs[0].selection, QStringLiteral("{vs.vsMukaan} = true"));
    EXPECT_EQ(selectedCount(), 19) << "all but the contract that ended on 1.2.2025";
}

TEST_F(ContractReportMenuTest, AClosedDialogOrACancelledPrintPrintsNothingAndKeepsTheSelection)
{
    t.db.execute(QStringLiteral("UPDATE vs SET vsMukaan = (vsID = 3)"));
    {
        DialogScript script({closeBox()});
        trigger("mRapMVAlueetElainTiivis");
        EXPECT_EQ(script.names, QStringList{"frmElainehdot"});
    }
    {
        DialogScript script({press({"cSeuraava"}), closeBox()});
        trigger("mRapMVAlueetMaanomTiivis");
        EXPECT_EQ(script.names, (QStringList{"frmHakuehdotVoimassaolo", "frmTulostus"}));
    }
    {
        // An animal-list kind without animals: told, and nothing more is asked.
        DialogScript script({press({"optKoskee_2", "cSeuraava"})});
        trigger("mRapMVAlueetElainNormaaliVuokraAika");
        EXPECT_EQ(script.names, QStringList{"frmElainehdot"});
        EXPECT_EQ(prompter.messageTexts(), QStringList{"Valitse myös eläimiä!"});
    }
    {
        DialogScript script({press({"cSeuraava"}), closeBox()});
        trigger("mRapMVLuettelo");
    }
    EXPECT_TRUE(jobs.empty());
    EXPECT_EQ(selectedCount(), 1);
    EXPECT_EQ(t.count(QStringLiteral("SELECT vsID FROM vs WHERE vsMukaan = 1")), 3);
}

TEST_F(ContractReportMenuTest, AnimalListThroughItsThreeDialogs)
{
    const auto chooseHirvi = [](QWidget* d) {
        click(d, "optKoskee_2");
        auto* list = d->findChild<QListWidget*>(QStringLiteral("lstElaimet"));
        ASSERT_NE(list, nullptr);
        list->findItems(QStringLiteral("Hirvi"), Qt::MatchExactly).value(0)->setCheckState(Qt::Checked);
        click(d, "chkKaikkiaElaimia");
        click(d, "cSeuraava");
    };
    DialogScript script({chooseHirvi, press({"cSeuraava"}), press({"cTulosta"})});
    trigger("mRapMVAlueetElainNormaaliEiVuokraAika");
    EXPECT_EQ(script.names, (QStringList{"frmElainehdot", "frmHakuehdotVoimassaolo", "frmTulostus"}));
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].file, QStringLiteral("mvluete3.rpt"));
    EXPECT_EQ(jobs[0].formulas[2], QStringLiteral("Ryhmateksti= 'Seuraavia eläimiä:Hirvi ja kaikkea metsästystä'"));
    EXPECT_EQ(selectedCount(), 14) << "the twelve listing Hirvi and the two all-hunting contracts";
}

TEST_F(ContractReportMenuTest, FeatureListsOfferLabelsOnlyWhereTheyPrintThem)
{
    bool labelsOffered = true;
    const auto compact = [&](QWidget* d) {
        labelsOffered = test::Control<QRadioButton>(*d, QStringLiteral("optTarrat"))->isEnabled();
        click(d, "cSeuraava");
    };
    {
        DialogScript script({compact, press({"cTulosta"})});
        trigger("mRapMVAlueetOminTiivis");
    }
    EXPECT_FALSE(labelsOffered);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].file, QStringLiteral("mvluetot.rpt"));
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM mvs")), 14) << "every contract with Hirvialue";

    {
        DialogScript script({press({"optTarrat", "cSeuraava"}), press({"cTulosta"})});
        trigger("mRapMVAlueetOminNormaaliVuokraAika");
    }
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[1].file, QStringLiteral("mvosoite.rpt"));
    EXPECT_TRUE(jobs[1].selection.endsWith(QStringLiteral("{mt.mtpiID} = 8")));
}

TEST_F(ContractReportMenuTest, RentListAndTheListAfterIt)
{
    {
        DialogScript script({press({"optVastike_1", "cSeuraava"}), press({"cTulosta"})});
        trigger("mRapLuetteloSopimuksista");
        EXPECT_EQ(script.names, (QStringList{"frmTulostusrajoitukset", "frmTulostus"}));
    }
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].file, QStringLiteral("mvluets2.rpt"));
    EXPECT_EQ(jobs[0].selection, QStringLiteral("{vs.vsVastike} = 2"));
    EXPECT_EQ(jobs[0].sort, QStringLiteral("+{vs.vsVastikeVuosiErapaiva}"));
    {
        DialogScript script({press({"cSeuraava"}), press({"cTulosta"})});
        trigger("mRapMVOsoitetarrat");
    }
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[1].file, QStringLiteral("mvosoite.rpt"));
    EXPECT_EQ(jobs[1].sort, QString());
}
