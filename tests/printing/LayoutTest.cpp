#include "PrintingFixture.h"

#include "db/Transaction.h"
#include "printing/ReportError.h"

#include <cmath>

using namespace tikkeli;

namespace {

constexpr double Mm = 72.0 / 25.4;

class LayoutTest : public test::PrintingFixture {
protected:
    void SetUp() override
    {
        PrintingFixture::SetUp();
        Database db = Database::open(m_dbPath);
        db.executeScript(QStringLiteral("CREATE TABLE rivi (riviID INTEGER PRIMARY KEY AUTOINCREMENT, nimi VARCHAR(50), "
                                        "ryhma INTEGER, summa DECIMAL(19,4), teksti TEXT);"));
        Transaction t(db);
        for (int i = 0; i < 100; ++i)
            db.execute(QStringLiteral("INSERT INTO rivi (nimi, ryhma, summa, teksti) VALUES (?, ?, ?, ?)"),
                       {QStringLiteral("Rivi %1").arg(i, 3, 10, QLatin1Char('0')), i / 30, Currency::fromRaw(i * 12500),
                        i == 0 ? Value(
                            QStringLiteral("Tämä on pitkä teksti, joka ei mahdu yhdelle riville vaan jatkuu usealle riville "
                                           "kun kapea kenttä sen niin vaatii"))
                               : Value()});
        t.commit();
    }

    std::shared_ptr<const ReportDocument> run(const QByteArray& json, const std::function<void(ReportEngine&)>& setup = {})
    {
        ReportEngine e = engineFor(writeReport(QStringLiteral("testi.rpt"), json));
        if (setup)
            setup(e);
        return e.layoutReport();
    }

    static int count(const ReportDocument& doc, int page, const QString& section)
    {
        return int(doc.sectionTexts(page, section).size());
    }
};

const QByteArray ListReport = R"({"format": "tikkeli-report/1", "title": "Lista",
  "page": {"size": "A4", "margins": {"top": 10, "bottom": 10, "left": 10, "right": 10}},
  "data": {"table": "rivi"},
  "bands": {
    "pageHeader": {"height": 20, "items": [{"type": "text", "text": "OTSIKKO", "x": 0, "y": 0, "width": 100, "height": 8}]},
    "detail": {"height": 10, "items": [{"type": "field", "field": "rivi.nimi", "x": 5, "y": 0, "width": 50, "height": 8}]},
    "pageFooter": {"height": 10, "items": [{"type": "text", "text": "Sivu {PageNumber} / {TotalPageCount}",
                                            "x": 0, "y": 0, "width": 190, "height": 8, "align": "right"}]}}})";

} // namespace

TEST_F(LayoutTest, PageBreaksWithHeaderAndPageNumbersOnEveryPage)
{
    auto doc = run(ListReport);
    // Body: 297 - 2 × 10 margins - 20 header - 10 footer = 247 mm, 24 rows of 10 mm a page.
    ASSERT_EQ(doc->pages.size(), 5u);
    EXPECT_EQ(doc->rowCount, 100);
    for (int p = 0; p < 5; ++p) {
        EXPECT_EQ(doc->sectionTexts(p, QStringLiteral("HEADER")), QStringList{QStringLiteral("OTSIKKO")});
        EXPECT_EQ(doc->sectionTexts(p, QStringLiteral("FOOTER")), QStringList{QStringLiteral("Sivu %1 / 5").arg(p + 1)});
        EXPECT_EQ(count(*doc, p, QStringLiteral("DETAIL")), p < 4 ? 24 : 4);
    }
    EXPECT_EQ(doc->sectionTexts(1, QStringLiteral("DETAIL")).first(), QStringLiteral("Rivi 024"));
    // Right-aligned page number ends at the right margin.
    const auto footer = doc->find(QStringLiteral("Sivu 3 / 5"));
    ASSERT_EQ(footer.size(), 1u);
    EXPECT_NEAR(footer[0].second.rect.right(), 200 * Mm, 0.01);
    // Rows stay inside the body.
    for (const auto& page : doc->pages)
        for (const auto& it : page.items)
            if (it.section == QLatin1String("DETAIL")) {
                EXPECT_LE(it.rect.top(), (297 - 20) * Mm);
            }
}

TEST_F(LayoutTest, GroupHeadersAndFootersWithSumsAndCounts)
{
    const QByteArray json = R"({"format": "tikkeli-report/1", "data": {"table": "rivi"},
      "page": {"margins": {"top": 10, "bottom": 10, "left": 10, "right": 10}},
      "groups": [{"field": "rivi.ryhma",
        "header": {"height": 8, "items": [{"type": "field", "field": "rivi.ryhma", "text": "Ryhmä ", "width": 50, "height": 6}]},
        "footer": {"height": 8, "items": [
          {"type": "sum", "field": "rivi.summa", "format": "amount", "text": "Summa ", "width": 60, "height": 6},
          {"type": "count", "text": "Rivejä ", "x": 70, "width": 40, "height": 6}]}}],
      "bands": {"detail": {"height": 4, "items": [{"type": "field", "field": "rivi.nimi", "width": 50, "height": 4}]},
        "reportFooter": {"height": 8, "items": [
          {"type": "sum", "field": "rivi.summa", "text": "Kaikki ", "width": 60, "height": 6},
          {"type": "count", "onlyIf": "rivi.teksti", "text": "Tekstillisiä ", "x": 70, "width": 60, "height": 6},
          {"type": "count", "unless": "rivi.teksti", "text": "Tekstittömiä ", "x": 140, "width": 60, "height": 6}]}}})";
    auto doc = run(json);
    QStringList headers, footers;
    for (int p = 0; p < int(doc->pages.size()); ++p) {
        headers += doc->sectionTexts(p, QStringLiteral("GH1"));
        footers += doc->sectionTexts(p, QStringLiteral("GF1"));
    }
    EXPECT_EQ(headers, (QStringList{"Ryhmä 0", "Ryhmä 1", "Ryhmä 2", "Ryhmä 3"}));
    // Sums of 1,25 × i over each group of rows, then the whole report.
    EXPECT_EQ(footers, (QStringList{"Summa 543,75", "Rivejä 30", "Summa 1668,75", "Rivejä 30", "Summa 2793,75", "Rivejä 30",
                                    "Summa 1181,25", "Rivejä 10"}));
    const int last = int(doc->pages.size()) - 1;
    EXPECT_EQ(doc->sectionTexts(last, QStringLiteral("SUMMARY")),
              (QStringList{"Kaikki 6187,50", "Tekstillisiä 1", "Tekstittömiä 99"}));

    // A footer comes before the next group's header.
    const auto f0 = doc->find(QStringLiteral("Rivejä 30"));
    const auto h1 = doc->find(QStringLiteral("Ryhmä 1"));
    ASSERT_FALSE(f0.empty());
    ASSERT_EQ(h1.size(), 1u);
    EXPECT_TRUE(f0[0].first < h1[0].first || f0[0].second.baseline < h1[0].second.baseline);
}

// An item with printIf prints only on the rows whose field has the value, one with printUnless on
// every other row (Null included). The report header stands at the first row.
TEST_F(LayoutTest, PrintConditionsChooseTheItemRowByRow)
{
    const QByteArray json = R"({"format": "tikkeli-report/1", "data": {"table": "rivi", "sort": ["+{rivi.riviID}"]},
      "page": {"margins": {"top": 10, "bottom": 10, "left": 10, "right": 10}},
      "bands": {
        "reportHeader": {"height": 8, "items": [
          {"type": "text", "text": "otsikko", "printIf": {"field": "rivi.ryhma", "equals": 1}, "width": 50, "height": 6}]},
        "detail": {"height": 4, "items": [
          {"type": "field", "field": "rivi.nimi", "width": 30, "height": 4},
          {"type": "text", "text": "yksi", "printIf": {"field": "rivi.ryhma", "equals": 1}, "x": 40, "width": 30, "height": 4},
          {"type": "text", "text": "muu {rivi.ryhma}", "printUnless": {"field": "rivi.ryhma", "equals": "1"},
           "x": 40, "width": 30, "height": 4},
          {"type": "text", "text": "tyhjä", "printIf": {"field": "rivi.teksti", "equals": null}, "x": 80, "width": 30, "height": 4}]}}})";
    {
        Database db = Database::open(m_dbPath);
        db.execute(QStringLiteral("UPDATE rivi SET ryhma = NULL WHERE riviID = 100"));
    }
    auto doc = run(json);
    QStringList lines;
    for (int p = 0; p < int(doc->pages.size()); ++p)
        lines += doc->pageLines(p);
    EXPECT_FALSE(lines.join(u'|').contains(QStringLiteral("otsikko")));
    const auto lineOf = [&](const QString& name) {
        for (const QString& l : lines)
            if (l.startsWith(name))
                return l;
        return QString();
    };
    EXPECT_EQ(lineOf(QStringLiteral("Rivi 000")), QStringLiteral("Rivi 000 muu 0"));
    EXPECT_EQ(lineOf(QStringLiteral("Rivi 030")), QStringLiteral("Rivi 030 yksi tyhjä"));
    EXPECT_EQ(lineOf(QStringLiteral("Rivi 059")), QStringLiteral("Rivi 059 yksi tyhjä"));
    EXPECT_EQ(lineOf(QStringLiteral("Rivi 060")), QStringLiteral("Rivi 060 muu 2 tyhjä"));
    EXPECT_EQ(lineOf(QStringLiteral("Rivi 099")), QStringLiteral("Rivi 099 muu tyhjä"));

    // A condition needs a field and a plain value, and only one of the two kinds.
    for (const char* bad :
         {R"("printIf": {"field": "rivi.ryhma"})", R"("printIf": {"equals": 1})",
          R"("printIf": {"field": "rivi.ryhma", "equals": [1]})", R"("printIf": "rivi.ryhma")",
          R"("printIf": {"field": "rivi.ryhma", "equals": 1}, "printUnless": {"field": "rivi.ryhma", "equals": 1})",
          R"("printIf": {"field": "rivi.ryhma", "equals": 1, "or": 2})"}) {
        const QByteArray report = QByteArray(
                                      R"({"format": "tikkeli-report/1", "data": {"table": "rivi"}, "bands": {"detail": )"
                                      R"({"height": 4, "items": [{"type": "text", "text": "x", )")
                                  + bad + "}]}}}";
        try {
            run(report);
            ADD_FAILURE() << bad;
        } catch (const ReportException& e) {
            EXPECT_EQ(e.number(), 20525) << bad;
        }
    }
}

TEST_F(LayoutTest, SumsInHeadersShowTheWholeGroupsTotal)
{
    // 30 rows of 10 mm a group: each group continues on a second page with its header repeated.
    const QByteArray json = R"({"format": "tikkeli-report/1", "data": {"table": "rivi"},
      "page": {"margins": {"top": 10, "bottom": 10, "left": 10, "right": 10}},
      "groups": [{"field": "rivi.ryhma", "repeatHeader": true,
        "header": {"height": 8, "items": [
          {"type": "field", "field": "rivi.ryhma", "text": "Ryhmä ", "width": 30, "height": 6},
          {"type": "sum", "field": "rivi.summa", "format": "amount", "text": "yht. ", "x": 40, "width": 40, "height": 6},
          {"type": "count", "text": "rivejä ", "x": 90, "width": 40, "height": 6},
          {"type": "sum", "field": "rivi.summa", "reset": "report", "text": "kaikki ", "x": 140, "width": 50, "height": 6}]},
        "footer": {"height": 8, "items": [
          {"type": "sum", "field": "rivi.summa", "format": "amount", "text": "Summa ", "width": 60, "height": 6}]}}],
      "bands": {
        "reportHeader": {"height": 8, "items": [
          {"type": "sum", "field": "rivi.summa", "format": "amount", "text": "Raportti ", "width": 60, "height": 6},
          {"type": "count", "text": "Rivejä ", "x": 70, "width": 40, "height": 6}]},
        "detail": {"height": 10, "items": [
          {"type": "field", "field": "rivi.nimi", "width": 50, "height": 8},
          {"type": "sum", "field": "rivi.summa", "format": "amount", "x": 60, "width": 40, "height": 8}]}}})";
    auto doc = run(json);
    EXPECT_EQ(doc->sectionTexts(0, QStringLiteral("TITLE")), (QStringList{"Raportti 6187,50", "Rivejä 100"}));
    QStringList headers, footers;
    for (int p = 0; p < int(doc->pages.size()); ++p) {
        headers += doc->sectionTexts(p, QStringLiteral("GH1"));
        footers += doc->sectionTexts(p, QStringLiteral("GF1"));
    }
    // Every header of a group, the repeated ones too, shows the same total as its footer.
    const QStringList group0{"Ryhmä 0", "yht. 543,75", "rivejä 30", "kaikki 6187,50"};
    const QStringList group1{"Ryhmä 1", "yht. 1668,75", "rivejä 30", "kaikki 6187,50"};
    const QStringList group3{"Ryhmä 3", "yht. 1181,25", "rivejä 10", "kaikki 6187,50"};
    EXPECT_EQ(headers.mid(0, 8), group0 + group0);
    EXPECT_EQ(headers.mid(8, 4), group1);
    EXPECT_EQ(headers.mid(headers.size() - 4), group3);
    EXPECT_EQ(footers, (QStringList{"Summa 543,75", "Summa 1668,75", "Summa 2793,75", "Summa 1181,25"}));
    // The detail band keeps the running total of its group.
    const QStringList first = doc->sectionTexts(0, QStringLiteral("DETAIL"));
    ASSERT_GE(first.size(), 4);
    EXPECT_EQ(first.mid(0, 4), (QStringList{"Rivi 000", "0,00", "Rivi 001", "1,25"}));
}

TEST_F(LayoutTest, GroupOnNewPageRepeatsHeaderAndSortsAfterGroupKeys)
{
    const QByteArray json = R"({"format": "tikkeli-report/1", "data": {"table": "rivi"},
      "page": {"margins": {"top": 10, "bottom": 10, "left": 10, "right": 10}},
      "groups": [{"field": "rivi.ryhma", "newPage": true, "repeatHeader": true,
        "header": {"height": 8, "items": [{"type": "field", "field": "rivi.ryhma", "text": "Ryhmä ", "width": 50, "height": 6}]}}],
      "bands": {"detail": {"height": 10, "items": [{"type": "field", "field": "rivi.nimi", "width": 50, "height": 8}]}}})";
    auto doc = run(json, [](ReportEngine& e) { e.setSortFields(0, QStringLiteral("-{rivi.nimi}")); });
    // 30 rows of 10 mm do not fit on one page (277 mm body): each group takes two pages, the last one.
    ASSERT_EQ(doc->pages.size(), 7u);
    EXPECT_EQ(doc->sectionTexts(0, QStringLiteral("GH1")), QStringList{QStringLiteral("Ryhmä 0")});
    EXPECT_EQ(doc->sectionTexts(1, QStringLiteral("GH1")), QStringList{QStringLiteral("Ryhmä 0")});
    EXPECT_EQ(doc->sectionTexts(2, QStringLiteral("GH1")), QStringList{QStringLiteral("Ryhmä 1")});
    // Descending names inside the group order, after the group key.
    EXPECT_EQ(doc->sectionTexts(0, QStringLiteral("DETAIL")).first(), QStringLiteral("Rivi 029"));
    EXPECT_EQ(doc->sectionTexts(2, QStringLiteral("DETAIL")).first(), QStringLiteral("Rivi 059"));
}

// A group marked afterSort is a record of a list the print sorts: the sort field orders the
// groups, the group field only keeps each record's rows together.
TEST_F(LayoutTest, GroupAfterSortFollowsThePrintsSortField)
{
    const auto headers = [&](bool afterSort) {
        const QByteArray json = QByteArrayLiteral(R"({"format": "tikkeli-report/1", "data": {"table": "jr"},
          "groups": [{"field": "jr.jrID", "afterSort": )")
                                + (afterSort ? "true" : "false") + QByteArrayLiteral(R"(,
            "header": {"height": 6, "items": [{"type": "field", "field": "jr.jrSukunimi", "width": 50, "height": 5}]}}],
          "bands": {"detail": {"height": 5, "items": [{"type": "field", "field": "jr.jrEtunimi", "width": 50, "height": 5}]}}})");
        auto doc = run(json, [](ReportEngine& e) { e.setSortFields(0, QStringLiteral("-{jr.jrSukunimi}")); });
        return doc->sectionTexts(0, QStringLiteral("GH1"));
    };
    EXPECT_EQ(headers(true), (QStringList{"Virtanen", "Mäki", "Lahti", "Aho"}));
    EXPECT_EQ(headers(false), (QStringList{"Aho", "Virtanen", "Mäki", "Lahti"}));
}

TEST_F(LayoutTest, LabelGridPositions)
{
    const QByteArray json = R"({"format": "tikkeli-report/1", "data": {"table": "vs", "sort": ["+{vs.vsID}"]},
      "page": {"margins": {"top": 20, "bottom": 0, "left": 10, "right": 0}},
      "labels": {"columns": 3, "rows": 2, "width": 60, "height": 40, "columnGap": 5, "rowGap": 3, "order": "across"},
      "bands": {"detail": {"height": 40, "items": [{"type": "text", "text": "{vs.vsNimi}\n{vs.vsOsoite}\n{vs.vsPostinumero}",
         "dropEmptyLines": true, "x": 4, "y": 2, "width": 50, "height": 30}]}}})";
    auto doc = run(json);
    ASSERT_EQ(doc->pages.size(), 1u);
    auto at = [&](const char* name) {
        const auto found = doc->find(QString::fromUtf8(name));
        EXPECT_EQ(found.size(), 1u) << name;
        return found.empty() ? QPointF() : QPointF(found[0].second.rect.left() / Mm, found[0].second.rect.top() / Mm);
    };
    // Label n: left 10 + column × (60 + 5) + 4, top 20 + row × (40 + 3) + 2.
    const QPointF first = at("Aho Antti");
    EXPECT_NEAR(first.x(), 14, 0.01);
    EXPECT_NEAR(first.y(), 22, 0.01);
    const QPointF second = at("O'Brien Olli");
    EXPECT_NEAR(second.x(), 79, 0.01);
    EXPECT_NEAR(second.y(), 22, 0.01);
    const QPointF fourth = at("Björk Bea");
    EXPECT_NEAR(fourth.x(), 14, 0.01);
    EXPECT_NEAR(fourth.y(), 65, 0.01);
    // An empty address line is dropped: the postcode moves up under the name.
    const auto ohman = doc->find(QStringLiteral("33100"));
    ASSERT_EQ(ohman.size(), 1u);
    const auto ohmanName = doc->find(QStringLiteral("Öhman Örjan"));
    EXPECT_NEAR(ohman[0].second.rect.top() - ohmanName[0].second.rect.top(), ohmanName[0].second.rect.height(), 0.01);

    auto down = run(QByteArray(json).replace("\"across\"", "\"down\"").replace("\"rows\": 2", "\"rows\": 1"));
    ASSERT_EQ(down->pages.size(), 2u);
    EXPECT_EQ(down->sectionTexts(1, QStringLiteral("DETAIL")).first(), QStringLiteral("Björk Bea"));
}

TEST_F(LayoutTest, EngineMarginsReplaceTheReportsOwn)
{
    auto doc = run(ListReport, [](ReportEngine& e) {
        e.MarginLeft = 1440; // one inch
        e.MarginTop = 2880;
        e.MarginBottom = -480; // off the paper: taken as none
    });
    const auto header = doc->find(QStringLiteral("OTSIKKO"));
    ASSERT_FALSE(header.empty());
    EXPECT_NEAR(header[0].second.rect.left(), 72, 0.01);
    EXPECT_NEAR(header[0].second.rect.top(), 144, 0.01);
    const auto row = doc->find(QStringLiteral("Rivi 000"));
    ASSERT_EQ(row.size(), 1u);
    EXPECT_NEAR(row[0].second.rect.left(), 72 + 5 * Mm, 0.01);
    const auto footer = doc->find(QStringLiteral("Sivu 1 / %1").arg(doc->pages.size()));
    ASSERT_EQ(footer.size(), 1u);
    EXPECT_NEAR(footer[0].second.rect.top(), (297 - 10) * Mm, 0.01);
}

TEST_F(LayoutTest, SectionFontsApplyToTheirSections)
{
    const QByteArray json = R"({"format": "tikkeli-report/1", "data": {"table": "vs"},
      "font": {"name": "Times New Roman", "size": 10},
      "bands": {
        "pageHeader": {"height": 10, "items": [
          {"type": "text", "text": "Otsikko", "width": 50, "height": 8, "font": {"size": 16}},
          {"type": "text", "text": "Kiinteä", "x": 60, "width": 50, "height": 8, "font": {"name": "Arial", "size": 7}, "fixedFont": true}]},
        "detail": {"height": 6, "items": [{"type": "field", "field": "vs.vsNimi", "width": 50, "height": 6, "font": {"bold": true}}]}}})";
    auto doc = run(json, [](ReportEngine& e) {
        e.setSectionFont(0, QStringLiteral("ALL;Arial;12;X;X;X;X"));
        e.setSectionFont(1, QStringLiteral("HEADER;Courier New;X;T;X;X;700"));
        e.setSectionFont(2, QString());
    });
    const auto title = doc->find(QStringLiteral("Otsikko"))[0].second;
    EXPECT_EQ(title.font.family, QStringLiteral("Courier New"));
    EXPECT_EQ(title.font.size, 12);
    EXPECT_TRUE(title.font.italic);
    EXPECT_TRUE(title.font.bold);
    const auto name = doc->find(QStringLiteral("Aho Antti"))[0].second;
    EXPECT_EQ(name.font.family, QStringLiteral("Arial"));
    EXPECT_EQ(name.font.size, 12);
    EXPECT_TRUE(name.font.bold); // "X" keeps the report's own style
    EXPECT_FALSE(name.font.italic);
    const auto fixed = doc->find(QStringLiteral("Kiinteä"))[0].second;
    EXPECT_EQ(fixed.font.family, QStringLiteral("Arial"));
    EXPECT_EQ(fixed.font.size, 7);

    for (const char* bad : {"DETAIL;Arial", "DETAIL;Arial;iso;X;X;X;X", "OSA;Arial;10;X;X;X;X", "ALL;Arial;10;Q;X;X;X"}) {
        SCOPED_TRACE(bad);
        try {
            run(json, [&](ReportEngine& e) { e.setSectionFont(0, QString::fromUtf8(bad)); });
            ADD_FAILURE() << "accepted";
        } catch (const ReportException& ex) {
            EXPECT_EQ(ex.number(), 20515);
        }
    }
}

TEST_F(LayoutTest, LongTextWrapsOrIsCutAsTheDefinitionSays)
{
    const QByteArray wrapJson = R"({"format": "tikkeli-report/1", "data": {"table": "rivi"},
      "bands": {"detail": {"height": 5, "items": [
        {"type": "field", "field": "rivi.teksti", "x": 0, "width": 40, "height": 5, "wrap": true},
        {"type": "field", "field": "rivi.nimi", "x": 50, "width": 40, "height": 5}]}}})";
    auto doc = run(wrapJson);
    const QString full = QStringLiteral("Tämä on pitkä teksti, joka ei mahdu yhdelle riville vaan jatkuu usealle riville "
                                        "kun kapea kenttä sen niin vaatii");
    QStringList lines;
    double lastBottom = 0;
    for (const auto& it : doc->pages[0].items)
        if (it.section == QLatin1String("DETAIL") && it.rect.left() < 30 * Mm) {
            lines << it.text;
            EXPECT_LE(it.rect.width(), 40 * Mm + 0.01);
            lastBottom = std::max(lastBottom, it.rect.bottom());
        }
    ASSERT_GT(lines.size(), 2);
    EXPECT_EQ(lines.join(QLatin1Char(' ')), full);
    // The band grew: the second row starts below the wrapped text.
    const auto second = doc->find(QStringLiteral("Rivi 001"));
    ASSERT_EQ(second.size(), 1u);
    EXPECT_GE(second[0].second.rect.top() + 0.01, lastBottom);

    auto cutDoc = run(QByteArray(wrapJson).replace("\"wrap\": true", "\"wrap\": false"));
    QStringList cut;
    for (const auto& it : cutDoc->pages[0].items)
        if (it.section == QLatin1String("DETAIL") && it.rect.left() < 30 * Mm) {
            cut << it.text;
            EXPECT_LE(it.rect.width(), 40 * Mm + 0.01);
        }
    ASSERT_EQ(cut.size(), 1);
    EXPECT_TRUE(full.startsWith(cut[0]));
    EXPECT_LT(cut[0].size(), full.size());
    EXPECT_NEAR(cutDoc->find(QStringLiteral("Rivi 001"))[0].second.rect.top(), 15 * Mm + 5 * Mm, 0.01);
}

TEST_F(LayoutTest, BottomAnchoredBandSitsAboveThePageFooter)
{
    const QByteArray json = R"({"format": "tikkeli-report/1", "data": {"table": "vs", "sort": ["+{vs.vsID}"]},
      "page": {"margins": {"top": 10, "bottom": 10, "left": 10, "right": 10}},
      "groups": [{"field": "vs.vsID",
        "header": {"height": 10, "items": [{"type": "field", "field": "vs.vsNimi", "width": 80, "height": 8}]},
        "footer": {"height": 90, "anchor": "bottom", "items": [
          {"type": "box", "x": 0, "y": 0, "width": 190, "height": 90},
          {"type": "field", "field": "vs.vsSopimusNo", "text": "Tilisiirto ", "x": 2, "y": 2, "width": 80, "height": 8}]}}],
      "bands": {"detail": {"height": 0},
        "pageFooter": {"height": 10, "items": [{"type": "pageNumber", "width": 20, "height": 8}]}}})";
    auto doc = run(json);
    ASSERT_EQ(doc->pages.size(), 5u);
    for (int p = 0; p < 5; ++p) {
        const auto& items = doc->pages[size_t(p)].items;
        auto box = std::find_if(items.begin(), items.end(),
                                [](const auto& it) { return it.kind == ReportDocument::Item::Kind::Box; });
        ASSERT_NE(box, items.end());
        EXPECT_NEAR(box->rect.bottom(), (297 - 10 - 10) * Mm, 0.01);
        EXPECT_EQ(doc->sectionTexts(p, QStringLiteral("GF1")), QStringList{QStringLiteral("Tilisiirto S-%1").arg(p + 1)});
    }
}

TEST_F(LayoutTest, NamedFormulasAndReportFileErrors)
{
    const QByteArray json = R"({"format": "tikkeli-report/1", "data": {"table": "vs"},
      "formulas": {"Otsikko": "OLETUS"},
      "bands": {"reportHeader": {"height": 20, "items": [
          {"type": "formula", "formula": "Seurannimi", "width": 100, "height": 8},
          {"type": "text", "text": "{@Otsikko} / {@otsikko}", "y": 10, "width": 100, "height": 8}]},
        "detail": {"height": 5, "items": [{"type": "field", "field": "vs.vsNimi", "width": 50, "height": 5}]}}})";
    auto doc = run(json, [](ReportEngine& e) {
        e.setFormulas(0, QStringLiteral("Seurannimi= 'Erän 'Pojat' ry'"));
        e.setFormulas(5, QStringLiteral("EiKaytossa= 'x'"));
    });
    EXPECT_EQ(doc->sectionTexts(0, QStringLiteral("TITLE")), (QStringList{"Erän 'Pojat' ry", "OLETUS / OLETUS"}));

    ReportEngine missing = engineFor(m_dir.filePath(QStringLiteral("eiole.rpt")));
    try {
        missing.layoutReport();
        ADD_FAILURE();
    } catch (const ReportException& e) {
        EXPECT_EQ(e.number(), 20504);
        EXPECT_TRUE(e.description().contains(QLatin1String("eiole.rpt")));
    }
    for (const QByteArray& bad :
         {QByteArray("{ rikki"), QByteArray(R"({"format": "tikkeli-report/1", "data": {"table": "vs"}})"),
          QByteArray(R"({"format": "tikkeli-report/1", "data": {"table": "vs"}, "bands": {"detail":
                                     {"height": 5, "items": [{"type": "field", "field": "vs.vsNimi; DROP", "width": 5}]}}})")}) {
        ReportEngine e = engineFor(writeReport(QStringLiteral("rikki.rpt"), bad));
        try {
            e.layoutReport();
            ADD_FAILURE() << bad.constData();
        } catch (const ReportException& ex) {
            EXPECT_EQ(ex.number(), 20525);
        }
    }
    // A report that prints a field of a table outside its data source is refused.
    ReportEngine e = engineFor(
        writeReport(QStringLiteral("vieras.rpt"), R"({"format": "tikkeli-report/1", "data": {"table": "vs"},
        "bands": {"detail": {"height": 5, "items": [{"type": "field", "field": "jr.jrSukunimi", "width": 50}]}}})"));
    EXPECT_THROW(e.layoutReport(), ReportException);
}

TEST_F(LayoutTest, ZeroMarginKeepsTheReportsOwn)
{
    auto doc = run(ListReport, [](ReportEngine& e) {
        e.MarginLeft = 0;
        e.MarginTop = 0;
    });
    const auto header = doc->find(QStringLiteral("OTSIKKO"));
    ASSERT_FALSE(header.empty());
    EXPECT_NEAR(header[0].second.rect.left(), 10 * Mm, 0.01);
    EXPECT_NEAR(header[0].second.rect.top(), 10 * Mm, 0.01);
}

TEST_F(LayoutTest, FootersShowTheLastRowOfTheirGroupAndPageWhileRowsAreReadOneAtATime)
{
    // The group header's sum reads its whole group ahead; footers come after the next row is read.
    const QByteArray json = R"({"format": "tikkeli-report/1", "data": {"table": "rivi"},
      "page": {"margins": {"top": 10, "bottom": 10, "left": 10, "right": 10}},
      "groups": [{"field": "rivi.ryhma",
        "header": {"height": 8, "items": [{"type": "sum", "field": "rivi.summa", "format": "amount", "text": "Ryhmä yhteensä ",
                                           "width": 80, "height": 6}]},
        "footer": {"height": 8, "items": [{"type": "field", "field": "rivi.nimi", "text": "Viimeinen ", "width": 80,
                                           "height": 6}]}}],
      "bands": {"detail": {"height": 7, "items": [{"type": "field", "field": "rivi.nimi", "width": 50, "height": 6}]},
        "pageFooter": {"height": 8, "items": [{"type": "field", "field": "rivi.nimi", "text": "Sivun viimeinen ",
                                               "width": 80, "height": 6}]}}})";
    auto doc = run(json);
    ASSERT_GE(doc->pages.size(), 3u);
    QStringList headers, footers;
    for (int p = 0; p < int(doc->pages.size()); ++p) {
        headers += doc->sectionTexts(p, QStringLiteral("GH1"));
        footers += doc->sectionTexts(p, QStringLiteral("GF1"));
        const QStringList rows = doc->sectionTexts(p, QStringLiteral("DETAIL"));
        ASSERT_FALSE(rows.isEmpty());
        EXPECT_EQ(doc->sectionTexts(p, QStringLiteral("FOOTER")),
                  QStringList{QStringLiteral("Sivun viimeinen ") + rows.last()})
            << p;
    }
    EXPECT_EQ(headers, (QStringList{"Ryhmä yhteensä 543,75", "Ryhmä yhteensä 1668,75", "Ryhmä yhteensä 2793,75",
                                    "Ryhmä yhteensä 1181,25"}));
    EXPECT_EQ(footers,
              (QStringList{"Viimeinen Rivi 029", "Viimeinen Rivi 059", "Viimeinen Rivi 089", "Viimeinen Rivi 099"}));
}
