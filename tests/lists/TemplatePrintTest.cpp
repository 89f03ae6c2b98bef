#include "members/MemberTestDb.h"

#include "db/Recordset.h"
#include "lists/DataPrinter.h"
#include "lists/DataPrinterLayout.h"
#include "lists/DataPrinterSettings.h"
#include "printing/ReportDefinition.h"
#include "printing/ReportEngine.h"
#include "printing/ReportError.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

constexpr double Mm = ReportDefinition::PointsPerMm;

struct WidthCase {
    const char* name;
    std::vector<double> mm;
    double tableMm;
    std::vector<double> expectedMm;
};

TEST(TemplatePrint, ColumnWidthsShareAndScale)
{
    const WidthCase cases[] = {
        {"fixed widths that fit stay", {40, 30}, 180, {40, 30}},
        {"zero widths share what is left", {40, 0, 0}, 180, {40, 70, 70}},
        {"too wide fixed widths are scaled down", {200, 100}, 180, {120, 60}},
        {"a zero width keeps a share beside too wide ones", {300, 0}, 180, {165, 15}},
        {"only zero widths split the table", {0, 0, 0, 0}, 180, {45, 45, 45, 45}},
    };
    for (const WidthCase& c : cases) {
        DataPrinterSettings s;
        for (double w : c.mm)
            s.AddColumn({}, {}, w);
        const std::vector<double> got = DataPrinter::ColumnWidths(s, c.tableMm * Mm);
        ASSERT_EQ(got.size(), c.expectedMm.size()) << c.name;
        for (std::size_t i = 0; i < got.size(); ++i)
            EXPECT_NEAR(got[i] / Mm, c.expectedMm[i], 0.01) << c.name << " column " << i;
    }
}

class TemplatePrintTest : public ::testing::Test {
protected:
    test::MemberTestDb club;

    void SetUp() override
    {
        club.db.execute(QStringLiteral("INSERT INTO jr (jrSukunimi, jrEtunimi, jrJasenmaksu, jrSyntyma) VALUES "
                                       "('Äijälä', 'Åke', 1, '1970-04-03 00:00:00')"));
        const qint64 a = club.db.lastInsertId();
        club.db.execute(QStringLiteral("INSERT INTO jr (jrSukunimi, jrJasenmaksu) VALUES ('Öhman', 0)"));
        const qint64 money = club.feature(QStringLiteral("Kausimaksu"));
        club.db.execute(QStringLiteral("INSERT INTO pt (ptjrID, ptpiID, ptValCurrency) VALUES (?, ?, 12.5)"),
                        {Value(a), Value(money)});
    }

    Recordset rows()
    {
        return club.db.openRecordset(
            QStringLiteral("SELECT jrSukunimi, jrEtunimi, jrJasenmaksu, jrSyntyma, ptValCurrency FROM jr "
                           "LEFT JOIN pt ON pt.ptjrID = jr.jrID ORDER BY jrSukunimi"),
            RecordsetType::Snapshot);
    }

    // The six-column template printed from the two members into layout.
    void print(DataPrinterLayout& layout, DataPrinter& p, const QString& criteria)
    {
        DataPrinterSettings s;
        columns(s);
        layout.Prepare(s.Orientation());
        Recordset rs = rows();
        p.PrintTable(QStringLiteral("Erämiehet ry"), rs, s, layout, true, criteria);
    }

    static void columns(DataPrinterSettings& s)
    {
        s.AddColumn(QStringLiteral("Sukunimi"), QStringLiteral("jrSukunimi"), 40);
        s.AddColumn(QStringLiteral("Etunimi"), QStringLiteral("jrEtunimi"), 30);
        s.AddColumn(QStringLiteral("Maksu"), QStringLiteral("jrJasenmaksu"), 20);
        s.AddColumn(QStringLiteral("Syntynyt"), QStringLiteral("jrSyntyma"), 25);
        s.AddColumn(QStringLiteral("Summa"), QStringLiteral("ptValCurrency"), 20);
        s.AddColumn(QStringLiteral("Outo"), QStringLiteral("jrEiOle"), 0);
    }
};

TEST_F(TemplatePrintTest, CellsAreFormattedAndAnUnknownFieldPrintsEmpty)
{
    DataPrinterLayout layout;
    DataPrinter p;
    print(layout, p, QStringLiteral("Jäsenmaksu maksettu"));
    const ReportDocument& doc = layout.Surface();
    ASSERT_EQ(doc.pages.size(), 1u);
    EXPECT_EQ(doc.rowCount, 2);
    const QStringList lines = doc.pageLines(0);
    ASSERT_GE(lines.size(), 6);
    EXPECT_EQ(lines[0], QStringLiteral("Erämiehet ry"));
    EXPECT_EQ(lines[1], QStringLiteral("Jäsenmaksu maksettu"));
    EXPECT_EQ(lines[2], QStringLiteral("Sukunimi Etunimi Maksu Syntynyt Summa Outo"));
    EXPECT_EQ(lines[3], QStringLiteral("Äijälä Åke Kyllä 3.4.1970 12,50"));
    EXPECT_EQ(lines[4], QStringLiteral("Öhman Ei"));
    EXPECT_EQ(lines[5], QStringLiteral("Sivu 1 / 1"));
    EXPECT_EQ(doc.pageSize.width() < doc.pageSize.height(), true);
}

// A width wider than the paper left no room for the other columns: the print is refused with the
// reason; one as wide as the paper, or as wide as the turned paper, prints.
TEST_F(TemplatePrintTest, AColumnWiderThanThePaperIsRefusedWithTheReason)
{
    struct Case {
        const char* typed;
        int orientation;
        const char* refusal; // empty: printed
    };
    const Case cases[] = {
        {"2 100", DataPrinterSettings::Portrait,
         "Sarakkeen 2 (Etunimi) leveys 2\u00a0100 mm on suurempi kuin paperin leveys 210 mm."},
        // An exponent is a typing slip, as in every other number box: no width, the column takes
        // its share.
        {"1e3", DataPrinterSettings::Portrait, ""},
        {"250,5", DataPrinterSettings::Portrait,
         "Sarakkeen 2 (Etunimi) leveys 250,5 mm on suurempi kuin paperin leveys 210 mm."},
        {"250.5", DataPrinterSettings::Landscape, ""},
        {"210", DataPrinterSettings::Portrait, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        DataPrinterSettings s;
        s.setOrientation(c.orientation);
        s.AddColumn(QStringLiteral("Sukunimi"), QStringLiteral("jrSukunimi"), 40);
        s.AddColumn(QStringLiteral("Etunimi"), QStringLiteral("jrEtunimi"),
                    DataPrinterColumn::ReadWidth(QString::fromLatin1(c.typed)));
        DataPrinterLayout layout;
        layout.Prepare(s.Orientation());
        Recordset rs = rows();
        QString refusal;
        try {
            DataPrinter().PrintTable(QStringLiteral("Erämiehet ry"), rs, s, layout, true, {});
        } catch (const ReportException& e) {
            refusal = e.description();
        }
        EXPECT_EQ(refusal.section(u'.', 0, 0).toStdString() + (refusal.isEmpty() ? "" : "."), c.refusal);
        if (refusal.isEmpty()) {
            EXPECT_EQ(layout.Surface().pageLines(0).value(1).toStdString(), "Sukunimi Etunimi");
        }
    }
}

TEST_F(TemplatePrintTest, HeadingsRepeatOnEveryPageAndLandscapeTurnsThePage)
{
    for (int i = 0; i < 150; ++i)
        club.member(Value(QStringLiteral("Jäsen %1").arg(i, 3, 10, QLatin1Char('0'))));
    DataPrinterSettings s;
    columns(s);
    s.setOrientation(DataPrinterSettings::Landscape);
    DataPrinterLayout layout;
    layout.Prepare(s.Orientation());
    Recordset rs = rows();
    DataPrinter p;
    p.PrintTable(QStringLiteral("Erämiehet ry"), rs, s, layout, true, {});
    const ReportDocument& doc = layout.Surface();
    EXPECT_EQ(doc.orientation, QPageLayout::Landscape);
    EXPECT_GT(doc.pageSize.width(), doc.pageSize.height());
    ASSERT_GE(doc.pages.size(), 3u);
    EXPECT_EQ(doc.rowCount, 152);
    int detail = 0;
    for (std::size_t page = 0; page < doc.pages.size(); ++page) {
        EXPECT_EQ(doc.sectionTexts(int(page), QStringLiteral("HEADER")).first(), QStringLiteral("Sukunimi")) << page;
        EXPECT_EQ(doc.sectionTexts(int(page), QStringLiteral("FOOTER")),
                  QStringList{QStringLiteral("Sivu %1 / %2").arg(page + 1).arg(doc.pages.size())});
        EXPECT_EQ(doc.sectionTexts(int(page), QStringLiteral("TITLE")).isEmpty(), page != 0);
        for (const ReportDocument::Item& it : doc.pages[page].items) {
            if (it.kind == ReportDocument::Item::Kind::Text && it.section == QStringLiteral("DETAIL")) {
                EXPECT_LT(it.rect.bottom(), doc.pageSize.height());
                if (it.rect.left() < 60)
                    ++detail;
            }
        }
    }
    EXPECT_EQ(detail, 152);
}

TEST_F(TemplatePrintTest, OneTemplateToPdfReadsBack)
{
    DataPrinterLayout layout;
    DataPrinter p;
    print(layout, p, QStringLiteral("EI (Kausimaksu)"));
    const QString pdf = club.env.root() + QStringLiteral("/pohja.pdf");
    MainReport().Destination = ReportEngine::ToFile;
    MainReport().PrintFileName = pdf;
    p.Finish(layout);
    MainReport().Destination = ReportEngine::ToWindow;
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString out = QString::fromUtf8(text.readAllStandardOutput());
    for (const char* expected :
         {"Erämiehet ry", "EI (Kausimaksu)", "Äijälä", "Åke", "3.4.1970", "12,50", "Öhman", "Sivu 1 / 1"})
        EXPECT_TRUE(out.contains(QString::fromUtf8(expected))) << expected << "\n" << out.toStdString();
}

} // namespace
