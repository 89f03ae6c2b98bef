#include "catch/CatchList.h"
#include "catch/CatchReport.h"
#include "CatchTestDb.h"
#include "db/DbError.h"
#include "printing/PrintChoices.h"
#include "printing/ReportEngine.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tikkeli;
using test::CatchTestDb;

namespace {

CatchReportRequest sampleRequest()
{
    CatchReportRequest r;
    r.species = QStringLiteral("Hirvi");
    r.permitNumber = QStringLiteral("2026-1-400-01234-5");
    r.permitHolder = QStringLiteral("Erämiehet ry");
    r.counts = {4, 7, 1, 6};
    r.policePermitsMoose = QStringLiteral("2");
    r.policePermitsDeer = QStringLiteral("1");
    r.area = QStringLiteral("1200");
    r.leftMoose = QStringLiteral("35");
    r.leftWhiteTailedDeer = QStringLiteral("60");
    r.leftRoeDeer = QStringLiteral("12");
    r.leftFallowDeer = QStringLiteral("0");
    return r;
}

// The sample's report laid out into pages, as the print would hand it.
std::shared_ptr<const ReportDocument> layOut(const CatchTestDb& t, const CatchReportRequest& r, ReportEngine& e)
{
    e.ReportFileName = ReportFilePath(CatchReport::reportFile());
    e.setDataFiles(0, t.path);
    const QStringList formulas = CatchReport::formulas(QStringLiteral("Erämiehet ry"), r);
    for (int i = 0; i < formulas.size(); ++i)
        e.setFormulas(i, formulas[i]);
    e.SelectionFormula = CatchReport::selection(r.species);
    return e.layoutReport();
}

} // namespace

TEST(CatchReportTest, TheSeventeenFormulasInTheirOrder)
{
    CatchReportRequest r = sampleRequest();
    r.permitHolder = QStringLiteral("O'Brien & Co");
    EXPECT_EQ(CatchReport::formulas(QStringLiteral("Erämiehet ry"), r),
              (QStringList{"Seurannimi= 'Erämiehet ry'", "HirviElainLaji= 'Hirvi'", "Lupanumero= '2026-1-400-01234-5'",
                           "Luvansaaja= 'O'Brien & Co'", "SumAikU= '4'", "SumAikN= '7'", "SumVasaU= '1'", "SumVasaN= '6'",
                           "SumAikYht= '11'", "SumVasaYht= '7'", "PolLupaA= '2'", "PolLupaV= '1'", "JHirvia= '35'",
                           "JValkoH= '60'", "JMetsaK= '12'", "JKuusiP= '0'",
                           "LupaAlueenPintaAla= 'Lupa-alueelle, jonka pinta-ala on 1200 ha jäi metsästyksen jälkeen:'"}));
    EXPECT_EQ(ReportEngine::parseFormula(CatchReport::formulas(QString(), r)[3])->second, QStringLiteral("O'Brien & Co"));
}

TEST(CatchReportTest, TheSelectionHoldsTheSpeciesAsAValue)
{
    CatchTestDb t(CatchTestDb::Source::Sample);
    EXPECT_EQ(CatchReport::selection(QStringLiteral("Metsä'kauris")), QStringLiteral("{si.siLaji} like 'Metsä''kauris'"));
    t.add(QStringLiteral("Metsä'kauris"), QDate(2026, 10, 1));
    t.add(QStringLiteral("Metsä'kauris"), QDate(2026, 10, 2));
    const std::pair<const char*, int> cases[] = {{"Metsä'kauris", 2},
                                                 {"Hirvi", 18},
                                                 {"Valkohäntäpeura", 8},
                                                 {"", 0},
                                                 {"' or '1' = '1", 0}};
    for (const auto& [species, rows] : cases) {
        CatchReportRequest r = sampleRequest();
        r.species = QString::fromUtf8(species);
        ReportEngine e;
        EXPECT_EQ(layOut(t, r, e)->rowCount, rows) << species;
    }
}

TEST(CatchReportTest, ASpeciesIsOneHoweverItsLettersAreCased)
{
    CatchTestDb t(CatchTestDb::Source::Sample);
    t.add(QStringLiteral("hirvi"), QDate(2026, 10, 9), false, false);
    // Wildcards of a pattern are only themselves in a species.
    t.add(QStringLiteral("Hirvi*"), QDate(2026, 10, 10));
    t.add(QStringLiteral("Hirv_"), QDate(2026, 10, 11));
    struct Case {
        const char* species;
        int rows;
        CatchCounts counts;
    };
    const Case cases[] = {{"Hirvi", 19, {4, 7, 1, 7}},
                          {"hirvi", 19, {4, 7, 1, 7}},
                          {"HIRVI", 19, {4, 7, 1, 7}},
                          {"hirvi*", 1, {1, 0, 0, 0}},
                          {"Hirv_", 1, {1, 0, 0, 0}},
                          {"Hirv?", 0, {}},
                          {"Hirv%", 0, {}},
                          {"[H]irvi", 0, {}}};
    for (const Case& c : cases) {
        CatchReportRequest r = sampleRequest();
        r.species = QString::fromUtf8(c.species);
        ReportEngine e;
        EXPECT_EQ(layOut(t, r, e)->rowCount, c.rows) << c.species;
        EXPECT_EQ(CatchCounts::of(t.db, r.species), c.counts) << c.species;
    }
    EXPECT_EQ(CatchList::deleteSpecies(t.db, QStringLiteral("HIRVI")), 19);
}

TEST(CatchReportTest, PermitNumberAndHolderAreBackAfterARestart)
{
    CatchTestDb t;
    EXPECT_EQ(CatchReport::permitNumber(t.db), QString());
    CatchReport::rememberPermit(t.db, QStringLiteral("2026-1-400-00001-1"), QStringLiteral("Hirvimiehet ry"));
    t.db.close();
    ConnectionRegistry::closeAll(t.path);
    Database reopened = Database::open(t.path);
    EXPECT_EQ(CatchReport::permitNumber(reopened), QStringLiteral("2026-1-400-00001-1"));
    EXPECT_EQ(CatchReport::permitHolder(reopened), QStringLiteral("Hirvimiehet ry"));
    CatchReport::rememberPermit(reopened, QString(), QStringLiteral("Hirvimiehet ry"));
    EXPECT_EQ(CatchReport::permitNumber(reopened), QString());
}

TEST(CatchReportTest, PrepareSetsTheReportItsPageMarginsAndTheChoices)
{
    CatchTestDb t;
    State().ClubName = QStringLiteral("Erämiehet ry");
    State().MarginTop = 10;
    State().MarginBottom = 20;
    State().MarginLeft = 30;
    State().MarginRight = 40;
    State().PrintCopies = 3;
    Printing().PrintDestination = 1;
    ReportEngine& r = MainReport();
    // What an earlier print of labels left on the control.
    r.MarginTop = r.MarginBottom = r.MarginLeft = r.MarginRight = 999;
    r.setSectionFont(0, QStringLiteral("ALL;Arial;8;X;X;X;X"));
    CatchReport::prepare(sampleRequest());
    EXPECT_EQ(r.ReportFileName, ReportFilePath(QStringLiteral("si.rpt")));
    EXPECT_EQ(r.MarginTop, qint16(480));
    EXPECT_EQ(r.MarginBottom, qint16(960));
    EXPECT_EQ(r.MarginLeft, qint16(1440));
    EXPECT_EQ(r.MarginRight, qint16(1920));
    EXPECT_EQ(r.SectionFont(0), QString());
    EXPECT_EQ(r.Destination, 1);
    EXPECT_EQ(r.CopiesToPrinter, 3);
    EXPECT_EQ(r.Formulas(0), QStringLiteral("Seurannimi= 'Erämiehet ry'"));
    EXPECT_EQ(r.Formulas(16).left(31), QStringLiteral("LupaAlueenPintaAla= 'Lupa-aluee"));
    EXPECT_EQ(r.SelectionFormula, QStringLiteral("{si.siLaji} like 'Hirvi'"));
    MainReport() = ReportEngine{};
    Printing() = PrintChoices{};
}

TEST(CatchReportTest, TheSampleMooseReportLinesInDateOrderWithTheSummary)
{
    CatchTestDb t(CatchTestDb::Source::Sample);
    ReportEngine e;
    const auto doc = layOut(t, sampleRequest(), e);
    ASSERT_EQ(doc->pages.size(), 1u);
    EXPECT_EQ(doc->rowCount, 18);
    const QStringList lines = doc->pageLines(0);
    const QRegularExpression dated(QStringLiteral("^(\\d{1,2})\\.(\\d{1,2})\\.2026 "));
    QStringList detail;
    for (const QString& line : lines)
        if (dated.match(line).hasMatch())
            detail << line;
    ASSERT_EQ(detail.size(), 18) << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(detail.first(), QStringLiteral("3.10.2026 Sammalkylän tienvarsi Jari Mäkinen Aikuinen Naaras"));
    EXPECT_EQ(detail[1], QStringLiteral("3.10.2026 Rantalan suo Tapio Järvinen Aikuinen Uros 3 2 X"));
    EXPECT_EQ(detail[2], QStringLiteral("6.10.2026 Pirttimäen hakkuu Jyrki Väisänen Vasa Naaras X X"));
    EXPECT_EQ(detail.last(), QStringLiteral("25.11.2026 Kuusiston metsä Ari Hirvonen Vasa Naaras"));
    QDate previous;
    for (const QString& line : detail) {
        const QDate d = QDate::fromString(line.section(QLatin1Char(' '), 0, 0), QStringLiteral("d.M.yyyy"));
        EXPECT_LE(previous, d) << line.toStdString();
        previous = d;
    }
    EXPECT_TRUE(lines.first().startsWith(QStringLiteral("Erämiehet ry "))) << "the club and the print date";
    for (const char* expected :
         {"Saalisilmoitus", "Hirvieläinlaji: Hirvi", "Lupanumero: 2026-1-400-01234-5", "Luvansaaja: Erämiehet ry",
          "Uros Naaras Yhteensä", "Aikuinen 4 7 11", "Vasa 1 6 7", "Hirviä: 2 Valkohäntäpeuroja: 1",
          "Lupa-alueelle, jonka pinta-ala on 1200 ha jäi metsästyksen jälkeen:", "Hirviä: 35", "Valkohäntäpeuroja: 60",
          "Metsäkauriita: 12", "Kuusipeuroja: 0"})
        EXPECT_TRUE(lines.contains(QString::fromUtf8(expected))) << expected << "\n"
                                                                 << lines.join(QLatin1Char('\n')).toStdString();
}

TEST(CatchReportTest, ThePrintToPdfReadsBack)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext missing (scripts/setup installs it)";
    CatchTestDb t(CatchTestDb::Source::Sample);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ReportEngine e;
    e.Destination = ReportEngine::ToFile;
    e.PrintFileName = dir.filePath(QStringLiteral("saalis.pdf"));
    layOut(t, sampleRequest(), e);
    e.PrintReport();
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), e.PrintFileName, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(60000));
    const QString pdf = QString::fromUtf8(text.readAllStandardOutput());
    for (const char* expected : {"Saalisilmoitus", "Hirvieläinlaji:", "2026-1-400-01234-5", "Sammalkylän tienvarsi",
                                 "25.11.2026", "Saalisyhteenveto", "jäi metsästyksen jälkeen:"})
        EXPECT_TRUE(pdf.contains(QString::fromUtf8(expected))) << expected << "\n" << pdf.toStdString();
    EXPECT_FALSE(pdf.contains(QStringLiteral("Valkohäntäpeura ")) && pdf.contains(QStringLiteral("Tiina Åberg")))
        << "only the species chosen";
}

TEST(CatchReportTest, PermitNumberAndHolderAreKeptTogetherOrNotAtAll)
{
    CatchTestDb t(CatchTestDb::Source::Sample);
    for (const char* when : {"INSERT", "UPDATE"})
        t.db.execute(QStringLiteral("CREATE TRIGGER lukko_%1 BEFORE %1 ON Settings WHEN NEW.setKey = 'Luvansaaja' "
                                    "BEGIN SELECT RAISE(ABORT, 'asetus lukittu'); END")
                         .arg(QLatin1String(when)));
    EXPECT_THROW(CatchReport::rememberPermit(t.db, QStringLiteral("2027-1-1"), QStringLiteral("Uusi seura")), DbException);
    EXPECT_EQ(CatchReport::permitNumber(t.db), QStringLiteral("2026-1-400-01234-5"));
    EXPECT_EQ(CatchReport::permitHolder(t.db), QStringLiteral("Erämiehet ry"));
}
