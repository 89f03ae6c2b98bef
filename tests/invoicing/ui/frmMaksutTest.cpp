#include "invoicing/ui/InvoicingWindows.h"
#include "ui/WindowHooks.h"
#include "../InvoiceTestDb.h"
#include "WindowTestSupport.h"

#include "base/ScriptedPrompter.h"
#include "db/Recordset.h"
#include "invoicing/InvoicePrints.h"
#include "invoicing/InvoiceRun.h"
#include "invoicing/ui/InvoicePrinting.h"
#include "invoicing/ui/frmMaksujenLuonti.h"
#include "invoicing/ui/frmLaskujenRajaus.h"
#include "invoicing/ui/frmMaksut.h"
#include "invoicing/ui/frmMaksutListana.h"
#include "printing/PrintChoices.h"
#include "printing/ReportEngine.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace tikkeli;
using tikkeli::test::Control;

namespace {

class frmMaksutTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A newer unpaid invoice with the same personal reference as the old paid 2001.
        club.db.execute(QStringLiteral(
            "INSERT INTO jmhist (jmhjmID, jmhjmLaskunumero, jmhjmjrID, jmhjmViitenumero, jmhjmLaskupaiva, jmhjmErapaiva,"
            " jmhjmHinta, jmhjmMaksettu, jmhjmJasMak, jmhjmOtsake, jmhjmLaskOsoite1) SELECT 9001, 3001, jmhjmjrID, "
            "jmhjmViitenumero,"
            " '2026-02-01 00:00:00', '2026-02-28 00:00:00', 45.5, 0, 1, 'Jäsenmaksu 2026', jmhjmLaskOsoite1 FROM jmhist"
            " WHERE jmhjmLaskunumero = 2001"));
        club.db.execute(
            QStringLiteral("INSERT INTO jmRivi (jmRjmID, jmRHinta, jmRTeksti) VALUES (9001, 45.5, 'Jäsenmaksu')"));
        newId = club.field(QStringLiteral("SELECT jmhID FROM jmhist WHERE jmhjmLaskunumero = 3001")).toInt64();
        memberId = club.field(QStringLiteral("SELECT jmhjmjrID FROM jmhist WHERE jmhjmLaskunumero = 3001")).toInt64();
        club.db.execute(QStringLiteral("UPDATE jr SET jrJasenmaksu = False WHERE jrID = ?"), {Value(memberId)});
    }
    void TearDown() override
    {
        MainReport() = ReportEngine{};
        Printing() = PrintChoices{};
    }

    std::unique_ptr<frmMaksut> openWindow() { return test::openShown<frmMaksut>(); }
    static QString text(const QWidget& w, const char* label) { return test::labelText(w, label); }
    bool paid(int number)
    {
        return club.field(QStringLiteral("SELECT jmhjmMaksettu FROM jmhist WHERE jmhjmLaskunumero = ?"), {Value(number)})
            .toBool();
    }
    static void answerDialogs(QList<std::pair<QString, QString>> steps) { test::answerDialogs(std::move(steps)); }
    void installReports() { test::installReports(club.env); }

    test::InvoiceTestDb club;
    ScriptedPrompter prompter;
    qint64 newId = 0;
    qint64 memberId = 0;
};

TEST_F(frmMaksutTest, FindShowsTheOpenInvoiceOfARepeatedReference)
{
    auto w = openWindow();
    ASSERT_TRUE(w->loaded());
    auto* box = Control<QLineEdit>(*w, "tViitenumero");
    auto* find = Control<QAbstractButton>(*w, "cHaeTiedot");
    box->setText(QStringLiteral("  20019 "));
    find->click();
    EXPECT_EQ(text(*w, "lblLaskunumero"), QStringLiteral("3001"));
    EXPECT_EQ(text(*w, "lblMaksettu"), QStringLiteral("Ei"));
    EXPECT_EQ(text(*w, "lblJasenmaksu"), QStringLiteral("Kyllä"));
    EXPECT_EQ(text(*w, "lblOtsake"), QStringLiteral("Jäsenmaksu 2026"));
    EXPECT_EQ(w->CurrentHistoryId(), newId);
    EXPECT_EQ(w->CurrentMemberId(), memberId);
    EXPECT_TRUE(prompter.shown().empty());

    struct Case {
        const char* typed;
        const char* message;
    };
    const Case missing[] = {
        {"99999", "Laskua viitenumerolla: 99999 ei löydy."},
        {"20019' OR '1'='1", "Laskua viitenumerolla: 20019' OR '1'='1 ei löydy."},
    };
    for (const Case& c : missing) {
        prompter.clear();
        box->setText(QString::fromUtf8(c.typed));
        find->click();
        ASSERT_EQ(prompter.messageTexts().size(), 1);
        EXPECT_EQ(prompter.messageTexts().first(), QString::fromUtf8(c.message));
    }
}

TEST_F(frmMaksutTest, MarkPaidMarksTheOpenInvoiceNotTheOldPaidOne)
{
    auto w = openWindow();
    auto* box = Control<QLineEdit>(*w, "tViitenumero");
    box->setText(QStringLiteral("20019"));
    QTest::keyClick(w.get(), Qt::Key_F3);
    EXPECT_TRUE(paid(3001));
    EXPECT_TRUE(paid(2001));
    EXPECT_EQ(club.count(QStringLiteral("jmRivi"), QStringLiteral("jmRjmID = 9001 AND jmRMaksettu = True")), 1);
    EXPECT_TRUE(club.field(QStringLiteral("SELECT jrJasenmaksu FROM jr WHERE jrID = ?"), {Value(memberId)}).toBool());
    EXPECT_EQ(text(*w, "lblLaskunumero"), QStringLiteral("3001"));
    EXPECT_EQ(text(*w, "lblMaksettu"), QStringLiteral("Kyllä"));
    // A reprint needs a new find after a mark.
    EXPECT_EQ(w->CurrentMemberId(), 0);
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(frmMaksutTest, MarkPaidWithDeleteTakesTheInvoiceOutOfTheBook)
{
    auto w = openWindow();
    auto* box = Control<QLineEdit>(*w, "tViitenumero");
    auto* del = Control<QCheckBox>(*w, "chkPoistamaksettu");
    auto* mark = Control<QAbstractButton>(*w, "cMaksetuksi");
    del->setChecked(true);
    box->setText(QStringLiteral("20019"));
    mark->click();
    EXPECT_EQ(club.count(QStringLiteral("jmhist"), QStringLiteral("jmhjmLaskunumero = 3001")), 0);
    EXPECT_EQ(club.count(QStringLiteral("jmRivi"), QStringLiteral("jmRjmID = 9001")), 0);
    EXPECT_EQ(box->text(), QString());
    EXPECT_EQ(text(*w, "lblLaskunumero"), QString());
    // The reference now finds the old paid invoice only.
    box->setText(QStringLiteral("20019"));
    Control<QAbstractButton>(*w, "cHaeTiedot")->click();
    EXPECT_EQ(text(*w, "lblLaskunumero"), QStringLiteral("2001"));
}

TEST_F(frmMaksutTest, CheckDigitAndMissingMember)
{
    auto w = openWindow();
    auto* box = Control<QLineEdit>(*w, "tViitenumero");
    box->setText(QStringLiteral("2001"));
    QTest::keyClick(w.get(), Qt::Key_F4);
    EXPECT_EQ(box->text(), QStringLiteral("20019"));
    box->setText(QStringLiteral("20x1"));
    QTest::keyClick(w.get(), Qt::Key_F4);
    EXPECT_EQ(box->text(), QStringLiteral("20x1"));
    EXPECT_TRUE(prompter.anyMessageContains(QStringLiteral("Syötä viitenumeroksi ainoastaan viitenumero!")));

    prompter.clear();
    club.db.execute(QStringLiteral("DELETE FROM jr WHERE jrID = ?"), {Value(memberId)});
    box->setText(QStringLiteral("20019"));
    QTest::keyClick(w.get(), Qt::Key_F2);
    EXPECT_EQ(prompter.messageTexts(),
              QStringList{QStringLiteral("Henkilöä annetulle viitenumerolle 20019 ei enää löydy.")});
    EXPECT_EQ(w->CurrentMemberId(), 0);
    // A reprint asks the layout, then refuses without a found invoice.
    prompter.clear();
    answerDialogs({{QStringLiteral("frmLaskumalli"), QStringLiteral("cSeuraava")}});
    Control<QAbstractButton>(*w, "cTulosta")->click();
    EXPECT_EQ(prompter.messageTexts(),
              QStringList{QStringLiteral("Hae tulostettava lasku viitenumerolla ennen tulostusta")});
}

TEST_F(frmMaksutTest, ReprintAndLabelsReachTheReportControl)
{
    installReports();
    std::vector<std::shared_ptr<const ReportDocument>> printed;
    MainReport().setOutputHandler(
        [&](std::shared_ptr<const ReportDocument> doc, const ReportEngine&) { printed.push_back(doc); });
    auto w = openWindow();
    Control<QLineEdit>(*w, "tViitenumero")->setText(QStringLiteral("20019"));
    Control<QAbstractButton>(*w, "cHaeTiedot")->click();

    // Closing the layout dialog with its close box cancels the reprint.
    answerDialogs({{QStringLiteral("frmLaskumalli"), QString()}});
    Control<QAbstractButton>(*w, "cTulosta")->click();
    EXPECT_TRUE(printed.empty());

    answerDialogs({{QStringLiteral("frmLaskumalli"), QStringLiteral("optKieli_1")},
                   {QStringLiteral("frmLaskumalli"), QStringLiteral("cSeuraava")},
                   {QStringLiteral("frmTulostus"), QStringLiteral("cTulosta")}});
    Control<QAbstractButton>(*w, "cTulosta")->click();
    ASSERT_EQ(printed.size(), 1u) << prompter.messageTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(MainReport().ReportFileName.section(QLatin1Char('/'), -1), QStringLiteral("lhtilis2.rpt"));
    EXPECT_EQ(MainReport().SelectionFormula, QStringLiteral("{jmhist.jmhID}=%1").arg(newId));
    EXPECT_EQ(printed[0]->pages.size(), 1u);

    // Labels of the unpaid invoices from 2100 on.
    auto* labels = Control<QAction>(*w, "mTarrat");
    printed.clear();
    test::answerRange("2100", "", "optLaskunTila_2", {{QStringLiteral("frmTulostus"), QStringLiteral("cTulosta")}});
    labels->trigger();
    ASSERT_EQ(printed.size(), 1u) << prompter.messageTexts().join(QLatin1Char('|')).toStdString();
    const qint64 expected = club.count(QStringLiteral("jmhist"),
                                       QStringLiteral("jmhjmLaskunumero >= 2100 AND jmhjmMaksettu = False"));
    EXPECT_GT(expected, 0);
    EXPECT_EQ(printed[0]->rowCount, expected);
    EXPECT_EQ(club.count(QStringLiteral("Tarra")), expected);
    EXPECT_EQ(MainReport().ReportFileName.section(QLatin1Char('/'), -1), QStringLiteral("tarrat.rpt"));
}

TEST_F(frmMaksutTest, InvoicingWindowPrintsTheRunInPrintOrder)
{
    installReports();
    club.setCounter(3002);
    InvoiceRunRequest run = club.request(RecipientKind::Feature, 7);
    const InvoiceRunResult result = InvoiceRun(club.db).run(run);
    ASSERT_EQ(result.added, 8) << result.message.toStdString();
    club.db.execute(
        QStringLiteral("UPDATE jm SET jmEmailed = True WHERE jmID IN (SELECT jmID FROM jm ORDER BY jmID LIMIT 2)"));
    std::vector<std::shared_ptr<const ReportDocument>> printed;
    MainReport().setOutputHandler(
        [&](std::shared_ptr<const ReportDocument> doc, const ReportEngine&) { printed.push_back(doc); });
    SetInvoicingHooks();
    auto w = test::openShown<frmMaksujenLuonti>();
    auto* print = Control<QAbstractButton>(*w, "cTulosta");
    EXPECT_TRUE(print->isEnabled());

    struct Case {
        bool onlyNotEmailed;
        size_t pages;
        const char* selection;
    };
    const Case cases[] = {{true, 6, "{jm.jmEmailed} = False"}, {false, 8, ""}};
    for (const Case& c : cases) {
        printed.clear();
        prompter.clear();
        prompter.answer(c.onlyNotEmailed ? MsgResult::Yes : MsgResult::No);
        answerDialogs({{QStringLiteral("frmLaskumalli"), QStringLiteral("cSeuraava")},
                       {QStringLiteral("frmTulostus"), QStringLiteral("cTulosta")}});
        print->click();
        ASSERT_EQ(printed.size(), 1u) << prompter.messageTexts().join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(printed[0]->pages.size(), c.pages);
        EXPECT_TRUE(
            prompter.anyMessageContains(QStringLiteral("Tulostetaanko vain ne laskut, joita ei lähetetty sähköpostitse?")));
        EXPECT_EQ(MainReport().SelectionFormula, QString::fromLatin1(c.selection));
        EXPECT_EQ(MainReport().SortFields(0), QStringLiteral("+{jm.jmTulostusJarjestysID}"));
        EXPECT_EQ(MainReport().ReportFileName.section(QLatin1Char('/'), -1), QStringLiteral("latilis1.rpt"));
    }
    // Every invoice got its place in the print order before the print.
    EXPECT_EQ(club.count(QStringLiteral("jm"), QStringLiteral("jmTulostusJarjestysID BETWEEN 0 AND 7")), 8);

    // The print dialog cancelled: nothing printed.
    printed.clear();
    answerDialogs({{QStringLiteral("frmLaskumalli"), QStringLiteral("cSeuraava")},
                   {QStringLiteral("frmTulostus"), QStringLiteral("cPeruTulostus")}});
    print->click();
    EXPECT_TRUE(printed.empty());
    w->close();
    WindowHooks::clear();
}

TEST_F(frmMaksutTest, CopiesAndListsOverARange)
{
    installReports();
    std::vector<std::shared_ptr<const ReportDocument>> printed;
    MainReport().setOutputHandler(
        [&](std::shared_ptr<const ReportDocument> doc, const ReportEngine&) { printed.push_back(doc); });
    auto w = openWindow();
    auto* copies = Control<QAbstractButton>(*w, "cKopiot");

    // Copies of the unpaid invoices 2100..2200: one page each, in the print order.
    prompter.answerYes();
    test::answerRange("2100", "2200", "optLaskunTila_2",
                      {{QStringLiteral("frmLaskumalli"), QStringLiteral("optLaskumalli_1")},
                       {QStringLiteral("frmLaskumalli"), QStringLiteral("cSeuraava")},
                       {QStringLiteral("frmTulostus"), QStringLiteral("cTulosta")}});
    copies->click();
    const qint64 unpaid = club.count(QStringLiteral("jmhist"),
                                     QStringLiteral("jmhjmLaskunumero BETWEEN 2100 AND 2200 AND jmhjmMaksettu = False"));
    ASSERT_GT(unpaid, 0);
    ASSERT_EQ(printed.size(), 1u) << prompter.messageTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(printed[0]->pages.size(), size_t(unpaid));
    EXPECT_EQ(MainReport().ReportFileName.section(QLatin1Char('/'), -1), QStringLiteral("lhlask1.rpt"));
    EXPECT_EQ(MainReport().SelectionFormula, QStringLiteral("{jmhist.jmhTulosta}=true"));
    EXPECT_EQ(club.count(QStringLiteral("jmhist"), QStringLiteral("jmhTulosta = True")), unpaid);

    // A range without invoices says so, naming the state chosen, and prints nothing.
    struct Empty {
        const char* state;
        const char* message;
    };
    const Empty empties[] = {
        {"optLaskunTila_0", "Ei löydy laskuja väliltä: 5000 - 6000"},
        {"optLaskunTila_1", "Ei löydy maksettuja laskuja väliltä: 5000 - 6000"},
        {"optLaskunTila_2", "Ei löydy maksamattomia laskuja väliltä: 5000 - 6000"},
    };
    for (const Empty& c : empties) {
        printed.clear();
        prompter.clear();
        prompter.answerYes();
        test::answerRange("5000", "6000", c.state,
                          {{QStringLiteral("frmLaskumalli"), QStringLiteral("cSeuraava")},
                           {QStringLiteral("frmTulostus"), QStringLiteral("cTulosta")}});
        copies->click();
        EXPECT_TRUE(printed.empty());
        EXPECT_EQ(prompter.messageTexts().value(1), QString::fromUtf8(c.message)) << c.state;
    }

    // The billing list of the paid invoices 2001..2010, with its heading; the next list offers the
    // same choices again.
    auto* list = Control<QAction>(*w, "mTulostallista");
    printed.clear();
    test::answerRange("2001", "2010", "optLaskunTila_1", {{QStringLiteral("frmTulostus"), QStringLiteral("cTulosta")}});
    list->trigger();
    ASSERT_EQ(printed.size(), 1u) << prompter.messageTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(printed[0]->rowCount,
              club.count(QStringLiteral("jmhist"),
                         QStringLiteral("jmhjmLaskunumero BETWEEN 2001 AND 2010 AND jmhjmMaksettu = True")));
    EXPECT_TRUE(printed[0]->pageLines(0).contains(QStringLiteral("LASKUTUSLISTA: 2001 - 2010 : Maksetut : Kaikki")));
    EXPECT_EQ(MainReport().SortFields(0), QStringLiteral("+{jmhist.jmhjmLaskunumero}"));
    printed.clear();
    answerDialogs({{QStringLiteral("frmLaskujenRajaus"), QStringLiteral("cSeuraava")},
                   {QStringLiteral("frmTulostus"), QStringLiteral("cTulosta")}});
    Control<QAction>(*w, "mTulostaViiteLista")->trigger();
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_TRUE(printed[0]->pageLines(0).contains(QStringLiteral("VIITELISTA: 2001 - 2010 : Maksetut : Kaikki")));
}

TEST_F(frmMaksutTest, DeletesAskFirst)
{
    auto w = openWindow();
    const qint64 all = club.count(QStringLiteral("jmhist"));
    const qint64 unpaid = club.count(QStringLiteral("jmhist"), QStringLiteral("jmhjmMaksettu = False"));
    prompter.answerNo();
    Control<QAction>(*w, "mPoistaMaksetut")->trigger();
    EXPECT_EQ(club.count(QStringLiteral("jmhist")), all);
    prompter.answerYes();
    Control<QAction>(*w, "mPoistaMaksetut")->trigger();
    EXPECT_EQ(club.count(QStringLiteral("jmhist")), unpaid);
    EXPECT_TRUE(prompter.anyMessageContains(QStringLiteral("Poistetaanko maksetut maksut historiasta?")));
    prompter.answerYes();
    Control<QAction>(*w, "mPoistaKaikki")->trigger();
    EXPECT_EQ(club.count(QStringLiteral("jmhist")), 0);
    EXPECT_GT(club.count(QStringLiteral("jmRivi")), 0);
}

TEST_F(frmMaksutTest, RangeDialogKeepsItsAnswerAndTheCloseBoxCancels)
{
    frmLaskujenRajaus d;
    EXPECT_TRUE(Control<QRadioButton>(d, "optLaskunTila_0")->isChecked());
    EXPECT_TRUE(Control<QRadioButton>(d, "optLaskurajaus_0")->isChecked());
    auto* from = Control<QLineEdit>(d, "tLaskunroAlku");
    auto* to = Control<QLineEdit>(d, "tLaskunroLoppu");
    QTest::keyClicks(from, QStringLiteral("12a3"));
    EXPECT_EQ(from->text(), QStringLiteral("123"));
    to->setText(QStringLiteral("200"));
    Control<QRadioButton>(d, "optLaskunTila_1")->setChecked(true);
    Control<QRadioButton>(d, "optLaskurajaus_2")->setChecked(true);
    answerDialogs({{QStringLiteral("frmLaskujenRajaus"), QStringLiteral("cSeuraava")}});
    ASSERT_TRUE(d.ask());
    EXPECT_EQ(d.range().listHeading(QStringLiteral("VIITELISTA")),
              QStringLiteral("VIITELISTA: 123 - 200 : Maksetut : Muut"));

    // Changed, then closed with the close box: nothing of it counts, and the dialog shows the
    // previous answer again.
    from->setText(QStringLiteral("1"));
    Control<QRadioButton>(d, "optLaskunTila_2")->setChecked(true);
    answerDialogs({{QStringLiteral("frmLaskujenRajaus"), QString()}});
    EXPECT_FALSE(d.ask());
    EXPECT_EQ(d.LaskunroAlku(), QStringLiteral("123"));
    EXPECT_EQ(d.LaskunTila(), 1);
    EXPECT_EQ(from->text(), QStringLiteral("123"));

    d.DeaktivoiLaskunTila(2);
    d.DeaktivoiLaskunLaji(0);
    auto* unpaid = Control<QRadioButton>(d, "optLaskunTila_2");
    EXPECT_TRUE(unpaid->isChecked());
    EXPECT_FALSE(unpaid->isEnabled());
    EXPECT_TRUE(Control<QRadioButton>(d, "optLaskurajaus_0")->isChecked());
    d.AktivoiKaikki();
    EXPECT_TRUE(unpaid->isEnabled());
}

TEST_F(frmMaksutTest, GridMarksARowWithOneGesture)
{
    auto w = test::openShown<frmMaksutListana>();
    ASSERT_TRUE(w->loaded());
    auto* grd = Control<QTableWidget>(*w, "grd");
    const qint64 unpaid = club.count(QStringLiteral("jmhist"), QStringLiteral("jmhjmMaksettu = False"));
    ASSERT_EQ(grd->rowCount(), unpaid);
    QStringList refs;
    for (int r = 0; r < grd->rowCount(); ++r)
        refs << grd->item(r, 1)->text();
    QStringList sorted = refs;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(refs, sorted);
    int row = -1;
    for (int r = 0; r < grd->rowCount(); ++r)
        if (grd->item(r, 0)->text() == QString::number(newId))
            row = r;
    ASSERT_GE(row, 0);
    EXPECT_EQ(grd->item(row, 3)->text().isEmpty(), false);

    grd->scrollTo(grd->model()->index(row, 1));
    const QPoint at = grd->visualRect(grd->model()->index(row, 1)).center();
    QTest::mouseClick(grd->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grd->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(grd->item(row, 2)->text(), QStringLiteral("Kyllä"));
    EXPECT_TRUE(paid(3001));
    // Enter on another row marks that one.
    const int other = row == 0 ? 1 : 0;
    const qint64 otherId = grd->item(other, 0)->text().toLongLong();
    grd->setCurrentCell(other, 1);
    QTest::keyClick(grd, Qt::Key_Return);
    EXPECT_EQ(grd->item(other, 2)->text(), QStringLiteral("Kyllä"));
    EXPECT_TRUE(club.field(QStringLiteral("SELECT jmhjmMaksettu FROM jmhist WHERE jmhID = ?"), {Value(otherId)}).toBool());
    EXPECT_EQ(grd->rowCount(), unpaid); // stays listed until the filter is chosen again
    Control<QRadioButton>(*w, "optFilter_0")->click();
    EXPECT_EQ(grd->rowCount(), unpaid - 2);
    Control<QRadioButton>(*w, "optFilter_2")->click();
    EXPECT_EQ(grd->rowCount(), club.count(QStringLiteral("jmhist")));
}

} // namespace
