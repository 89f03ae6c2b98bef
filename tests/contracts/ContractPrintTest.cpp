#include "contracts/ContractEstates.h"
#include "contracts/ContractPrint.h"
#include "printing/PrintChoices.h"
#include "printing/ReportEngine.h"
#include "ContractTestDb.h"

#include <gtest/gtest.h>

using namespace tikkeli;
using test::ContractTestDb;

namespace {

void club()
{
    SharedState& s = State();
    s.ClubName = QStringLiteral("Erämiehet ry");
    s.ContactPerson = QStringLiteral("Sören Hirvonen");
    s.ClubAddress = QStringLiteral("Kirkkotie 12");
    s.ClubPostalCode = QStringLiteral("41990");
    s.ClubPostOffice = QString(); // an empty setting is an empty quoted value
    s.PrintCopies = 2;
    Printing().PrintDestination = 1;
}

QString allText(const ReportDocument& doc)
{
    QStringList lines;
    for (int p = 0; p < int(doc.pages.size()); ++p)
        lines += doc.pageLines(p);
    return lines.join(QLatin1Char('\n'));
}

} // namespace

TEST(ContractPrint, TheContractJobSelectsTheContractAndHandsTheClubAsLessee)
{
    ContractTestDb t(ContractTestDb::Source::Sample);
    club();
    for (const bool validity : {true, false}) {
        ContractPrint::prepareContract(t.db, 1, validity);
        const ReportEngine& r = MainReport();
        EXPECT_TRUE(r.ReportFileName.endsWith(QStringLiteral("vse.rpt")));
        EXPECT_EQ(r.SelectionFormula, QStringLiteral("{vs.vsID}=1"));
        EXPECT_EQ(r.Formulas(0), QStringLiteral("ValRegName= 'Erämiehet ry'"));
        EXPECT_EQ(r.Formulas(1), QStringLiteral("ValRegHloName= 'Sören Hirvonen'"));
        EXPECT_EQ(r.Formulas(2), QStringLiteral("ValRegOsoite= 'Kirkkotie 12'"));
        EXPECT_EQ(r.Formulas(3), QStringLiteral("ValRegPostinumero= '41990'"));
        EXPECT_EQ(r.Formulas(4), QStringLiteral("ValRegPostitoimipaikka= ''"));
        EXPECT_EQ(r.Formulas(5), validity ? QStringLiteral("ValVsVoimassa= 'Toistaiseksi, irtisanomisaika 2 kk'")
                                          : QStringLiteral("ValVsVoimassa= ' '"));
        EXPECT_EQ(r.Destination, 1);
        EXPECT_EQ(r.CopiesToPrinter, 2);
        EXPECT_EQ(r.SectionFont(0), QString());
    }
}

TEST(ContractPrint, ValidityTextOfAFixedTerm)
{
    ContractTestDb t;
    const qint64 id = t.contract(QStringLiteral("Aho"));
    t.db.execute(QStringLiteral("UPDATE vs SET vsVoimassa = 2, vsVoimassaAlkaen = '2020-01-01 00:00:00' WHERE vsID = ?"),
                 {Value(id)});
    EXPECT_EQ(ContractPrint::validityText(t.db, id), QStringLiteral("1.1.2020 - "));
    EXPECT_EQ(ContractPrint::validityText(t.db, id + 1), QString());
}

TEST(ContractPrint, TheLeaseFormPrintsTheSampleContractWithItsEstates)
{
    ContractTestDb t(ContractTestDb::Source::Sample);
    club();
    ContractPrint::prepareContract(t.db, 1, true);
    const auto doc = MainReport().layoutReport();
    ASSERT_TRUE(doc);
    ASSERT_FALSE(doc->pages.empty());
    const QString text = allText(*doc);
    for (const char* part :
         {"MAANVUOKRASOPIMUS", "Heinonen Liisa", "Koivukuja 9 B 8", "41990 Hirvilahti", "Erämiehet ry",
          "Yhteyshenkilö: Sören Hirvonen", "Korpela", "940-404-16-6", "Niemelä", "940-405-10-8", "178", "291,5",
          "Toistaiseksi, irtisanomisaika 2 kk", "80,00 EUR / vuosi, eräpäivä 31.12.2026", "FI23 6130 7718 4948 88",
          "Koirien vapaana pito kielletty", "Hirvilahdella 1.5.2013", "Vuokralainen: Erämiehet ry"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(part))) << part;
    // Another contract's estates stay out.
    EXPECT_FALSE(text.contains(QStringLiteral("940-404-16-15")));

    ContractPrint::prepareContract(t.db, 1, false);
    const QString without = allText(*MainReport().layoutReport());
    EXPECT_FALSE(without.contains(QStringLiteral("irtisanomisaika 2 kk")));
}

TEST(ContractPrint, TheEmptyFormHasTheClubAndNoContract)
{
    ContractTestDb t(ContractTestDb::Source::Sample);
    club();
    ContractPrint::prepareEmptyForm();
    const ReportEngine& r = MainReport();
    EXPECT_TRUE(r.ReportFileName.endsWith(QStringLiteral("vsempty.rpt")));
    EXPECT_EQ(r.SelectionFormula, QStringLiteral("{vs.vsID}=0"));
    EXPECT_EQ(r.Formulas(5), QString());
    const auto doc = MainReport().layoutReport();
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->pages.size(), 1u);
    EXPECT_EQ(doc->rowCount, 0);
    const QString text = allText(*doc);
    EXPECT_TRUE(text.contains(QStringLiteral("Erämiehet ry")));
    EXPECT_TRUE(text.contains(QStringLiteral("Kaikkea metsästystä")));
    EXPECT_FALSE(text.contains(QStringLiteral("Heinonen")));
}

TEST(ContractEstates, RowsAreWrittenThroughTheEstateRecordAndABadAreaIsRefused)
{
    ContractTestDb t;
    const qint64 vs = t.contract(QStringLiteral("Aho"));
    ContractEstates::Row row;
    row.texts[ContractEstates::Kunta] = QStringLiteral("Hirvilahti");
    row.texts[ContractEstates::RekNo] = QStringLiteral("940-1-2-3");
    row.texts[ContractEstates::PintaAla] = QStringLiteral("12,5");
    row.id = ContractEstates::write(t.db, vs, row);
    ASSERT_GT(row.id, 0);
    auto rows = ContractEstates::rows(t.db, vs);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].texts[ContractEstates::PintaAla], QStringLiteral("12,5"));
    EXPECT_EQ(rows[0].texts[ContractEstates::RekNo], QStringLiteral("940-1-2-3"));

    row.texts[ContractEstates::PintaAla] = QStringLiteral("12a");
    EXPECT_THROW(ContractEstates::write(t.db, vs, row), DbException);
    EXPECT_EQ(ContractEstates::rows(t.db, vs)[0].texts[ContractEstates::PintaAla], QStringLiteral("12,5"));
    for (const char* text : {"", "12", "12,5"})
        EXPECT_FALSE(ContractEstates::areaTextIsWrong(QString::fromUtf8(text))) << text;
    for (const char* text : {"1a", "a", "12.5.1"})
        EXPECT_TRUE(ContractEstates::areaTextIsWrong(QString::fromUtf8(text))) << text;
}
