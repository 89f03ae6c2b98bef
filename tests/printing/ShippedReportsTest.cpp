#include "PrintingFixture.h"

#include "base/Clock.h"
#include "printing/PrintChoices.h"
#include "printing/ReportServices.h"

#include <QFile>
#include <QProcess>

using namespace tikkeli;

namespace {

class ShippedReportsTest : public test::PrintingFixture {
protected:
    std::shared_ptr<const ReportDocument> runShipped(const QString& dbPath, const QString& file, const QString& selection,
                                                     const QStringList& formulas = {})
    {
        ReportEngine e;
        e.ReportFileName = shippedReport(file);
        e.setDataFiles(0, dbPath);
        e.SelectionFormula = selection;
        for (int i = 0; i < formulas.size(); ++i)
            e.setFormulas(i, formulas[i]);
        return e.layoutReport();
    }

    static QStringList allTexts(const ReportDocument& doc, const QString& section)
    {
        QStringList out;
        for (int p = 0; p < int(doc.pages.size()); ++p)
            out += doc.sectionTexts(p, section);
        return out;
    }

    // A copy of the sample database, so that flags can be set without touching the shipped file.
    QString sampleCopy()
    {
        const QString sample = QStringLiteral(TIKKELI_PROGRAM_DIR "/demo1.mdb");
        if (!QFile::exists(sample))
            return {};
        const QString copy = m_dir.filePath(QStringLiteral("demo1.mdb"));
        QFile::remove(copy);
        EXPECT_TRUE(QFile::copy(sample, copy));
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
        return copy;
    }
};

} // namespace

TEST_F(ShippedReportsTest, FeatureListGroupsByType)
{
    const FixedClock clock(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59)));
    auto doc = runShipped(m_dbPath, QStringLiteral("pilista.rpt"), {}, {QStringLiteral("Seurannimi= 'Erä ry'")});
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->rowCount, 3);
    EXPECT_EQ(allTexts(*doc, QStringLiteral("GH1")), (QStringList{"Jäsenominaisuudet", "Sopimusominaisuudet"}));
    const QStringList lines = doc->pageLines(0);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.first(), QStringLiteral("Erä ry 31.12.2026"));
    EXPECT_TRUE(lines.contains(QStringLiteral("Ampumakoe Hirven ampumakoe suoritettu X 1.1.2024")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Jahtivuoro X X 15,00")));
    EXPECT_TRUE(lines.contains(QStringLiteral("aamu")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Hirvi Sopimus koskee hirveä X 3")));
    EXPECT_EQ(allTexts(*doc, QStringLiteral("GF1")), (QStringList{"Ominaisuuksia: 2", "Ominaisuuksia: 1"}));

    const QString sample = sampleCopy();
    if (sample.isEmpty())
        GTEST_SKIP() << "no sample database";
    auto demo = runShipped(sample, QStringLiteral("pilista.rpt"), {});
    Database db = Database::open(sample);
    EXPECT_EQ(demo->rowCount, db.scalar(QStringLiteral("SELECT COUNT(*) FROM pi")).toInt64());
    EXPECT_EQ(allTexts(*demo, QStringLiteral("GH1")), (QStringList{"Jäsenominaisuudet", "Sopimusominaisuudet"}));
    EXPECT_EQ(allTexts(*demo, QStringLiteral("GF1")),
              (QStringList{QStringLiteral("Ominaisuuksia: %1")
                               .arg(db.scalar(QStringLiteral("SELECT COUNT(*) FROM pi WHERE piType = 1")).toInt64()),
                           QStringLiteral("Ominaisuuksia: %1")
                               .arg(db.scalar(QStringLiteral("SELECT COUNT(*) FROM pi WHERE piType = 2")).toInt64())}));
}

TEST_F(ShippedReportsTest, BillingListWithTotalsAndHeading)
{
    auto doc = runShipped(m_dbPath, QStringLiteral("jmllista.rpt"), {},
                          {QStringLiteral("Seurannimi= 'Erä ry'"), QStringLiteral("Otsikko= 'LASKUTUSLISTA: 1001 - 1003'")});
    EXPECT_EQ(doc->pages.size(), 1u);
    EXPECT_EQ(doc->orientation, QPageLayout::Landscape);
    const QStringList lines = doc->pageLines(0);
    EXPECT_TRUE(lines.contains(QStringLiteral("LASKUTUSLISTA: 1001 - 1003")));
    const QStringList detail = doc->sectionTexts(0, QStringLiteral("DETAIL"));
    EXPECT_EQ(detail.mid(0, 9),
              (QStringList{"1001", "1", "Aho Antti", "10014", "1.2.2024", "29.2.2024", "25,50", "X"}).mid(0, 8)
                  + QStringList{"1002"});
    EXPECT_TRUE(lines.contains(QStringLiteral("1002 2 Virtanen Ville 10027 1.2.2024 29.2.2024 25,50 1")));
    EXPECT_EQ(doc->sectionTexts(0, QStringLiteral("SUMMARY")),
              (QStringList{"Laskuja: 3", "Yhteensä:", "151,00", "Maksettuja: 1", "Maksettu:", "25,50", "Maksamattomia: 2",
                           "Maksamatta:", "125,50"}));

    auto reminded = runShipped(m_dbPath, QStringLiteral("jmllista.rpt"),
                               QStringLiteral("{jmhist.jmhjmMaksettu} = False and {jmhist.jmhjmMuistutusNumero} > 0"));
    EXPECT_EQ(reminded->rowCount, 1);
    EXPECT_TRUE(reminded->pageLines(0).contains(QStringLiteral("LASKUTUSLISTA")));

    const QString sample = sampleCopy();
    if (sample.isEmpty())
        GTEST_SKIP() << "no sample database";
    auto demo = runShipped(sample, QStringLiteral("jmllista.rpt"), QStringLiteral("{jmhist.jmhjmMaksettu} = false"));
    Database db = Database::open(sample);
    EXPECT_EQ(demo->rowCount, db.scalar(QStringLiteral("SELECT COUNT(*) FROM jmhist WHERE jmhjmMaksettu = 0")).toInt64());
    const QString total = demo->sectionTexts(int(demo->pages.size()) - 1, QStringLiteral("SUMMARY")).value(2);
    const Currency expected =
        db.scalar(QStringLiteral("SELECT TOTAL(jmhjmHinta) FROM jmhist WHERE jmhjmMaksettu = 0")).toCurrency();
    EXPECT_EQ(total, expected.toString());
    // Everything listed here is unpaid: the unpaid total is the whole total.
    const QStringList summary = demo->sectionTexts(int(demo->pages.size()) - 1, QStringLiteral("SUMMARY"));
    EXPECT_EQ(summary.value(5), QStringLiteral("0,00"));
    EXPECT_EQ(summary.value(8), total);
    for (size_t p = 0; p < demo->pages.size(); ++p)
        EXPECT_EQ(demo->sectionTexts(int(p), QStringLiteral("FOOTER")),
                  QStringList{QStringLiteral("Sivu %1 / %2").arg(p + 1).arg(demo->pages.size())});
}

TEST_F(ShippedReportsTest, LessorListAndLabelsOfTheSelectedContracts)
{
    auto list = runShipped(m_dbPath, QStringLiteral("mvluetlo.rpt"), QStringLiteral("{vs.vsMukaan} = true"),
                           {QStringLiteral("Seurannimi= 'Erä ry'")});
    EXPECT_EQ(list->rowCount, 2);
    const QStringList lines = list->pageLines(0);
    EXPECT_TRUE(lines.contains(QStringLiteral("VUOKRANANTAJAT")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Aho Antti Kuusitie 1 00100 HELSINKI 040-111 S-1")));
    EXPECT_TRUE(lines.contains(QStringLiteral("O'Brien Olli Mäntytie 2 00990 HELSINKI S-2")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Vuokranantajia: 2")));

    auto labels = runShipped(m_dbPath, QStringLiteral("mvosoite.rpt"), {});
    ASSERT_EQ(labels->pages.size(), 1u);
    EXPECT_EQ(labels->rowCount, 5);
    // Three labels a row, 70 mm apart; the row order is by name.
    const auto aho = labels->find(QStringLiteral("Aho Antti"));
    const auto bjork = labels->find(QStringLiteral("Björk Bea"));
    const auto ohman = labels->find(QStringLiteral("Öhman Örjan"));
    ASSERT_EQ(aho.size(), 1u);
    EXPECT_NEAR(bjork[0].second.rect.left() - aho[0].second.rect.left(), 70 * 72 / 25.4, 0.01);
    EXPECT_NEAR(ohman[0].second.rect.top() - aho[0].second.rect.top(), 37 * 72 / 25.4, 0.01);

    const QString sample = sampleCopy();
    if (sample.isEmpty())
        GTEST_SKIP() << "no sample database";
    Database db = Database::open(sample);
    db.execute(QStringLiteral("UPDATE vs SET vsMukaan = CASE WHEN vsID % 2 = 1 THEN 1 ELSE 0 END"));
    const qint64 selected = db.scalar(QStringLiteral("SELECT COUNT(*) FROM vs WHERE vsMukaan <> 0")).toInt64();
    db.close();
    auto demoList = runShipped(sample, QStringLiteral("mvluetlo.rpt"), QStringLiteral("{vs.vsMukaan} = true"));
    EXPECT_EQ(demoList->rowCount, selected);
    auto demoLabels = runShipped(sample, QStringLiteral("mvosoite.rpt"), QStringLiteral("{vs.vsMukaan} = true"));
    EXPECT_EQ(demoLabels->rowCount, selected);
    EXPECT_EQ(demoLabels->pages.size(), size_t((selected + 23) / 24));
}

TEST_F(ShippedReportsTest, EndToEndPdfReadsBack)
{
    State().ClubName = QStringLiteral("Erämiesten 'Hirvi' ry");
    Printing().PrintDestination = 0;
    PrepareRaport(QStringLiteral("mvluetlo.rpt"), QStringLiteral("{vs.vsMukaan} = true"));
    ReportEngine& r = MainReport();
    r.ReportFileName = shippedReport(QStringLiteral("mvluetlo.rpt"));
    r.Destination = ReportEngine::ToFile;
    r.PrintFileName = m_dir.filePath(QStringLiteral("lista.pdf"));
    r.setAction(1);
    MainReport() = ReportEngine{};

    QProcess p;
    p.start(QStringLiteral("pdftotext"),
            {QStringLiteral("-layout"), m_dir.filePath(QStringLiteral("lista.pdf")), QStringLiteral("-")});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_TRUE(text.contains(QStringLiteral("Erämiesten 'Hirvi' ry"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("VUOKRANANTAJAT")));
    EXPECT_TRUE(text.contains(QStringLiteral("O'Brien Olli")));
    EXPECT_TRUE(text.contains(QStringLiteral("Mäntytie 2")));
    EXPECT_FALSE(text.contains(QStringLiteral("Öhman")));
    EXPECT_TRUE(text.contains(QStringLiteral("Sivu 1 / 1")));
}
