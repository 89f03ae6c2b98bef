#include "InvoiceTestDb.h"

#include "base/SharedState.h"
#include "db/Recordset.h"
#include "invoicing/AddressLabels.h"
#include "invoicing/InvoicePrintOrder.h"
#include "invoicing/InvoicePrints.h"
#include "invoicing/InvoiceRun.h"
#include "invoicing/Reminders.h"
#include "printing/ReportEngine.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

const QString kIban = QStringLiteral("FI49 5000 9420 0287 30");

class InvoiceReportsTest : public ::testing::Test {
protected:
    test::InvoiceTestDb club;

    // The built report files, in the test's own program folder.
    void SetUp() override
    {
        const QDir built(QStringLiteral(TIKKELI_PROGRAM_DIR "/reports"));
        const QString target = club.env.programFolder() + QStringLiteral("/reports");
        QDir().mkpath(target);
        for (const QString& f : built.entryList({QStringLiteral("*.rpt")}, QDir::Files))
            QFile::copy(built.filePath(f), target + QLatin1Char('/') + f);
    }

    std::shared_ptr<const ReportDocument> layout(const QString& file, const QString& selection, const QString& sort = {},
                                                 ReportEngine* engine = nullptr)
    {
        ReportEngine local;
        ReportEngine& e = engine ? *engine : local;
        e.ReportFileName = ReportFilePath(file);
        e.setDataFiles(0, club.path);
        e.SelectionFormula = selection;
        e.setFormulas(0, QStringLiteral("Seurannimi= 'Erämiesten Seura'"));
        e.setFormulas(1, QStringLiteral("IBAN1= '%1'").arg(kIban));
        e.setFormulas(2, QStringLiteral("BIC1= 'OKOYFIHH'"));
        if (!sort.isEmpty())
            e.setSortFields(0, sort);
        return e.layoutReport();
    }
    static QStringList allLines(const ReportDocument& doc)
    {
        QStringList out;
        for (int p = 0; p < int(doc.pages.size()); ++p)
            out += doc.pageLines(p);
        return out;
    }
    // Filled boxes and the bars of bar codes: what paints solid black.
    static int bars(const ReportDocument& doc, int page)
    {
        int n = 0;
        for (const auto& it : doc.pages[size_t(page)].items) {
            n += it.kind == ReportDocument::Item::Kind::Box && it.fill.isValid();
            if (it.kind == ReportDocument::Item::Kind::BarCode)
                n += int(it.bars.size());
        }
        return n;
    }
    // Nothing of a page nearer the paper's edge than the 5 mm a printer can reach.
    static void expectInsidePrintableArea(const ReportDocument& doc)
    {
        const double edge = 5.0 * 72.0 / 25.4 - 0.01, right = (210.0 - 5.0) * 72.0 / 25.4 + 0.01;
        for (std::size_t p = 0; p < doc.pages.size(); ++p)
            for (const auto& it : doc.pages[p].items) {
                if (it.kind == ReportDocument::Item::Kind::Line) {
                    EXPECT_GE(std::min(it.line.x1(), it.line.x2()), edge) << "a line on page " << p;
                    EXPECT_LE(std::max(it.line.x1(), it.line.x2()), right) << "a line on page " << p;
                } else if (!it.text.trimmed().isEmpty() || it.kind != ReportDocument::Item::Kind::Text) {
                    EXPECT_GE(it.rect.left(), edge) << it.text.toStdString();
                    EXPECT_LE(it.rect.right(), right) << it.text.toStdString();
                }
            }
    }
    static bool anyLineContains(const QStringList& lines, const QString& part)
    {
        for (const QString& l : lines)
            if (l.contains(part))
                return true;
        return false;
    }
};

TEST_F(InvoiceReportsTest, HistoryInvoiceOnEachLayout)
{
    const qint64 id = club.field(QStringLiteral("SELECT jmhID FROM jmhist WHERE jmhjmLaskunumero = 2001")).toInt64();
    const qint64 rows = club.count(QStringLiteral("jmRivi"),
                                   QStringLiteral("jmRjmID = (SELECT jmhjmID FROM jmhist WHERE jmhID = ?)"), {Value(id)});
    ASSERT_GT(rows, 0);
    struct Case {
        const char* file;
        bool form;
        const char* title;
    };
    const Case cases[] = {
        {"lhtilis1.rpt", true, "LASKU"},
        {"lhtilis2.rpt", true, "LASKU - FAKTURA"},
        {"lhlask1.rpt", false, "LASKU"},
        {"lhlask2.rpt", false, "LASKU - FAKTURA"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        auto doc = layout(QString::fromLatin1(c.file), QStringLiteral("{jmhist.jmhID}=%1").arg(id));
        ASSERT_EQ(doc->pages.size(), 1u);
        EXPECT_EQ(doc->rowCount, rows);
        const QStringList lines = doc->pageLines(0);
        EXPECT_TRUE(anyLineContains(lines, QString::fromUtf8(c.title)));
        EXPECT_TRUE(anyLineContains(lines, QStringLiteral("Sören Juhani Hirvonen")));
        EXPECT_TRUE(anyLineContains(lines, QStringLiteral("20019")));
        EXPECT_TRUE(anyLineContains(lines, QStringLiteral("40,00")));
        EXPECT_EQ(anyLineContains(lines, QStringLiteral("Mottagare")), c.form && QByteArray(c.file).contains('2'));
        // A history invoice printed again is a copy and says so.
        EXPECT_TRUE(anyLineContains(lines, QStringLiteral("KOPIO")));
        if (c.form)
            expectInsidePrintableArea(*doc);
        if (c.form)
            EXPECT_GT(bars(*doc, 0), 20); // the bar code's bars
        else
            EXPECT_EQ(bars(*doc, 0), 0);
    }
}

TEST_F(InvoiceReportsTest, RunInvoicesPrintOnePagePerInvoiceInPrintOrder)
{
    InvoiceRunRequest r = club.request(RecipientKind::Feature, 7);
    ASSERT_EQ(InvoiceRun(club.db).run(r).added, 8);
    InvoicePrintOrder::NumberInvoicePrintOrder(club.db, 0);
    for (const char* file : {"latilis1.rpt", "latilis2.rpt", "lalask1.rpt", "lalask2.rpt"}) {
        SCOPED_TRACE(file);
        auto doc = layout(QString::fromLatin1(file), {}, QStringLiteral("+{jm.jmTulostusJarjestysID}"));
        ASSERT_EQ(doc->pages.size(), 8u);
        EXPECT_EQ(doc->rowCount, 16); // two rows per invoice
        // Pages follow the print order, each with its two rows and the total 45,50.
        Recordset rs = club.db.openRecordset(QStringLiteral("SELECT jmViitenumero FROM jm ORDER BY jmTulostusJarjestysID"),
                                             RecordsetType::Snapshot);
        for (int p = 0; !rs.eof(); rs.moveNext(), ++p) {
            const QStringList lines = doc->pageLines(p);
            EXPECT_TRUE(anyLineContains(lines, rs.field(0).toString())) << p;
            EXPECT_TRUE(anyLineContains(lines, QStringLiteral("Jäsenmaksu 40,00"))) << p;
            EXPECT_TRUE(anyLineContains(lines, QStringLiteral("Lehti 5,50"))) << p;
            EXPECT_TRUE(anyLineContains(lines, QStringLiteral("45,50"))) << p;
            EXPECT_TRUE(anyLineContains(lines, QStringLiteral("Kiitos tuesta!"))) << p;
            EXPECT_FALSE(anyLineContains(lines, QStringLiteral("KOPIO"))) << p;
        }
        if (QByteArray(file).contains("tilis"))
            expectInsidePrintableArea(*doc);
    }
    // One member's invoice alone.
    const qint64 member = club.field(QStringLiteral("SELECT jmjrID FROM jm ORDER BY jmID LIMIT 1")).toInt64();
    auto one = layout(QStringLiteral("latilis1.rpt"), QStringLiteral("{jm.jmjrID}=%1").arg(member));
    EXPECT_EQ(one->pages.size(), 1u);
}

TEST_F(InvoiceReportsTest, ReferenceListRowsAndTotals)
{
    auto doc = layout(QStringLiteral("jmvlista.rpt"), QStringLiteral("{jmhist.jmhjmMaksettu} = false"));
    const qint64 unpaid = club.count(QStringLiteral("jmhist"), QStringLiteral("jmhjmMaksettu = False"));
    EXPECT_EQ(doc->rowCount, unpaid);
    const QStringList summary = doc->sectionTexts(int(doc->pages.size()) - 1, QStringLiteral("SUMMARY"));
    const Currency total =
        club.field(QStringLiteral("SELECT TOTAL(jmhjmHinta) FROM jmhist WHERE jmhjmMaksettu = 0")).toCurrency();
    EXPECT_EQ(summary, (QStringList{QStringLiteral("Laskuja: %1").arg(unpaid), "Yhteensä:", total.toString(),
                                    "Maksamatta:", total.toString()}));
    EXPECT_TRUE(doc->pageLines(0).contains(QStringLiteral("VIITELISTA")));
    auto all = layout(QStringLiteral("jmvlista.rpt"), {});
    EXPECT_EQ(all->rowCount, club.count(QStringLiteral("jmhist")));
    // The first detail line: the smallest invoice number.
    EXPECT_EQ(all->sectionTexts(0, QStringLiteral("DETAIL")).mid(0, 5),
              (QStringList{"20019", "2001", "Hirvonen Sören Juhani", "40,00", "X"}));
}

TEST_F(InvoiceReportsTest, LabelsOfAnInvoiceRange)
{
    InvoicePrintOrder::NumberReminderPrintOrder(club.db, 1);
    ASSERT_EQ(AddressLabels::PrepareLabels(club.db, HistoryRange{QStringLiteral("2001"), QStringLiteral("2030"), 0, 0}), 30);
    auto doc = layout(QStringLiteral("tarrat.rpt"), {}, QStringLiteral("+{Tarra.Tarra_ID}"));
    EXPECT_EQ(doc->rowCount, 30);
    ASSERT_EQ(doc->pages.size(), 2u); // 24 labels a sheet
    // The first label is the invoice with the smallest postcode.
    const QString first = club.field(QStringLiteral(
                                         "SELECT jmhjmLaskOsoite1 FROM jmhist WHERE jmhjmLaskunumero BETWEEN 2001 AND 2030"
                                         " ORDER BY jmhjmLaskPostinumero, jmhID LIMIT 1"))
                              .toString();
    EXPECT_EQ(doc->sectionTexts(0, QStringLiteral("DETAIL")).value(0), first);
}

TEST_F(InvoiceReportsTest, InvoiceToPdfWithADecodableBarCode)
{
    for (const char* tool : {"pdftotext", "pdftoppm", "zbarimg"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            GTEST_SKIP() << tool << " missing (scripts/setup installs it)";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const qint64 id = club.field(QStringLiteral("SELECT jmhID FROM jmhist WHERE jmhjmLaskunumero = 2035")).toInt64();
    club.db.execute(
        QStringLiteral("UPDATE jmhist SET jmhjmHinta = 45.5, jmhjmErapaiva = '2027-02-15 00:00:00' WHERE jmhID = ?"),
        {Value(id)});
    const QString reference =
        club.field(QStringLiteral("SELECT jmhjmViitenumero FROM jmhist WHERE jmhID = ?"), {Value(id)}).toString();
    ReportEngine e;
    e.Destination = ReportEngine::ToFile;
    e.PrintFileName = dir.filePath(QStringLiteral("lasku.pdf"));
    e.ReportFileName = ReportFilePath(QStringLiteral("lhtilis2.rpt"));
    e.setDataFiles(0, club.path);
    e.SelectionFormula = QStringLiteral("{jmhist.jmhID}=%1").arg(id);
    e.setFormulas(0, QStringLiteral("IBAN1= '%1'").arg(kIban));
    e.PrintReport();

    QProcess text;
    text.start(QStringLiteral("pdftotext"), {e.PrintFileName, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(60000));
    const QString pdfText = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(pdfText.contains(reference));
    EXPECT_TRUE(pdfText.contains(kIban));
    EXPECT_TRUE(pdfText.contains(QStringLiteral("15.2.2027")));
    EXPECT_TRUE(pdfText.contains(QStringLiteral("Mottagarens")));

    QProcess render;
    render.start(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-png"), QStringLiteral("-singlefile"),
                  e.PrintFileName, dir.filePath(QStringLiteral("sivu"))});
    ASSERT_TRUE(render.waitForFinished(60000));
    QProcess scan;
    scan.start(QStringLiteral("zbarimg"),
               {QStringLiteral("--quiet"), QStringLiteral("--raw"), dir.filePath(QStringLiteral("sivu.png"))});
    ASSERT_TRUE(scan.waitForFinished(60000));
    const QString decoded = QString::fromLatin1(scan.readAllStandardOutput()).trimmed();
    const QString expected = QStringLiteral("4") + QStringLiteral("4950009420028730") + QStringLiteral("000045")
                             + QStringLiteral("50") + QStringLiteral("000") + reference.rightJustified(20, QLatin1Char('0'))
                             + QStringLiteral("270215");
    ASSERT_EQ(expected.size(), 54);
    EXPECT_EQ(decoded, expected);
}

// Two reminders recorded on 17.3.2027 at 8 % with a fee of 5,00: invoice 2054 made 100,00 due
// 30 days before, invoice 2057 (45,00 due 2.3.2026) 380 days overdue.
class ReminderReportTest : public InvoiceReportsTest {
protected:
    QString reference2054;

    void SetUp() override
    {
        InvoiceReportsTest::SetUp();
        SharedState& s = State();
        s.ReminderFee = *Currency::parse(QStringLiteral("5"));
        s.LateInterestRate = 8.0;
        s.ReminderTitle = QStringLiteral("MAKSUMUISTUTUS");
        s.ReminderOpening = QStringLiteral("Lasku on vielä maksamatta.");
        s.ReminderClosing = QStringLiteral("Jos olet jo maksanut, muistutus on aiheeton.");
        s.ClubName = QStringLiteral("Erämiehet ry");
        s.Iban1 = kIban;
        club.db.execute(QStringLiteral("UPDATE jmhist SET jmhjmHinta = 100, jmhjmErapaiva = '2027-02-15 00:00:00'"
                                       " WHERE jmhjmLaskunumero = 2054"));
        reference2054 =
            club.field(QStringLiteral("SELECT jmhjmViitenumero FROM jmhist WHERE jmhjmLaskunumero = 2054")).toString();
        ASSERT_EQ(Reminders::CreateReminders(club.db, {2054, 2057}, QDate(2027, 3, 17)), 2);
        // By name: Heikkilä's 2057 before Mattila's 2054.
        InvoicePrintOrder::NumberReminderPrintOrder(club.db, 0);
    }
    void TearDown() override { MainReport() = ReportEngine{}; }
};

TEST_F(ReminderReportTest, OnePagePerReminderWithTheRecordedAmounts)
{
    InvoicePrints::PrepareReminders(false);
    EXPECT_EQ(MainReport().ReportFileName.section(QLatin1Char('/'), -1), QStringLiteral("mutilis1.rpt"));
    auto doc = MainReport().layoutReport();
    ASSERT_EQ(doc->pages.size(), 2u);
    EXPECT_EQ(doc->rowCount, 2);
    expectInsidePrintableArea(*doc);

    struct Case {
        int page;
        QStringList detail;
        const char* total;
    };
    const Case cases[] = {
        {0,
         {"Jäsenmaksu 2026, lasku 2057: maksamatta", "45,00", "Viivästyskorko 8 % ajalta 2.3.2026 - 17.3.2027", "3,75",
          "Muistutuskulut", "5,00", "Maksettava yhteensä", "53,75", "Jos olet jo maksanut, muistutus on aiheeton."},
         "53,75"},
        {1,
         {"Jäsenmaksu 2026, lasku 2054: maksamatta", "100,00", "Viivästyskorko 8 % ajalta 15.2.2027 - 17.3.2027", "0,66",
          "Muistutuskulut", "5,00", "Maksettava yhteensä", "105,66", "Jos olet jo maksanut, muistutus on aiheeton."},
         "105,66"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        EXPECT_EQ(doc->sectionTexts(c.page, QStringLiteral("DETAIL")), c.detail);
        const QStringList lines = doc->pageLines(c.page);
        for (const char* part : {"Erämiehet ry", "MAKSUMUISTUTUS", "Muistutuspäivä 17.3.2027", "Muistutus nro 1",
                                 "Lasku on vielä maksamatta.", "TILISIIRTO", "HETI"})
            EXPECT_TRUE(anyLineContains(lines, QString::fromUtf8(part))) << part;
        EXPECT_TRUE(doc->sectionTexts(c.page, QStringLiteral("GF2")).contains(QString::fromLatin1(c.total)));
        EXPECT_GT(bars(*doc, c.page), 20); // the bar code's bars
    }
    EXPECT_TRUE(anyLineContains(doc->pageLines(1), reference2054));

    // A second reminder of the same invoice carries the next number; e-mailed ones can be left out.
    ASSERT_EQ(Reminders::CreateReminders(club.db, {2054, 2054}, QDate(2027, 3, 17)), 1);
    club.db.execute(QStringLiteral("UPDATE jmhist SET jmhMuistutusEmailed = True WHERE jmhjmLaskunumero = 2057"));
    club.db.execute(QStringLiteral("UPDATE jmhist SET jmhTulosta = True WHERE jmhjmLaskunumero = 2057"));
    InvoicePrints::PrepareReminders(true);
    doc = MainReport().layoutReport();
    ASSERT_EQ(doc->pages.size(), 1u);
    EXPECT_TRUE(anyLineContains(doc->pageLines(0), QStringLiteral("Muistutus nro 2")));
    EXPECT_TRUE(anyLineContains(doc->pageLines(0), QStringLiteral("2054")));
}

TEST_F(ReminderReportTest, ToPdfWithTheTotalInTheBarCode)
{
    for (const char* tool : {"pdftotext", "pdftoppm"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            GTEST_SKIP() << tool << " missing (scripts/setup installs it)";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    club.db.execute(QStringLiteral("UPDATE jmhist SET jmhTulosta = False WHERE jmhjmLaskunumero = 2057"));
    InvoicePrints::PrepareReminders(false);
    ReportEngine& e = MainReport();
    e.Destination = ReportEngine::ToFile;
    e.PrintFileName = dir.filePath(QStringLiteral("muistutus.pdf"));
    e.PrintReport();

    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), e.PrintFileName, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(60000));
    const QString pdfText = QString::fromUtf8(text.readAllStandardOutput());
    for (const QString& part : {QStringLiteral("MAKSUMUISTUTUS"), QStringLiteral("105,66"), QStringLiteral("0,66"),
                                reference2054, kIban, QStringLiteral("HETI"), QStringLiteral("Lasku on vielä maksamatta.")})
        EXPECT_TRUE(pdfText.contains(part)) << part.toStdString();
    EXPECT_EQ(pdfText.count(QLatin1Char('\f')), 1); // one page

    const QByteArray shots = qgetenv("TIKKELI_SCREENSHOT_DIR");
    QProcess render;
    render.start(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-png"), QStringLiteral("-singlefile"),
                  e.PrintFileName, dir.filePath(QStringLiteral("sivu"))});
    ASSERT_TRUE(render.waitForFinished(60000));
    if (!shots.isEmpty())
        QFile::copy(e.PrintFileName, QString::fromLocal8Bit(shots) + QStringLiteral("/mutilis1.pdf"));
    if (QStandardPaths::findExecutable(QStringLiteral("zbarimg")).isEmpty())
        GTEST_SKIP() << "zbarimg missing (scripts/setup installs it): the bar code was not read back";
    QProcess scan;
    scan.start(QStringLiteral("zbarimg"),
               {QStringLiteral("--quiet"), QStringLiteral("--raw"), dir.filePath(QStringLiteral("sivu.png"))});
    ASSERT_TRUE(scan.waitForFinished(60000));
    // The total in whole cents and no due date: the reminder is to be paid at once.
    const QString expected = QStringLiteral("4") + QStringLiteral("4950009420028730") + QStringLiteral("000105")
                             + QStringLiteral("66") + QStringLiteral("000")
                             + reference2054.rightJustified(20, QLatin1Char('0')) + QStringLiteral("000000");
    EXPECT_EQ(QString::fromLatin1(scan.readAllStandardOutput()).trimmed(), expected);
}

} // namespace
