#include "PrintingFixture.h"

#include "printing/ReportDefinition.h"
#include "printing/ReportError.h"
#include "printing/ReportLayouter.h"
#include "printing/SelectionFormula.h"
#include "printing/TextMeasurer.h"

using namespace tikkeli;

namespace {

// A definition whose one marked place takes the value under test.
QByteArray definitionWith(const char* place, const char* value)
{
    QByteArray json = R"({"format": "tikkeli-report/1", "data": {"table": "vs"},
      "page": {"size": <PAGE>, "margins": {"left": <LEFT>}},
      "labels": {"columns": <COLUMNS>, "rows": <ROWS>, "width": 60, "height": 30, "columnGap": <GAP>},
      "bands": {"detail": {"height": <HEIGHT>, "items": [
        {"type": "field", "field": "vs.vsNimi", "x": <X>, "width": 50, "height": 5, "font": {"size": <FONT>},
         "format": "number", "decimals": <DECIMALS>},
        {"type": "line", "x": 0, "y": 0, "x2": <X2>, "lineWidth": <PEN>}]}}})";
    const std::map<QByteArray, QByteArray> normal = {{"PAGE", R"("A4")"}, {"LEFT", "20"},   {"COLUMNS", "3"}, {"ROWS", "8"},
                                                     {"GAP", "0"},        {"HEIGHT", "30"}, {"X", "0"},       {"FONT", "10"},
                                                     {"DECIMALS", "2"},   {"X2", "50"},     {"PEN", "0.5"}};
    for (const auto& [key, v] : normal)
        json.replace("<" + key + ">", key == place ? QByteArray(value) : v);
    return json;
}

int refusal(const QByteArray& json)
{
    try {
        ReportDefinition::parse(json, QString(), QStringLiteral("raja.rpt"));
    } catch (const ReportException& e) {
        return e.number();
    }
    return 0;
}

QString orList(int terms, const char* joiner)
{
    QStringList parts;
    for (int i = 0; i < terms; ++i)
        parts << QStringLiteral("{vs.vsID} = %1").arg(i);
    return parts.join(QLatin1String(joiner));
}

SelectionFormula::Sql translate(const QString& formula)
{
    return SelectionFormula::translate(formula, [](const QString& table, const QString& field) {
        return QStringLiteral("\"%1\".\"%2\"").arg(table, field);
    });
}

} // namespace

TEST(ReportLimits, NumbersOutsideTheirBoundsAreRefusedAsAnInvalidReport)
{
    ASSERT_EQ(refusal(definitionWith("", "")), 0);
    const struct {
        const char* place;
        const char* value;
    } refused[] = {
        {"COLUMNS", "65536"},
        {"ROWS", "65536"},
        {"COLUMNS", "0"},
        {"COLUMNS", "1.5"},
        {"COLUMNS", R"("3")"},
        {"FONT", "1e-300"},
        {"FONT", "1e300"},
        {"FONT", "0"},
        {"FONT", "-12"},
        {"X", "1e308"},
        {"X", "-1e308"},
        {"X", R"("vasen")"},
        {"X2", "1e308"},
        {"HEIGHT", "-5"},
        {"HEIGHT", "1e12"},
        {"LEFT", "1e9"},
        {"LEFT", "-1"},
        {"GAP", "-3"},
        {"DECIMALS", "99"},
        {"DECIMALS", "-1"},
        {"PEN", "1e200"},
        {"PEN", "-0.5"},
        {"PAGE", R"({"width": 1e300, "height": 297})"},
        {"PAGE", R"({"width": 210, "height": -297})"},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(std::string(r.place) + " = " + r.value);
        EXPECT_EQ(refusal(definitionWith(r.place, r.value)), ReportErr::InvalidReport);
    }
    const struct {
        const char* place;
        const char* value;
    } accepted[] = {{"COLUMNS", "100"}, {"ROWS", "100"}, {"FONT", "1"},
                    {"FONT", "500"},    {"X", "-5"},     {"DECIMALS", "0"},
                    {"DECIMALS", "4"},  {"PEN", "0"},    {"PAGE", R"({"width": 100, "height": 50})"}};
    for (const auto& a : accepted) {
        SCOPED_TRACE(std::string(a.place) + " = " + a.value);
        EXPECT_EQ(refusal(definitionWith(a.place, a.value)), 0);
    }
}

TEST(ReportLimits, SectionFontSizeBelowOnePointIsRefused)
{
    for (const char* size : {"1e-300", "0.5", "0", "1e300", "nan", "inf"}) {
        SCOPED_TRACE(size);
        EXPECT_THROW(ReportLayouter::parseSectionFont(QStringLiteral("DETAIL;Arial;%1;X;X;X;X").arg(QLatin1String(size))),
                     ReportException);
    }
    const auto font = ReportLayouter::parseSectionFont(QStringLiteral("DETAIL;Arial;1;X;X;X;X"));
    ASSERT_TRUE(font.has_value());
    ASSERT_TRUE(font->second.size.has_value());
    EXPECT_EQ(*font->second.size, 1.0);
}

TEST(ReportLimits, LongChainsOfTermsAreRefusedWithAClearErrorNotAStackOverflow)
{
    for (const char* joiner : {" or ", " and "}) {
        SCOPED_TRACE(joiner);
        try {
            translate(orList(20000, joiner));
            ADD_FAILURE() << "20,000 terms were taken";
        } catch (const ReportException& e) {
            EXPECT_EQ(e.number(), ReportErr::FormulaError);
            EXPECT_TRUE(e.description().contains(QLatin1String("liian monta"))) << e.description().toStdString();
        }
    }
    QStringList values;
    for (int i = 0; i < 20000; ++i)
        values << QString::number(i);
    EXPECT_THROW(translate(QStringLiteral("{vs.vsID} in [%1]").arg(values.join(u','))), ReportException);
}

class ReportLimitsQuery : public test::PrintingFixture {};

TEST_F(ReportLimitsQuery, HundredsOfAlternativesStillSelectTheRightRows)
{
    const QByteArray ids = R"({"format": "tikkeli-report/1", "data": {"table": "vs"},
      "bands": {"detail": {"height": 5, "items": [{"type": "field", "field": "vs.vsID", "width": 10}]}}})";
    for (const char* joiner : {" or ", " and "}) {
        SCOPED_TRACE(joiner);
        ReportEngine e = engineFor(writeReport(QStringLiteral("ids.rpt"), ids));
        // vsID = 0 or 1 or ... 399 takes all five; the same terms joined by "and" take none.
        e.SelectionFormula = orList(400, joiner);
        const auto doc = e.layoutReport();
        ASSERT_TRUE(doc);
        EXPECT_EQ(doc->rowCount, QLatin1String(joiner) == QLatin1String(" or ") ? 5 : 0);
    }
}

TEST(ReportLimits, TextWithoutBlanksWrapsIntoPiecesThatFitAndKeepEveryCharacter)
{
    TextMeasurer m;
    const ReportFont font;
    const double width = 40 * 72.0 / 25.4;
    for (const QString& text :
         {QString(100000, u'x'), QStringLiteral("alku ") + QString(50000, u'W') + QStringLiteral(" loppu"),
          QStringLiteral("\U0001F98C").repeated(3000)}) {
        SCOPED_TRACE(text.size());
        const auto lines = m.wrap(font, text, width);
        ASSERT_GT(lines.size(), 10u);
        QString joined;
        for (const auto& [line, advance] : lines) {
            ASSERT_FALSE(line.isEmpty());
            // The advance handed back with a line is the line's own, so it need not be measured again.
            EXPECT_DOUBLE_EQ(advance, m.width(font, line));
            EXPECT_LE(advance, width);
            ASSERT_FALSE(line.back().isHighSurrogate());
            joined += line;
        }
        QString withoutBlanks = text;
        withoutBlanks.remove(u' ');
        EXPECT_EQ(joined.remove(u' '), withoutBlanks);
    }
}
