#include "contracts/ContractReportCriteria.h"
#include "contracts/ContractReports.h"
#include "db/Recordset.h"
#include "printing/PrintChoices.h"
#include "printing/ReportEngine.h"
#include "ContractTestDb.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tikkeli;
using test::ContractTestDb;
using Cmd = ContractReports::Command;

namespace {

// The sample club with every report file of the build in its program folder.
class ContractReportsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.stageAllReports();
        State().ClubName = QStringLiteral("Erämiesten 'Hirvi' ry");
        State().PrintCopies = 2;
        Printing().PrintDestination = 1;
        c = ContractCriteria{};
    }
    void TearDown() override
    {
        MainReport() = ReportEngine{};
        Printing() = PrintChoices{};
        State().MarginLeft = State().LabelMarginLeft = State().MarginTop = State().LabelMarginTop = 0;
    }

    // Prepares the command and lays its report out.
    QString run(Cmd command)
    {
        ContractReports::prepare(t.db, command, c);
        const auto doc = MainReport().layoutReport();
        if (!doc)
            return {};
        QStringList lines;
        for (int p = 0; p < int(doc->pages.size()); ++p)
            lines += doc->pageLines(p);
        return lines.join(QLatin1Char('\n'));
    }
    QString file() const { return QFileInfo(MainReport().ReportFileName).fileName(); }
    QString formula(int i) const { return MainReport().Formulas(i); }
    QList<qint64> selected()
    {
        QList<qint64> ids;
        Recordset rs = t.db.openRecordset(QStringLiteral("SELECT vsID FROM vs WHERE vsMukaan = 1 ORDER BY vsID"),
                                          RecordsetType::Snapshot);
        for (; !rs.eof(); rs.moveNext())
            ids.push_back(rs.field(0).toInt64());
        return ids;
    }
    QStringList summaryLessors()
    {
        QStringList names;
        Recordset rs = t.db.openRecordset(QStringLiteral("SELECT mvsOmistaja FROM mvs ORDER BY mvsID"),
                                          RecordsetType::Snapshot);
        for (; !rs.eof(); rs.moveNext())
            names += rs.field(0).toString();
        return names;
    }
    static bool lineWith(const QString& text, const QString& a, const QString& b)
    {
        for (const QString& line : text.split(QLatin1Char('\n')))
            if (line.contains(a) && line.contains(b))
                return true;
        return false;
    }
    void expectStandardJob(const char* reportFile, bool clubName = true)
    {
        EXPECT_EQ(file(), QString::fromUtf8(reportFile));
        EXPECT_EQ(MainReport().Destination, 1);
        EXPECT_EQ(MainReport().CopiesToPrinter, 2);
        EXPECT_EQ(formula(0), clubName ? QStringLiteral("Seurannimi= 'Erämiesten 'Hirvi' ry'") : QString());
    }

    ContractTestDb t{ContractTestDb::Source::Sample};
    ContractCriteria c;
};

} // namespace

TEST_F(ContractReportsTest, EveryCommandHasItsMenuItemAndDialogs)
{
    QStringList items;
    for (int i = 0; i < ContractReports::CommandCount; ++i)
        items += ContractReports::menuItem(Cmd(i));
    items.removeDuplicates();
    EXPECT_EQ(items.size(), ContractReports::CommandCount);
    EXPECT_EQ(ContractReports::dialogs(Cmd::AnimalCompact), ContractReports::AnimalDialog | ContractReports::ValidityDialog);
    EXPECT_EQ(ContractReports::dialogs(Cmd::RentList), ContractReports::RentDialog);
    EXPECT_EQ(ContractReports::dialogs(Cmd::FeatureCompact), ContractReports::FeatureDialog);
    EXPECT_TRUE(ContractReports::offersLabels(Cmd::FeatureWithoutPeriod));
    EXPECT_FALSE(ContractReports::offersLabels(Cmd::FeatureCompact));
}

TEST_F(ContractReportsTest, AnimalListOfAllHuntingContracts)
{
    c.animals = BuildAnimalCriteria({0, false, false, {}});
    const QString text = run(Cmd::AnimalWithPeriod);
    expectStandardJob("mvluete2.rpt");
    EXPECT_EQ(formula(1), QStringLiteral("VoimassaoloTeksti= 'Kaikki sopimukset'"));
    EXPECT_EQ(formula(2), QStringLiteral("Ryhmateksti= 'Koskee kaikkea metsästytstä'"));
    EXPECT_EQ(formula(3), QString());
    EXPECT_EQ(MainReport().SelectionFormula, QStringLiteral("{vs.vsMukaan} = true"));
    EXPECT_FALSE(MainReport().SectionFont(0).isEmpty());
    EXPECT_EQ(selected(), (QList<qint64>{10, 13}));
    EXPECT_TRUE(text.contains(QStringLiteral("ALUEET ELÄIMITTÄIN")));
    EXPECT_TRUE(text.contains(QStringLiteral("Koskee kaikkea metsästytstä")));
    EXPECT_TRUE(lineWith(text, QStringLiteral("Hämäläinen Markku"), QStringLiteral("1.7.2013 - 1.7.2028")));
    EXPECT_TRUE(lineWith(text, QStringLiteral("Harjula"), QStringLiteral("166,5")));
    // Listed-animal and cervid contracts stay out.
    EXPECT_FALSE(text.contains(QStringLiteral("Heinonen Liisa")));
    EXPECT_FALSE(text.contains(QStringLiteral("Niemi Aino")));
    // 166,5 + 94,8 and 155,7 + 52,3
    EXPECT_TRUE(lineWith(text, QStringLiteral("Kaikki yhteensä"), QStringLiteral("469,3"))) << text.toStdString();
    EXPECT_TRUE(lineWith(text, QStringLiteral("Yhteensä"), QStringLiteral("261,3")));
    EXPECT_TRUE(lineWith(text, QStringLiteral("Yhteensä"), QStringLiteral("208")));

    run(Cmd::AnimalWithoutPeriod);
    EXPECT_EQ(file(), QStringLiteral("mvluete3.rpt"));
}

TEST_F(ContractReportsTest, AnimalListOfListedAnimalsCarriesTheTotalArea)
{
    t.db.execute(QStringLiteral("UPDATE vs SET vsKoskee = 4, vsEiKoskeSeuraavia = 'Hirvi' WHERE vsID IN (2, 3)"));
    t.db.execute(QStringLiteral("DELETE FROM et"));
    t.link(2, 1);
    t.link(3, 7);
    c.animals = BuildAnimalCriteria({2, false, false, {{1, QStringLiteral("Hirvi")}}});
    const QString text = run(Cmd::AnimalWithoutPeriod);
    expectStandardJob("mvluete4.rpt");
    EXPECT_EQ(formula(2), QStringLiteral("ValTotalPASum= '72,6'"));
    EXPECT_EQ(formula(3), QStringLiteral("Ryhmateksti= 'Seuraavia eläimiä:Hirvi'"));
    EXPECT_EQ(selected(), QList<qint64>{2});
    EXPECT_TRUE(text.contains(QStringLiteral("Saarinen Åke")));
    EXPECT_FALSE(text.contains(QStringLiteral("Åbergin perikunta")));
    EXPECT_TRUE(text.contains(QStringLiteral("Valittujen sopimusten pinta-ala: 72,6 ha")));
    EXPECT_FALSE(text.contains(QStringLiteral("1.2.2010 - 1.2.2025")));

    // With all-hunting contracts taken along, the summary form.
    c.animals = BuildAnimalCriteria({2, true, false, {{1, QStringLiteral("Hirvi")}}});
    run(Cmd::AnimalWithPeriod);
    EXPECT_EQ(file(), QStringLiteral("mvluete2.rpt"));
    EXPECT_EQ(formula(2), QStringLiteral("Ryhmateksti= 'Seuraavia eläimiä:Hirvi ja kaikkea metsästystä'"));
    EXPECT_EQ(selected(), (QList<qint64>{2, 10, 13}));

    // No contract of the kind: the detailed form with nothing in it.
    c.animals = BuildAnimalCriteria({3, false, false, {{7, QStringLiteral("Kettu")}}});
    run(Cmd::AnimalWithPeriod);
    EXPECT_EQ(file(), QStringLiteral("mvluetel.rpt"));
    EXPECT_EQ(formula(2), QStringLiteral("ValTotalPASum= '0'"));
    EXPECT_TRUE(selected().isEmpty());
}

TEST_F(ContractReportsTest, CompactAnimalListPrintsTheSummaryOfContractsInForce)
{
    c.animals = BuildAnimalCriteria({0, false, false, {}});
    c.validity = {1, QDate(2026, 3, 5), 0};
    const QString text = run(Cmd::AnimalCompact);
    expectStandardJob("mvluetet.rpt");
    EXPECT_EQ(formula(1), QStringLiteral("Ryhmateksti= 'Koskee kaikkea metsästytstä'"));
    EXPECT_EQ(formula(2), QStringLiteral("VoimassaoloTeksti= 'Voimassa olevat sopimukset: 5.3.2026'"));
    EXPECT_EQ(MainReport().SelectionFormula, QString());
    EXPECT_EQ(summaryLessors(), (QStringList{"Hämäläinen Markku", "Mäkinen Riikka"}));
    EXPECT_TRUE(lineWith(text, QStringLiteral("Kaikki yhteensä"), QStringLiteral("469,3")));
    EXPECT_TRUE(text.contains(QStringLiteral("Harjula 940-403-8-17;")));
}

TEST_F(ContractReportsTest, VillageAndLandownerListsTakeTheValidityFeature)
{
    c.validity = {0, QDate(2026, 3, 5), 8};
    const QString village = run(Cmd::VillageWithPeriod);
    expectStandardJob("mvluetl2.rpt");
    EXPECT_EQ(formula(1), QStringLiteral("VoimassaoloTeksti= 'Hirvialue: Kaikki sopimukset'"));
    EXPECT_EQ(MainReport().SelectionFormula, QStringLiteral("{vs.vsMukaan} = true"));
    EXPECT_EQ(selected(), (QList<qint64>{1, 4, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17}));
    EXPECT_TRUE(village.contains(QStringLiteral("Hirvialue: Kaikki sopimukset")));
    EXPECT_TRUE(village.contains(QStringLiteral("Hirvilahti, Sammalkylä")));
    // Sammalkylä of the chosen contracts: 113,5 + 11,2 + 158,7
    EXPECT_TRUE(lineWith(village, QStringLiteral("Kylä yhteensä"), QStringLiteral("283,4"))) << village.toStdString();
    EXPECT_FALSE(village.contains(QStringLiteral("Saarinen Åke")));

    struct Case {
        Cmd command;
        const char* file;
    };
    for (const Case& k : {Case{Cmd::VillageWithoutPeriod, "mvluetl3.rpt"}, Case{Cmd::LandownerWithPeriod, "mvluetle.rpt"},
                          Case{Cmd::LandownerWithoutPeriod, "mvluetl4.rpt"}}) {
        const QString text = run(k.command);
        EXPECT_EQ(file(), QString::fromUtf8(k.file));
        EXPECT_TRUE(text.contains(QStringLiteral("Heinonen Liisa"))) << k.file;
        EXPECT_FALSE(text.contains(QStringLiteral("Salonen Pekka"))) << k.file;
        // Heinonen Liisa's contract runs until notice: no dates, and the period only where asked.
        EXPECT_FALSE(text.contains(QStringLiteral("1.5.2013"))) << k.file;
        EXPECT_EQ(text.contains(QStringLiteral("Toistaiseksi")), k.command == Cmd::LandownerWithPeriod) << k.file;
    }
    const QString owners = run(Cmd::LandownerWithoutPeriod);
    EXPECT_TRUE(lineWith(owners, QStringLiteral("Yhteensä"), QStringLiteral("291,5")));
    EXPECT_TRUE(owners.contains(QStringLiteral("Koivukuja 9 B 8, 41990 Hirvilahti")));
}

TEST_F(ContractReportsTest, CompactLandownerListAlwaysNamesItsFile)
{
    c.feature.TulostusMuoto = 3; // left by a member list
    const QString text = run(Cmd::LandownerCompact);
    expectStandardJob("mvlueto2.rpt");
    EXPECT_EQ(MainReport().SectionFont(0), QStringLiteral("DETAIL;Times New Roman;10;X;X;X;X")) << "no fonts of its own";
    const QStringList lessors = summaryLessors();
    ASSERT_EQ(lessors.size(), 20);
    EXPECT_EQ(lessors.first(), QStringLiteral("Heikkilä Tapio"));
    EXPECT_EQ(lessors.last(), QStringLiteral("Åbergin perikunta"));
    EXPECT_TRUE(lineWith(text, QStringLiteral("Kaikki yhteensä"), QStringLiteral("3836,6")));
}

TEST_F(ContractReportsTest, FeatureListsAsListAndLabels)
{
    t.db.execute(QStringLiteral("UPDATE vs SET vsMukaan = (vsID = 5)"));
    c.feature.RaporttiOminaisuus = 12;
    c.feature.ArvoArvo = QStringLiteral("50,5");
    c.feature.ArvoVertailu = 2;
    const QString text = run(Cmd::FeatureWithPeriod);
    expectStandardJob("mvluetom.rpt");
    EXPECT_EQ(MainReport().SelectionFormula,
              QStringLiteral("{mt.mtvsID} = {vs.vsID} and {pi.piID} = {mt.mtpiID} and {mt.mtpiID} = 12 and "
                             "{mt.mtValCurrency} > 50.5"));
    EXPECT_TRUE(text.contains(QStringLiteral("Ominaisuus: Vuokrasumma")));
    for (const char* name : {"Heinonen Liisa", "Saarinen Åke", "Niemi Aino", "Hyvösen perikunta"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(name))) << name;
    EXPECT_FALSE(text.contains(QStringLiteral("Åbergin perikunta")));
    EXPECT_TRUE(lineWith(text, QStringLiteral("Kaikki yhteensä"), QStringLiteral("711,7"))) << text.toStdString();
    EXPECT_EQ(selected(), QList<qint64>{5}) << "the feature lists leave the selection alone";

    State().MarginTop = 10;
    State().LabelMarginTop = 2;
    c.feature.TulostusMuoto = 1;
    const QString labels = run(Cmd::FeatureWithoutPeriod);
    expectStandardJob("mvosoite.rpt", false);
    EXPECT_EQ(MainReport().MarginTop, 96);
    EXPECT_TRUE(labels.contains(QStringLiteral("Hyvösen perikunta")));
    EXPECT_FALSE(labels.contains(QStringLiteral("Laitinen Ari")));

    // A year pattern with the one-digit wildcard is a pattern, as in the member criteria (every
    // date of this feature is in 2026). A pattern holds digits and wildcards only: the dialog
    // refuses "20'6*" before any list.
    c.feature = {};
    c.feature.RaporttiOminaisuus = 9;
    c.feature.PvmArvo = QStringLiteral("20?5");
    const QString none = run(Cmd::FeatureWithoutPeriod);
    EXPECT_EQ(file(), QStringLiteral("mvlueto3.rpt"));
    EXPECT_FALSE(none.contains(QStringLiteral("Heinonen Liisa")));
}

TEST_F(ContractReportsTest, CompactFeatureListMatchesTheYearPattern)
{
    c.feature.RaporttiOminaisuus = 9;
    c.feature.PvmArvo = QStringLiteral("2026*");
    c.feature.TulostusMuoto = 1;
    const QString text = run(Cmd::FeatureCompact);
    expectStandardJob("mvluetot.rpt");
    EXPECT_EQ(MainReport().SelectionFormula, QString());
    EXPECT_EQ(summaryLessors(),
              (QStringList{"Heinonen Liisa", "Huttunen Päivi", "Hyvösen perikunta", "Hämäläinen Markku", "Kähkönen Väinö",
                           "Laitinen Ari", "Niemi Aino", "Pöllänen Timo", "Åberg Säde", "Åbergin perikunta"}));
    EXPECT_TRUE(text.contains(QStringLiteral("Hämäläinen Markku")));
    c.feature.PvmArvo = QStringLiteral("2025*");
    run(Cmd::FeatureCompact);
    EXPECT_TRUE(summaryLessors().isEmpty());
}

TEST_F(ContractReportsTest, LessorListAndLabelsOfTheContractsInForce)
{
    State().MarginLeft = 20;
    State().LabelMarginLeft = 3;
    c.validity = {1, QDate(2026, 3, 5), 0};
    const QString list = run(Cmd::LessorList);
    expectStandardJob("mvluetlo.rpt");
    EXPECT_EQ(MainReport().MarginLeft, 960) << "a list keeps the page margins";
    // Every contract but Saarinen's, whose fixed term ended on 1.2.2025.
    EXPECT_EQ(selected(), (QList<qint64>{1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}));
    EXPECT_TRUE(list.contains(QStringLiteral("Räsänen Liisa")));
    EXPECT_TRUE(list.contains(QStringLiteral("Niemi Aino")));
    EXPECT_FALSE(list.contains(QStringLiteral("Saarinen Åke")));
    const QString labels = run(Cmd::LessorLabels);
    expectStandardJob("mvosoite.rpt", false);
    EXPECT_EQ(MainReport().SelectionFormula, QStringLiteral("{vs.vsMukaan} = true"));
    EXPECT_EQ(MainReport().MarginLeft, 144) << "labels keep the label sheet's margins";
    EXPECT_TRUE(labels.contains(QStringLiteral("Räsänen Liisa")));
}

TEST_F(ContractReportsTest, RentListAppliesBothDueDatesAndSortsByThem)
{
    t.db.execute(QStringLiteral("UPDATE vs SET vsVastike = 2 WHERE vsVastike = 1"));
    t.db.execute(QStringLiteral("UPDATE vs SET vsVastikeVuosiErapaiva = '2026-06-30 00:00:00' WHERE vsID = 2"));
    t.db.execute(QStringLiteral("UPDATE vs SET vsVastikeVuosiErapaiva = '2026-03-01 00:00:00' WHERE vsID = 3"));
    c.rent = {2, QDate(2026, 1, 1), QDate(2026, 6, 30)};
    const QString text = run(Cmd::RentList);
    expectStandardJob("mvluets2.rpt");
    EXPECT_EQ(MainReport().SortFields(0), QStringLiteral("+{vs.vsVastikeVuosiErapaiva}"));
    const qsizetype first = text.indexOf(QStringLiteral("Åbergin perikunta")),
                    second = text.indexOf(QStringLiteral("Saarinen Åke"));
    ASSERT_GE(first, 0);
    EXPECT_GT(second, first) << "ascending due date";
    EXPECT_FALSE(text.contains(QStringLiteral("Heinonen Liisa"))) << "after the end date";
    EXPECT_TRUE(text.contains(QStringLiteral("Sopimuksia: 2")));

    // The next list sorts by its own fields again.
    c.rent = {1, {}, {}};
    run(Cmd::RentList);
    EXPECT_EQ(MainReport().SelectionFormula, QStringLiteral("{vs.vsVastike} = 1"));
    EXPECT_EQ(MainReport().SortFields(0), QString());
}

TEST_F(ContractReportsTest, VillageListToPdf)
{
    QTemporaryDir dir;
    c.validity = {0, {}, 0};
    ContractReports::prepare(t.db, Cmd::VillageWithPeriod, c);
    MainReport().Destination = ReportEngine::ToFile;
    MainReport().PrintFileName = dir.filePath(QStringLiteral("kylat.pdf"));
    MainReport().setAction(1);
    QProcess p;
    p.start(QStringLiteral("pdftotext"),
            {QStringLiteral("-layout"), dir.filePath(QStringLiteral("kylat.pdf")), QStringLiteral("-")});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_TRUE(text.contains(QStringLiteral("ALUEET KYLITTÄIN"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Erämiesten 'Hirvi' ry")));
    EXPECT_TRUE(text.contains(QStringLiteral("Hirvilahti, Ylä-Kuusijärvi")));
    EXPECT_TRUE(text.contains(QStringLiteral("3836,6")));
    // The period as a reader sees it on paper: dates, or "Toistaiseksi" for a contract until notice.
    EXPECT_TRUE(text.contains(QStringLiteral("Toistaiseksi")));
    EXPECT_TRUE(text.contains(QStringLiteral("1.2.2010 - 1.2.2025")));
}

TEST_F(ContractReportsTest, ApostrophesInNamesAndTypedValuesStayText)
{
    t.db.execute(QStringLiteral("UPDATE pi SET piNimi = 'Hirvi''alue' WHERE piID = 8"));
    t.db.execute(QStringLiteral("UPDATE vs SET vsNimi = 'O''Brien Olli', vsSopimusNo = '1''A' WHERE vsID = 1"));
    t.db.execute(QStringLiteral("UPDATE tl SET tlKyla = 'Pirtti''mäki', tlRekNo = '940''1' WHERE tlID = 1"));
    c.validity = {0, {}, 8};
    const QString owners = run(Cmd::LandownerWithPeriod);
    EXPECT_EQ(formula(1), QStringLiteral("VoimassaoloTeksti= 'Hirvi'alue: Kaikki sopimukset'"));
    EXPECT_TRUE(owners.contains(QStringLiteral("Hirvi'alue: Kaikki sopimukset")));
    EXPECT_TRUE(owners.contains(QStringLiteral("O'Brien Olli")));
    run(Cmd::LandownerCompact);
    EXPECT_EQ(t.db.scalar(QStringLiteral("SELECT mvsKunta FROM mvs WHERE mvsvsID = 1")).toString(),
              QStringLiteral("Hirvilahti, Pirtti'mäki; Hirvilahti, Sammalkylä"));
    EXPECT_EQ(t.db.scalar(QStringLiteral("SELECT mvsTilat FROM mvs WHERE mvsvsID = 1")).toString(),
              QStringLiteral("Korpela 940'1; Niemelä 940-405-10-8"));
    EXPECT_EQ(t.db.scalar(QStringLiteral("SELECT mvsOmistaja FROM mvs WHERE mvsvsID = 1")).toString(),
              QStringLiteral("O'Brien Olli"));
}

TEST_F(ContractReportsTest, EveryListRunsOnANewEmptyDatabase)
{
    ContractTestDb fresh; // the empty template, now the configured database
    fresh.stageAllReports();
    c.animals = BuildAnimalCriteria({0, true, true, {}});
    c.validity = {1, QDate(2026, 3, 5), 0};
    c.rent = {2, QDate(2026, 1, 1), QDate(2026, 12, 31)};
    for (int i = 0; i < ContractReports::CommandCount; ++i) {
        SCOPED_TRACE(ContractReports::menuItem(Cmd(i)).toStdString());
        MainReport() = ReportEngine{};
        EXPECT_NO_THROW(ContractReports::prepare(fresh.db, Cmd(i), c));
        EXPECT_NE(MainReport().layoutReport(), nullptr);
    }
}

// A contract holding the same feature twice is listed under each value, but the totals count its
// estates once: the grand total stays the contracts' true area.
TEST_F(ContractReportsTest, AFeatureHeldTwiceCountsTheContractsAreaOnce)
{
    c.feature.RaporttiOminaisuus = 12;
    c.feature.ArvoArvo = QStringLiteral("50,5");
    c.feature.ArvoVertailu = 2;
    const QString once = run(Cmd::FeatureWithPeriod);
    ASSERT_TRUE(lineWith(once, QStringLiteral("Kaikki yhteensä"), QStringLiteral("711,7"))) << once.toStdString();
    // Heinonen Liisa's contract (1) gets its rent value a second time.
    t.db.execute(QStringLiteral("INSERT INTO mt (mtvsID, mtpiID, mtValCurrency) "
                                "SELECT mtvsID, mtpiID, mtValCurrency FROM mt WHERE mtvsID = 1 AND mtpiID = 12"));
    for (const Cmd command : {Cmd::FeatureWithPeriod, Cmd::FeatureWithoutPeriod}) {
        const QString twice = run(command);
        EXPECT_EQ(twice.count(QStringLiteral("Heinonen Liisa")), 2 * once.count(QStringLiteral("Heinonen Liisa")));
        EXPECT_TRUE(lineWith(twice, QStringLiteral("Kaikki yhteensä"), QStringLiteral("711,7"))) << twice.toStdString();
    }
}

// Villages typed in different letter case are one village in the lists, as the rows are sorted
// without regard to case: one group, one total.
TEST_F(ContractReportsTest, VillagesGroupWithoutRegardToLetterCase)
{
    c.validity = {0, QDate(2026, 3, 5), 0};
    const QString before = run(Cmd::VillageWithoutPeriod);
    t.db.execute(QStringLiteral("UPDATE tl SET tlKyla = 'sammalkylä' WHERE tlKyla = 'Sammalkylä' AND tlID % 2 = 0"));
    const QString after = run(Cmd::VillageWithoutPeriod);
    EXPECT_EQ(after.count(QStringLiteral("Kylä yhteensä")), before.count(QStringLiteral("Kylä yhteensä")));
    EXPECT_EQ(after.count(QStringLiteral("ammalkylä")), before.count(QStringLiteral("ammalkylä")));
}

// A contract valid until notice prints "Toistaiseksi" in every list that shows the period, never
// its start date with an open end; a fixed-term contract prints both of its dates.
TEST_F(ContractReportsTest, AContractUntilNoticePrintsToistaiseksiInEveryPeriodList)
{
    c.animals = BuildAnimalCriteria({0, false, false, {}});
    c.validity = {0, QDate(2026, 3, 5), 0};
    c.feature.RaporttiOminaisuus = 12;
    static const QRegularExpression openEnd(QStringLiteral("\\d\\.\\d{4} -(?! \\d)"));
    for (const Cmd command : {Cmd::AnimalWithPeriod, Cmd::AnimalCompact, Cmd::VillageWithPeriod, Cmd::LandownerWithPeriod,
                              Cmd::LandownerCompact, Cmd::FeatureWithPeriod}) {
        const QString text = run(command);
        const std::string name = file().toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("oistaiseksi"))) << name;
        EXPECT_FALSE(text.contains(openEnd)) << name << "\n" << text.toStdString();
        // A smaller font sets the period on a baseline of its own, next to the lessor's line.
        const auto beside = [&text](const QString& lessor, const QString& period) {
            const QStringList lines = text.split(QLatin1Char('\n'));
            for (int i = 0; i < lines.size(); ++i)
                if (lines[i].contains(lessor))
                    return lines[i].contains(period) || (i + 1 < lines.size() && lines[i + 1].contains(period));
            return false;
        };
        if (text.contains(QStringLiteral("Heinonen Liisa"))) {
            EXPECT_TRUE(beside(QStringLiteral("Heinonen Liisa"), QStringLiteral("oistaiseksi"))) << name;
        }
        if (text.contains(QStringLiteral("Saarinen Åke"))) {
            EXPECT_TRUE(beside(QStringLiteral("Saarinen Åke"), QStringLiteral("1.2.2010 - 1.2.2025"))) << name;
        } else {
            EXPECT_NE(command, Cmd::LandownerWithPeriod) << name;
        }
    }
}
