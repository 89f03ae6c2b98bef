#include "lists/ListsTestDb.h"
#include "support/Controls.h"
#include "support/PrintSettingsAnswer.h"
#include "support/WhenModalShown.h"

#include "base/ScriptedPrompter.h"
#include "ui/WindowHooks.h"
#include "lists/ui/ListWindows.h"
#include "lists/ui/MemberOutputs.h"
#include "members/ui/frmHakuehdotJ.h"
#include "members/ui/frmJasen.h"
#include "printing/PrintChoices.h"
#include "printing/ReportEngine.h"
#include "printing/ReportServices.h"
#include "printing/ui/frmTulJarjValinta.h"
#include "printing/ui/frmTulostus.h"
#include "printing/ui/frmTulostusmuodonValinta.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace tikkeli::test {
namespace {

struct Printed {
    QString file;
    QString selection;
    int rows = 0;
};

class MemberOutputsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        club.stageReports();
        Criteria() = MemberCriteria{};
        RegisterListWindows();
        MainReport().setOutputHandler([this](std::shared_ptr<const ReportDocument> doc, const ReportEngine& e) {
            printed.push_back({QFileInfo(e.ReportFileName).fileName(), e.SelectionFormula, doc->rowCount});
        });
        MemberOutputs::openFile = [this](const QString& path) { opened << path; };
        // A known earlier selection, to see that a cancelled command marks nothing.
        club.db.execute(QStringLiteral("UPDATE jr SET jrMukaan = (jrSukunimi = 'Fager')"));
        w = frmJasen::Load();
        ASSERT_TRUE(w);
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    }
    void TearDown() override
    {
        delete frmJasen::Instance();
        WindowHooks::clear();
        MemberOutputs::openFile = {};
        MainReport() = ReportEngine{};
        Printing() = PrintChoices{};
        Criteria() = MemberCriteria{};
    }

    // Answers the criteria dialog with its defaults ("Ei merkitystä" for fee and owner).
    static void criteria(bool go = true)
    {
        WhenModalShown<frmHakuehdotJ>([go](frmHakuehdotJ& d) {
            if (go)
                Control<QPushButton>(d, "cSeuraava")->click();
            else
                d.close();
        });
    }
    static void form(int printForm, bool go = true)
    {
        WhenModalShown<frmTulostusmuodonValinta>([printForm, go](frmTulostusmuodonValinta& d) {
            if (!go) {
                d.close();
                return;
            }
            Control<QRadioButton>(d, QStringLiteral("optPrintType_%1").arg(printForm))->setChecked(true);
            Control<QPushButton>(d, "cSeuraava")->click();
        });
    }
    static void printDialog(bool go = true)
    {
        WhenModalShown<frmTulostus>([go](frmTulostus& d) {
            if (go)
                Control<QPushButton>(d, "cTulosta")->click();
            else
                d.close();
        });
    }
    static void order(bool go = true)
    {
        WhenModalShown<frmTulJarjValinta>([go](frmTulJarjValinta& d) {
            if (go)
                Control<QPushButton>(d, "cSeuraava")->click();
            else
                d.close();
        });
    }
    // Opens a menu of the menu bar with its Alt letter, walks down to the entry with arrow keys
    // and presses Enter.
    void fromMenu(Qt::Key letter, const char* entry)
    {
        QTest::keyClick(w, letter, Qt::AltModifier);
        QMenu* menu = nullptr;
        ASSERT_TRUE(QTest::qWaitFor([&] { return (menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())); }));
        if (!menu->activeAction())
            QTest::keyClick(menu, Qt::Key_Down);
        for (int i = 0; i < menu->actions().size() && menu->activeAction()
                        && menu->activeAction()->objectName() != QLatin1String(entry);
             ++i)
            QTest::keyClick(menu, Qt::Key_Down);
        ASSERT_TRUE(menu->activeAction());
        ASSERT_EQ(menu->activeAction()->objectName(), QLatin1String(entry));
        QTest::keyClick(menu, Qt::Key_Return);
    }

    ListsTestDb club;
    ScriptedPrompter prompter;
    frmJasen* w = nullptr;
    std::vector<Printed> printed;
    QStringList opened;
};

TEST_F(MemberOutputsTest, EntriesWaitForTheirHooks)
{
    for (const char* name :
         {"mRapLuettelotJaTarrat", "mRapMaksuhistoriaJasenelle", "mRapMaksuhistoriaRyhmalle", "mOsoitetietojenVienti"})
        EXPECT_TRUE(Control<QAction>(*w, name)->isEnabled()) << name;
    delete w;
    WindowHooks::clear();
    w = frmJasen::Load();
    ASSERT_TRUE(w);
    for (const char* name :
         {"mRapLuettelotJaTarrat", "mRapMaksuhistoriaJasenelle", "mRapMaksuhistoriaRyhmalle", "mOsoitetietojenVienti"})
        EXPECT_FALSE(Control<QAction>(*w, name)->isEnabled()) << name;
}

TEST_F(MemberOutputsTest, MemberListChainByKeyboardPrintsTheChosenForm)
{
    criteria();
    form(3);
    printDialog();
    fromMenu(Qt::Key_R, "mRapLuettelotJaTarrat");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !printed.empty(); }, 10000));
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0].file, QStringLiteral("jrosoite.rpt"));
    EXPECT_EQ(printed[0].selection, QStringLiteral("{jr.jrMukaan} = true"));
    EXPECT_EQ(printed[0].rows, 6);
    EXPECT_EQ(club.selected(), club.all());
    EXPECT_TRUE(prompter.messageTexts().isEmpty()) << prompter.messageTexts().join('|').toStdString();
}

TEST_F(MemberOutputsTest, ClosingAnyDialogOfAChainEndsTheCommand)
{
    for (int step = 0; step < 3; ++step) {
        SCOPED_TRACE(step);
        criteria(step > 0);
        if (step > 0)
            form(0, step > 1);
        if (step > 1)
            printDialog(false);
        Control<QAction>(*w, "mRapLuettelotJaTarrat")->trigger();
        EXPECT_TRUE(printed.empty());
        EXPECT_EQ(club.selected(), QStringList{QStringLiteral("Fager")});
    }
    QTemporaryDir dir;
    prompter.answerText(std::nullopt);
    for (int step = 0; step < 3; ++step) {
        SCOPED_TRACE(step);
        criteria(step > 0);
        if (step > 0)
            order(step > 1);
        Control<QAction>(*w, "mOsoitetietojenVienti")->trigger();
        EXPECT_EQ(club.selected(), QStringList{QStringLiteral("Fager")});
    }
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(prompter.messageTexts().isEmpty());
    EXPECT_TRUE(prompter.scriptExhausted());
}

TEST_F(MemberOutputsTest, PaymentHistoriesOfTheMemberShownAndOfTheFilterGroup)
{
    club.db.execute(QStringLiteral("INSERT INTO jmhist (jmhjmjrID, jmhjmLaskunumero, jmhjmHinta, jmhjmViitenumero) "
                                   "VALUES (?, 101, 25, '13'), (?, 102, 30, '26')"),
                    {Value(club.ids.at(QStringLiteral("Aho"))), Value(club.ids.at(QStringLiteral("Aho")))});
    ASSERT_TRUE(w->ShowMember(club.ids.at(QStringLiteral("Aho"))));
    printDialog();
    Control<QAction>(*w, "mRapMaksuhistoriaJasenelle")->trigger();
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0].file, QStringLiteral("jmmakhis.rpt"));
    EXPECT_EQ(printed[0].selection, QStringLiteral("{jr.jrID} = %1").arg(club.ids.at(QStringLiteral("Aho"))));
    EXPECT_EQ(printed[0].rows, 2);

    // The list filter on feature B: its holders.
    auto* filter = Control<QComboBox>(*w, "cmbListaEhto");
    filter->setCurrentIndex(filter->findData(QVariant(club.B)));
    w->cmbListaEhto_Click();
    printDialog();
    Control<QAction>(*w, "mRapMaksuhistoriaRyhmalle")->trigger();
    ASSERT_EQ(printed.size(), 2u);
    EXPECT_EQ(printed[1].selection, QStringLiteral("{jr.jrMukaan} = true"));
    EXPECT_EQ(club.selected(), QStringList({"Aho", "Coll'", "Ö'Brien"}));

    // A cancelled print dialog prints nothing and marks nothing.
    filter->setCurrentIndex(0);
    w->cmbListaEhto_Click();
    printDialog(false);
    Control<QAction>(*w, "mRapMaksuhistoriaRyhmalle")->trigger();
    EXPECT_EQ(printed.size(), 2u);
    EXPECT_EQ(club.selected(), QStringList({"Aho", "Coll'", "Ö'Brien"}));

    // No member on the card: the register is empty.
    club.db.execute(QStringLiteral("DELETE FROM jr"));
    w->cSelaa_Click();
    ASSERT_EQ(w->currentMemberId(), 0);
    Control<QAction>(*w, "mRapMaksuhistoriaJasenelle")->trigger();
    EXPECT_EQ(printed.size(), 2u);
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Jäsentä ei ole valittuna.")});
}

TEST_F(MemberOutputsTest, ExportWritesTheChosenFileAndOpensIt)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("osoitteet"));
    prompter.answerText(path);
    criteria();
    order();
    fromMenu(Qt::Key_Y, "mOsoitetietojenVienti");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !prompter.messageTexts().isEmpty(); }, 10000));
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Tiedostoon kirjoitettiin 6 osoitetta.")});
    EXPECT_EQ(opened, QStringList{path + QStringLiteral(".xlsx")});
    EXPECT_TRUE(QFileInfo::exists(path + QStringLiteral(".xlsx")));
    const auto& shown = prompter.shown();
    const auto dialog = std::find_if(shown.begin(), shown.end(),
                                     [](const auto& s) { return s.kind == ScriptedPrompter::Kind::SaveFile; });
    ASSERT_NE(dialog, shown.end());
    EXPECT_EQ(dialog->request.fileName, QStringLiteral("jasenosoitteet.xlsx"));
}

TEST_F(MemberOutputsTest, AFailedSelectionIsToldAndNothingPrinted)
{
    club.db.execute(QStringLiteral("CREATE TRIGGER jr_stop BEFORE UPDATE OF jrMukaan ON jr "
                                   "BEGIN SELECT RAISE(ABORT, 'estetty'); END"));
    criteria();
    form(0);
    printDialog();
    Control<QAction>(*w, "mRapLuettelotJaTarrat")->trigger();
    EXPECT_TRUE(printed.empty());
    ASSERT_EQ(prompter.messageTexts().size(), 1);
    EXPECT_TRUE(prompter.messageTexts()[0].startsWith(QStringLiteral("Virhe tulostettaessa raporttia: ")));
    EXPECT_TRUE(prompter.messageTexts()[0].contains(QStringLiteral("estetty")));
    EXPECT_EQ(club.selected(), QStringList{QStringLiteral("Fager")});
}

// The member list printed with "Tulostin" into a PDF file chosen there, and printed so again.
class MemberListToPdfTest : public MemberOutputsTest {
protected:
    void SetUp() override
    {
        MemberOutputsTest::SetUp();
        // The real output: the print settings dialog puts it in place.
        MainReport() = ReportEngine{};
        saved = PrinterSetup();
        PrinterSetup() = PrinterSetupChoice{};
    }
    void TearDown() override
    {
        PrinterSetup() = saved;
        MemberOutputsTest::TearDown();
    }
    PrinterSetupChoice saved;
};

TEST_F(MemberListToPdfTest, AFileChosenWithTulostinIsPrintedIntoAndReplacedOnlyWhenTheUserSaysSo)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("jasenluettelo.pdf"));
    for (const PdfPrintRound& round : PdfPrintRounds) {
        SCOPED_TRACE(round.name);
        criteria();
        form(0);
        const auto seen = ScriptPdfPrintRound(prompter, round, pdf);
        Control<QAction>(*w, "mRapLuettelotJaTarrat")->trigger();
        // Told once the command has ended: the print records its selection in a transaction.
        if (round.prints()) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return prompter.anyMessageContains(QStringLiteral("Tulostettiin")); }));
        } else {
            QTest::qWait(50);
        }
        CheckPdfPrintRound(prompter, round, *seen, pdf, QStringLiteral("Björk"));
    }
}

} // namespace
} // namespace tikkeli::test
