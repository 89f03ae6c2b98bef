#include "contracts/ContractTestDb.h"
#include "lists/ListsTestDb.h"

#include "base/Currency.h"
#include "base/NullConversions.h"
#include "lists/MemberListReports.h"
#include "lists/MemberSelection.h"
#include "printing/PrintChoices.h"
#include "printing/ReportServices.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace tikkeli::test {
namespace {

constexpr double PointsPerMm = 72.0 / 25.4;

QStringList allTexts(const ReportDocument& doc, const QString& section)
{
    QStringList texts;
    for (int p = 0; p < int(doc.pages.size()); ++p)
        texts += doc.sectionTexts(p, section);
    return texts;
}

// The sample club with the report files of the build, printing to the printer with two copies.
class MemberListReportsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        club.stageAllReports();
        State().ClubName = QStringLiteral("Erämiesten 'Hirvi' ry");
        State().PrintCopies = 2;
        State().MarginLeft = 10;     // 480 twips
        State().LabelMarginLeft = 3; // 144 twips
        Printing().PrintDestination = 1;
    }
    void TearDown() override
    {
        MainReport() = ReportEngine{};
        Printing() = PrintChoices{};
        ClearReportFormulaList();
    }
    std::shared_ptr<const ReportDocument> list(const MemberCriteria& c, int form, int sort = 0)
    {
        MemberListReports::PrintMemberList(club.db, c, form, sort);
        return MainReport().layoutReport();
    }
    QStringList column(const QString& sql, const Params& params = {})
    {
        QStringList values;
        Recordset rs = club.db.openRecordset(sql, RecordsetType::Snapshot, params);
        for (; !rs.eof(); rs.moveNext())
            values << NullToString(rs.field(0));
        return values;
    }
    qint64 featureId(const QString& name)
    {
        return club.db.scalar(QStringLiteral("SELECT piID FROM pi WHERE piNimi = ?"), {Value(name)}).toInt64();
    }

    ContractTestDb club{ContractTestDb::Source::Sample};
};

TEST_F(MemberListReportsTest, EachFormAndOrderHandsItsFileFormulasMarginsAndSortField)
{
    struct Form {
        int form;
        const char* file;
        bool labels;
        QStringList formulas;
    };
    const QString name = QStringLiteral("Seurannimi= 'Erämiesten 'Hirvi' ry'");
    const QString title = QStringLiteral("Otsake= 'Jäsenluettelo'");
    const std::vector<Form> forms = {{0, "jrluetlo.rpt", false, {title, name}},
                                     {1, "jrlomins.rpt", false, {name}},
                                     {2, "jrlaajlu.rpt", false, {title, name}},
                                     {3, "jrosoite.rpt", true, {}},
                                     {4, "jrosoitt.rpt", true, {}}};
    const QStringList sorts = {"+{jr.jrSukunimi}", "+{jr.jrPostinumero}", "+{jr.jrSyntyma}"};
    for (const Form& f : forms)
        for (int sort = 0; sort < 3; ++sort) {
            SCOPED_TRACE(std::string(f.file) + " sort " + std::to_string(sort));
            // A formula left from an earlier print never reaches a label sheet.
            MainReport().setFormulas(1, QStringLiteral("Vanha= 'x'"));
            const auto doc = list(NoCriteria(), f.form, sort);
            const ReportEngine& r = MainReport();
            EXPECT_EQ(QFileInfo(r.ReportFileName).fileName(), QString::fromLatin1(f.file));
            EXPECT_EQ(r.Destination, 1);
            EXPECT_EQ(r.CopiesToPrinter, 2);
            EXPECT_EQ(r.SelectionFormula, MemberListReports::SelectedMembers);
            EXPECT_EQ(r.SortFields(0), sorts.at(sort));
            EXPECT_EQ(r.MarginLeft, std::optional<qint16>(f.labels ? 144 : 480));
            EXPECT_TRUE(r.SectionFont(0).startsWith(QStringLiteral("ALL;")));
            for (int i = 0; i < 3; ++i)
                EXPECT_EQ(r.Formulas(i), f.formulas.value(i));
            ASSERT_TRUE(doc);
            EXPECT_GT(doc->rowCount, 59);
        }
    EXPECT_FALSE(MemberListReports::form(5));
    EXPECT_THROW(MemberListReports::PrintMemberList(club.db, NoCriteria(), 5, 0), NumberedError);
}

TEST_F(MemberListReportsTest, NameListHasEveryMemberOnceInTheChosenOrderWithTheCount)
{
    const QStringList bySurname = column(
        QStringLiteral("SELECT jrSukunimi || ' ' || jrEtunimi FROM jr ORDER BY jrSukunimi, jrEtunimi, jrID"));
    const auto doc = list(NoCriteria(), 0);
    ASSERT_TRUE(doc);
    QStringList names;
    for (const QString& t : allTexts(*doc, QStringLiteral("DETAIL")))
        if (bySurname.contains(t))
            names << t;
    EXPECT_EQ(names, bySurname);
    EXPECT_TRUE(allTexts(*doc, QStringLiteral("SUMMARY")).contains(QStringLiteral("Jäseniä: 60")));
    EXPECT_FALSE(doc->find(QStringLiteral("Erämiesten 'Hirvi' ry")).empty());
    EXPECT_FALSE(doc->find(QStringLiteral("Jäsenluettelo")).empty());

    // Birth-date order names the field the member table has.
    const QStringList byBirth = column(
        QStringLiteral("SELECT jrSukunimi || ' ' || jrEtunimi FROM jr ORDER BY jrSyntyma, jrSukunimi, jrEtunimi, jrID"));
    const auto born = list(NoCriteria(), 0, 2);
    names.clear();
    for (const QString& t : allTexts(*born, QStringLiteral("DETAIL")))
        if (byBirth.contains(t))
            names << t;
    EXPECT_EQ(names, byBirth);
}

TEST_F(MemberListReportsTest, FeatureListShowsEachMemberOnce)
{
    const qint64 hunt = featureId(QStringLiteral("Hirviporukka"));
    // A member with the feature twice.
    const qint64 twice =
        club.db.scalar(QStringLiteral("SELECT min(ptjrID) FROM pt WHERE ptpiID = ?"), {Value(hunt)}).toInt64();
    club.db.execute(QStringLiteral("INSERT INTO pt (ptjrID, ptpiID, ptValLong) VALUES (?, ?, 7)"),
                    {Value(twice), Value(hunt)});
    MemberCriteria c = NoCriteria();
    c.setHepiID(0, qint32(hunt));
    const auto doc = list(c, 1);
    ASSERT_TRUE(doc);
    const QStringList holders = column(
        QStringLiteral("SELECT DISTINCT jrJasennumero FROM jr, pt WHERE ptjrID = jrID AND ptpiID = ? "
                       "ORDER BY jrJasennumero"),
        {Value(hunt)});
    QStringList headers = allTexts(*doc, QStringLiteral("GH1"));
    QStringList numbers;
    for (const QString& t : headers)
        if (holders.contains(t))
            numbers << t;
    numbers.sort();
    EXPECT_EQ(numbers, holders);
    for (const QString& t : allTexts(*doc, QStringLiteral("DETAIL")))
        if (t.startsWith(QStringLiteral("Ampumakoe")) || t.startsWith(QStringLiteral("Metsästyskoira")))
            ADD_FAILURE() << "another feature listed: " << t.toStdString();
    EXPECT_EQ(MainReport().SelectionFormula,
              MemberListReports::SelectedMembers + QStringLiteral(" and {pt.ptpiID} = ") + QString::number(hunt));

    // Several features (or none): every member once, with all their values.
    const auto all = list(NoCriteria(), 1);
    int headerCount = 0;
    const QStringList everyone = column(QStringLiteral("SELECT jrJasennumero FROM jr"));
    for (const QString& t : allTexts(*all, QStringLiteral("GH1")))
        headerCount += everyone.contains(t) ? 1 : 0;
    EXPECT_GE(headerCount, 60); // repeated headers on a continued page may add a few
    QStringList once;
    for (const QString& t : allTexts(*all, QStringLiteral("GH1")))
        if (everyone.contains(t) && !once.contains(t))
            once << t;
    EXPECT_EQ(once.size(), 60);
}

// With one feature and a refinement the list shows the values that pass it, as the templates do.
TEST_F(MemberListReportsTest, FeatureListWithARefinementShowsOnlyThePassingValues)
{
    const qint64 hunt = featureId(QStringLiteral("Hirviporukka"));
    const qint64 member =
        club.db.scalar(QStringLiteral("SELECT min(ptjrID) FROM pt WHERE ptpiID = ?"), {Value(hunt)}).toInt64();
    club.db.execute(QStringLiteral("UPDATE pt SET ptValLong = NULL, ptValDate = NULL WHERE ptpiID = ?"), {Value(hunt)});
    club.db.execute(QStringLiteral("INSERT INTO pt (ptjrID, ptpiID, ptValLong, ptValDate) VALUES "
                                   "(?1, ?2, 3, '1985-02-01 00:00:00'), (?1, ?2, 30, '2015-02-01 00:00:00')"),
                    {Value(member), Value(hunt)});
    struct Case {
        const char* name;
        std::function<void(MemberCriteria&)> refine;
        QString shown, hidden;
    };
    const std::vector<Case> cases = {
        {"number over 10",
         [](MemberCriteria& c) {
             c.LukuArvo = 10;
             c.LukuVertailu = 2;
         },
         "30", "3"},
        {"year pattern",
         [](MemberCriteria& c) {
             c.PvmArvo = DateCriterion{QDate(), QStringLiteral("19?5")};
         },
         "3", "30"},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.name);
        MemberCriteria c = NoCriteria();
        c.setHepiID(0, qint32(hunt));
        t.refine(c);
        const auto doc = list(c, 1);
        ASSERT_TRUE(doc);
        const QStringList details = allTexts(*doc, QStringLiteral("DETAIL"));
        EXPECT_TRUE(details.contains(t.shown)) << details.join(QLatin1Char('|')).toStdString();
        EXPECT_FALSE(details.contains(t.hidden));
        EXPECT_TRUE(allTexts(*doc, QStringLiteral("SUMMARY")).contains(QStringLiteral("Ominaisuusarvoja: 1")))
            << allTexts(*doc, QStringLiteral("SUMMARY")).join(QLatin1Char('|')).toStdString();
    }
}

// Members of one surname come by first name, not in the order they were entered.
TEST_F(MemberListReportsTest, ListsAndLabelsPutOneSurnameInFirstNameOrder)
{
    club.db.execute(QStringLiteral("INSERT INTO jr (jrSukunimi, jrEtunimi) VALUES "
                                   "('Äijälä', 'Öljy'), ('Äijälä', 'Aapo'), ('Äijälä', 'Ärri')"));
    for (int form : {0, 3}) {
        SCOPED_TRACE(form);
        const auto doc = list(NoCriteria(), form);
        ASSERT_TRUE(doc);
        std::vector<double> at;
        for (const char* first : {"Aapo", "Ärri", "Öljy"}) {
            const QString name = form == 0 ? QStringLiteral("Äijälä ") + QString::fromUtf8(first)
                                           : QString::fromUtf8(first) + QStringLiteral(" Äijälä");
            const auto found = doc->find(name);
            ASSERT_EQ(found.size(), 1u) << name.toStdString();
            at.push_back(found.front().first * 10000.0 + found.front().second.rect.top() * 10
                         + found.front().second.rect.left() / 100);
        }
        EXPECT_TRUE(std::is_sorted(at.begin(), at.end()));
    }
}

TEST_F(MemberListReportsTest, LabelSheetsFillTheGridWithTitlesBeforeTheName)
{
    const auto doc = list(NoCriteria(), 3);
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->pages.size(), 3u); // 60 labels, 24 to a sheet
    // The first label row: three labels 70 mm apart from the label margin (3 × 48 twips).
    const QStringList first = column(QStringLiteral("SELECT jrEtunimi || ' ' || jrSukunimi FROM jr "
                                                    "ORDER BY jrSukunimi, jrID LIMIT 3"));
    std::vector<double> xs;
    for (const QString& name : first) {
        const auto found = doc->find(name);
        ASSERT_FALSE(found.empty()) << name.toStdString();
        EXPECT_EQ(found.front().first, 0);
        xs.push_back(found.front().second.rect.left());
    }
    const double margin = 144.0 / 20.0; // twips to points
    EXPECT_NEAR(xs[0], margin + 8 * PointsPerMm, 0.5);
    EXPECT_NEAR(xs[1] - xs[0], 70 * PointsPerMm, 0.5);
    EXPECT_NEAR(xs[2] - xs[1], 70 * PointsPerMm, 0.5);
    EXPECT_TRUE(doc->find(QStringLiteral("Puheenjohtaja")).empty());

    const auto titled = list(NoCriteria(), 4);
    const auto title = titled->find(QStringLiteral("Puheenjohtaja"));
    const auto name = titled->find(QStringLiteral("Sören Juhani Hirvonen"));
    ASSERT_EQ(title.size(), 1u);
    ASSERT_EQ(name.size(), 1u);
    EXPECT_EQ(title.front().second.rect.left(), name.front().second.rect.left());
    EXPECT_LT(title.front().second.rect.top(), name.front().second.rect.top());
}

TEST_F(MemberListReportsTest, WideListHasEveryMemberFieldOnALandscapePage)
{
    const auto doc = list(NoCriteria(), 2);
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->orientation, QPageLayout::Landscape);
    EXPECT_EQ(doc->rowCount, 60);
    EXPECT_FALSE(doc->find(QStringLiteral("Puheenjohtaja")).empty());
}

TEST_F(MemberListReportsTest, PaymentHistoriesListTheInvoicesWithTotals)
{
    const qint64 member = club.db
                              .scalar(QStringLiteral("SELECT jmhjmjrID FROM jmhist GROUP BY jmhjmjrID "
                                                     "ORDER BY count(*) DESC LIMIT 1"))
                              .toInt64();
    MemberListReports::MemberHistory(member);
    EXPECT_EQ(QFileInfo(MainReport().ReportFileName).fileName(), QStringLiteral("jmmakhis.rpt"));
    EXPECT_EQ(MainReport().SelectionFormula, QStringLiteral("{jr.jrID} = ") + QString::number(member));
    EXPECT_EQ(MainReport().Formulas(0), QStringLiteral("Seurannimi= 'Erämiesten 'Hirvi' ry'"));
    EXPECT_EQ(MainReport().MarginLeft, std::optional<qint16>(480));
    auto doc = MainReport().layoutReport();
    const int invoices = int(
        club.db.scalar(QStringLiteral("SELECT count(*) FROM jmhist WHERE jmhjmjrID = ?"), {Value(member)}).toInt64());
    EXPECT_EQ(doc->rowCount, invoices);
    // The invoices in invoice-date order.
    const QStringList numbers = column(QStringLiteral("SELECT jmhjmLaskunumero FROM jmhist WHERE jmhjmjrID = ? "
                                                      "ORDER BY jmhjmLaskupaiva, jmhID"),
                                       {Value(member)});
    QStringList printed;
    for (const QString& t : allTexts(*doc, QStringLiteral("DETAIL")))
        if (numbers.contains(t))
            printed << t;
    EXPECT_EQ(printed, numbers);

    // The group of a feature, then every member: the report total is the sum of the history.
    const qint64 hunt = featureId(QStringLiteral("Hirviporukka"));
    MemberListReports::GroupHistory(club.db, qint32(hunt));
    EXPECT_EQ(MainReport().SelectionFormula, MemberListReports::SelectedMembers);
    EXPECT_EQ(
        club.db.scalar(QStringLiteral("SELECT count(*) FROM jr WHERE jrMukaan <> 0")).toInt64(),
        club.db.scalar(QStringLiteral("SELECT count(DISTINCT ptjrID) FROM pt WHERE ptpiID = ?"), {Value(hunt)}).toInt64());
    MemberListReports::GroupHistory(club.db, 0);
    doc = MainReport().layoutReport();
    Currency total;
    for (const QString& v : column(QStringLiteral("SELECT jmhjmHinta FROM jmhist WHERE jmhjmjrID IN (SELECT jrID FROM jr)")))
        total = total + Currency::parse(v).value_or(Currency());
    EXPECT_TRUE(allTexts(*doc, QStringLiteral("SUMMARY")).contains(total.toString()))
        << allTexts(*doc, QStringLiteral("SUMMARY")).join(QLatin1Char('|')).toStdString();
}

TEST_F(MemberListReportsTest, AFailedSelectionPrintsNothing)
{
    club.db.execute(QStringLiteral("CREATE TRIGGER jr_stop BEFORE UPDATE OF jrMukaan ON jr "
                                   "BEGIN SELECT RAISE(ABORT, 'injected'); END"));
    int printed = 0;
    MainReport().setOutputHandler([&](auto, const auto&) { ++printed; });
    EXPECT_THROW(MemberListReports::PrintMemberList(club.db, NoCriteria(), 0, 0), NumberedError);
    EXPECT_THROW(MemberListReports::GroupHistory(club.db, 1), NumberedError);
    EXPECT_EQ(printed, 0);
}

TEST_F(MemberListReportsTest, NameListToPdfKeepsTheFinnishLetters)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext missing (scripts/setup installs it)";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Printing().PrintDestination = ReportEngine::ToFile;
    MemberListReports::PrintMemberList(club.db, NoCriteria(), 0, 0);
    MainReport().PrintFileName = dir.filePath(QStringLiteral("jasenet.pdf"));
    MainReport().PrintReport();
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {MainReport().PrintFileName, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(60000));
    const QString pdf = QString::fromUtf8(text.readAllStandardOutput());
    for (const char* name : {"Åke", "Hämäläinen", "Pöllänen", "Söderholm", "Jäsenluettelo", "Erämiesten 'Hirvi' ry"})
        EXPECT_TRUE(pdf.contains(QString::fromUtf8(name))) << name;
}

} // namespace
} // namespace tikkeli::test
