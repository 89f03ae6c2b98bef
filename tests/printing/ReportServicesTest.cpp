#include "base/ProgramHooks.h"
#include "printing/PrintChoices.h"
#include "printing/ReportError.h"
#include "printing/ReportServices.h"
#include "base/SharedState.h"

#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

class ReportServicesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        State() = SharedState{};
        Printing() = PrintChoices{};
        MainReport() = ReportEngine{};
        State().DatabasePath = QStringLiteral("/data/klubi.mdb");
        State().ClubName = QStringLiteral("Erän 'Pojat' ry");
    }
    void TearDown() override
    {
        State() = SharedState{};
        MainReport() = ReportEngine{};
    }
};

} // namespace

TEST_F(ReportServicesTest, ResetEmptiesFormulasSelectionAndSortAndPointsDataFilesAtTheDatabase)
{
    ReportEngine& r = MainReport();
    r.SelectionFormula = QStringLiteral("{vs.vsMukaan} = true");
    r.setFormulas(20, QStringLiteral("X= 'y'"));
    r.setSortFields(0, QStringLiteral("+{vs.vsVastikeVuosiErapaiva}"));
    r.setSectionFont(3, QStringLiteral("GH1;Arial;9;X;X;X;X"));
    r.ReportFileName = QStringLiteral("vanha.rpt");
    r.Destination = 1;
    r.CopiesToPrinter = 3;
    r.MarginTop = 480;
    State().ReportFontName = QStringLiteral("Arial");
    State().ReportFontSize = 11;

    ResetReportFormulas();

    EXPECT_EQ(r.SectionFont(0), QStringLiteral("DETAIL;Arial;11;X;X;X;X"));
    for (int i = 1; i <= 8; ++i)
        EXPECT_EQ(r.SectionFont(i), QString()) << i;
    EXPECT_TRUE(r.WindowControls);
    EXPECT_EQ(r.WindowState, 2);
    for (int i = 0; i <= 22; ++i)
        EXPECT_EQ(r.DataFiles(i), QStringLiteral("/data/klubi.mdb")) << i;
    EXPECT_EQ(r.SelectionFormula, QString());
    for (int i = 0; i <= 20; ++i)
        EXPECT_EQ(r.Formulas(i), QString()) << i;
    // A sort field of the previous print must not follow the next report.
    EXPECT_EQ(r.SortFields(0), QString());
    // What the reset leaves alone.
    EXPECT_EQ(r.ReportFileName, QStringLiteral("vanha.rpt"));
    EXPECT_EQ(r.Destination, 1);
    EXPECT_EQ(r.CopiesToPrinter, 3);
    EXPECT_EQ(r.MarginTop, qint16(480));
}

TEST_F(ReportServicesTest, ClubNameFormulaOnlyForTheListedFilesCaseSensitively)
{
    Printing().PrintDestination = 1;
    State().PrintCopies = 2;
    PrepareRaport(QStringLiteral("pilista.rpt"), QStringLiteral("{vs.vsMukaan} = true"));
    ReportEngine& r = MainReport();
    // The apostrophes of the club name go in unchanged.
    EXPECT_EQ(r.Formulas(0), QStringLiteral("Seurannimi= 'Erän 'Pojat' ry'"));
    EXPECT_TRUE(r.ReportFileName.endsWith(QLatin1String("/reports/pilista.rpt")));
    EXPECT_EQ(r.SelectionFormula, QStringLiteral("{vs.vsMukaan} = true"));
    EXPECT_EQ(r.Destination, 1);
    EXPECT_EQ(r.CopiesToPrinter, 2);
    EXPECT_EQ(r.SectionFont(0), QStringLiteral("ALL;Times New Roman;10;X;X;X;X"));

    for (const QString& f : ClubNameReportFiles()) {
        PrepareRaport(f, {});
        EXPECT_FALSE(r.Formulas(0).isEmpty()) << f.toStdString();
        PrepareRaport(f.toUpper(), {});
        EXPECT_EQ(r.Formulas(0), QString()) << f.toStdString();
    }
    PrepareRaport(QStringLiteral("mvosoite.rpt"), {});
    EXPECT_EQ(r.Formulas(0), QString());
    EXPECT_EQ(ClubNameReportFiles().size(), 8);
}

TEST_F(ReportServicesTest, SectionFontLayouts)
{
    ReportEngine& r = MainReport();
    State().ReportFontName = QStringLiteral("Times New Roman");
    State().ReportFontSize = 10;
    ApplySectionFonts(r, true);
    const QStringList grouped{"DETAIL;Times New Roman;10;X;X;X;X",
                              "TITLE;Times New Roman;12;X;X;X;X",
                              "HEADER;Times New Roman;X;X;X;X;X",
                              "GH1;Times New Roman;10;X;X;X;X",
                              "GF1;Times New Roman;10;X;X;X;X",
                              "",
                              "",
                              "",
                              ""};
    for (int i = 0; i <= 8; ++i)
        EXPECT_EQ(r.SectionFont(i), grouped[i]) << i;

    // Ungrouped clears 2..8 even after a grouped print set them.
    ApplySectionFonts(r, false);
    EXPECT_EQ(r.SectionFont(0), QStringLiteral("ALL;Times New Roman;10;X;X;X;X"));
    EXPECT_EQ(r.SectionFont(1), QStringLiteral("TITLE;Times New Roman;12;X;X;X;X"));
    for (int i = 2; i <= 8; ++i)
        EXPECT_EQ(r.SectionFont(i), QString()) << i;

    ClearSectionFonts(r);
    for (int i = 0; i <= 8; ++i)
        EXPECT_EQ(r.SectionFont(i), QString()) << i;
}

TEST_F(ReportServicesTest, PhoneAndFaxVariants)
{
    struct Case {
        const char* phone;
        const char* fax;
        const char* expected;
    } cases[] = {
        {"09-123", "09-124", "SeuranPuhelinJaFax= 'Puh: 09-123  Fax: 09-124'"},
        {"09-123", "", "SeuranPuhelinJaFax= 'Puh: 09-123'"},
        {"", "09-124", "SeuranPuhelinJaFax= 'Fax: 09-124'"},
        {"   ", "", "SeuranPuhelinJaFax= ''"},
        {"", "", "SeuranPuhelinJaFax= ''"},
    };
    for (const Case& c : cases) {
        State().ClubPhone = QString::fromUtf8(c.phone);
        State().ClubFax = QString::fromUtf8(c.fax);
        SetClubFormulas(MainReport());
        EXPECT_EQ(MainReport().Formulas(7), QString::fromUtf8(c.expected)) << c.phone << "/" << c.fax;
        EXPECT_EQ(MainReport().Formulas(3), QStringLiteral("Puhelin= '") + State().ClubPhone + u'\'');
    }
}

TEST_F(ReportServicesTest, ClubAndReminderFormulaIndexes)
{
    SharedState& s = State();
    s.ClubAddress = QStringLiteral("Metsätie 1");
    s.ClubPostalCode = QStringLiteral("00100");
    s.ClubPostOffice = QStringLiteral("HELSINKI");
    s.ClubEmail = QStringLiteral("seura@example.fi");
    s.ClubWebAddress = QString();
    s.BusinessId = QStringLiteral("1234567-8");
    s.BankAccount1 = QStringLiteral("FI12 3456");
    s.Iban1 = QStringLiteral("FI1");
    s.Iban2 = QStringLiteral("FI2");
    s.Bic1 = QStringLiteral("B1");
    s.Bic2 = QStringLiteral("B2");
    s.ReminderOpening = QStringLiteral("Hyvä jäsen,");
    s.ReminderClosing = QStringLiteral("Terveisin");

    ReportEngine& r = MainReport();
    SetClubFormulas(r);
    EXPECT_EQ(r.Formulas(0), QStringLiteral("Seurannimi= 'Erän 'Pojat' ry'"));
    EXPECT_EQ(r.Formulas(2), QStringLiteral("Seuranpostiosoite= '00100 HELSINKI'"));
    EXPECT_EQ(r.Formulas(8), QStringLiteral("SeuranEmail= 'Email: seura@example.fi'"));
    EXPECT_EQ(r.Formulas(9), QStringLiteral("SeuranInternet= ''"));
    EXPECT_EQ(r.Formulas(10), QStringLiteral("YTunnus= 'Y-tunnus:1234567-8'"));
    EXPECT_EQ(r.Formulas(11), QStringLiteral("IBAN1= 'FI1'"));
    EXPECT_EQ(r.Formulas(14), QStringLiteral("BIC2= 'B2'"));
    EXPECT_EQ(r.Formulas(15), QString());

    ResetReportFormulas();
    SetReminderClubFormulas(r);
    EXPECT_EQ(r.Formulas(10), QStringLiteral("YTunnus= 'Y-tunnus:1234567-8'"));
    EXPECT_EQ(r.Formulas(11), QStringLiteral("MuistutusAlku= 'Hyvä jäsen,'"));
    EXPECT_EQ(r.Formulas(12), QStringLiteral("MuistutusLoppu= 'Terveisin'"));
    EXPECT_EQ(r.Formulas(13), QStringLiteral("IBAN1= 'FI1'"));
    EXPECT_EQ(r.Formulas(14), QStringLiteral("IBAN2= 'FI2'"));
    EXPECT_EQ(r.Formulas(15), QStringLiteral("BIC1= 'B1'"));
    EXPECT_EQ(r.Formulas(16), QStringLiteral("BIC2= 'B2'"));
}

TEST_F(ReportServicesTest, MarginsAreSettingsTimes48)
{
    SharedState& s = State();
    s.MarginTop = 682;
    s.MarginBottom = -682;
    s.MarginLeft = 10;
    s.MarginRight = 0;
    s.LabelMarginTop = 1;
    s.LabelMarginBottom = 2;
    s.LabelMarginLeft = 3;
    s.LabelMarginRight = 4;
    ReportEngine& r = MainReport();
    SetReportMargins(r, 0);
    EXPECT_EQ(r.MarginTop, qint16(32736));
    EXPECT_EQ(r.MarginBottom, qint16(-32736));
    EXPECT_EQ(r.MarginLeft, qint16(480));
    EXPECT_EQ(r.MarginRight, qint16(0));
    SetReportMargins(r, 1);
    EXPECT_EQ(r.MarginTop, qint16(48));
    EXPECT_EQ(r.MarginBottom, qint16(96));
    EXPECT_EQ(r.MarginLeft, qint16(144));
    EXPECT_EQ(r.MarginRight, qint16(192));
    // Out of range settings are clamped rather than wrapped round.
    s.MarginTop = 700;
    SetReportMargins(r, 2);
    EXPECT_EQ(r.MarginTop, qint16(32767));
}

TEST_F(ReportServicesTest, PendingFormulaListAndNamedFormulaParsing)
{
    PendingReportFormulas()[3] = QStringLiteral("Otsake= 'x'");
    ClearReportFormulaList();
    for (const QString& f : PendingReportFormulas())
        EXPECT_TRUE(f.isEmpty());
    EXPECT_EQ(PendingReportFormulas().size(), 11u);

    auto f = ReportEngine::parseFormula(QStringLiteral("Seurannimi= 'Erän 'Pojat' ry'"));
    ASSERT_TRUE(f);
    EXPECT_EQ(f->first, QStringLiteral("Seurannimi"));
    EXPECT_EQ(f->second, QStringLiteral("Erän 'Pojat' ry"));
    f = ReportEngine::parseFormula(QStringLiteral("Otsikko= 'A = B'"));
    ASSERT_TRUE(f);
    EXPECT_EQ(f->second, QStringLiteral("A = B"));
    EXPECT_FALSE(ReportEngine::parseFormula(QString()));
    EXPECT_FALSE(ReportEngine::parseFormula(QStringLiteral("= 'x'")));
}

TEST_F(ReportServicesTest, HooksPushMarginsAndReset)
{
    InstallReportHooks();
    ProgramHooks::SetReportMargin(ReportMargin::Left, 480);
    EXPECT_EQ(MainReport().MarginLeft, qint16(480));
    MainReport().setFormulas(0, QStringLiteral("A= 'b'"));
    ProgramHooks::ResetReportFormulas();
    EXPECT_EQ(MainReport().Formulas(0), QString());
    ProgramHooks::clear();
    EXPECT_THROW(MainReport().setFormulas(-1, QString()), ReportException);
}
