#include "PrintingFixture.h"

#include "printing/ReportDefinition.h"
#include "printing/ReportError.h"
#include "printing/ReportLayouter.h"
#include "printing/SelectionFormula.h"

#include <QDirIterator>
#include <random>

using namespace tikkeli;

// Random inputs for the report-definition reader and the selection-formula translator: whatever
// they are given, they answer with a result or a ReportException, never a crash or a hang.
// A run takes a few seconds with a fixed starting value; TIKKELI_FUZZ_ROUNDS multiplies the number of
// inputs and TIKKELI_FUZZ_START picks other ones (the starting value is printed with every failure).

namespace {

int rounds(int perRound)
{
    const int factor = qEnvironmentVariableIntValue("TIKKELI_FUZZ_ROUNDS");
    return perRound * std::max(factor, 1);
}

std::mt19937 generator()
{
    bool given = false;
    const uint start = qEnvironmentVariable("TIKKELI_FUZZ_START").toUInt(&given);
    return std::mt19937(given ? start : 20251207u);
}

class Mutator {
public:
    explicit Mutator(std::mt19937& random) : m_random(random) {}

    int below(int n) { return std::uniform_int_distribution<int>(0, std::max(n, 1) - 1)(m_random); }

    template <typename T>
    const T& pick(const std::vector<T>& from)
    {
        return from[std::size_t(below(int(from.size())))];
    }

    // A few edits of the kinds that break parsers: bytes flipped, dropped, repeated, and pieces
    // of the vocabulary put in at random places.
    QByteArray mutate(QByteArray text, const std::vector<QByteArray>& vocabulary)
    {
        const int edits = 1 + below(6);
        for (int e = 0; e < edits; ++e) {
            const int at = below(int(text.size()) + 1);
            switch (below(6)) {
            case 0:
                if (!text.isEmpty())
                    text[std::min<qsizetype>(at, text.size() - 1)] = char(below(256));
                break;
            case 1: text.remove(at, 1 + below(16)); break;
            case 2: text.insert(at, pick(vocabulary)); break;
            case 3: {
                const int from = below(int(text.size()));
                text.insert(at, text.mid(from, 1 + below(64)));
                break;
            }
            case 4: text.replace(at, 1 + below(8), pick(vocabulary)); break;
            default: text.insert(at, pick(vocabulary).repeated(1 + below(200))); break;
            }
        }
        return text;
    }

private:
    std::mt19937& m_random;
};

std::vector<QByteArray> shippedDefinitions()
{
    std::vector<QByteArray> out;
    QDirIterator it(QStringLiteral(TIKKELI_SOURCE_DIR "/reports"), {QStringLiteral("*.rpt")});
    while (it.hasNext()) {
        QFile f(it.next());
        if (f.open(QIODevice::ReadOnly))
            out.push_back(f.readAll());
    }
    return out;
}

QString seedText()
{
    return QStringLiteral("start %1").arg(qEnvironmentVariable("TIKKELI_FUZZ_START", QStringLiteral("20251207")));
}

} // namespace

TEST(Fuzz, ReportDefinitionReaderAnswersEveryInputWithADefinitionOrAnError)
{
    const std::vector<QByteArray> samples = shippedDefinitions();
    ASSERT_FALSE(samples.empty());
    const std::vector<QByteArray> vocabulary = {
        "{",
        "}",
        "[",
        "]",
        ",",
        ":",
        "\"",
        "\\",
        "0",
        "-1",
        "1e308",
        "-1e308",
        "1e-300",
        "65536",
        "2147483648",
        "NaN",
        "null",
        "true",
        "\"labels\": {\"columns\": 100, \"rows\": 100, \"width\": 1, \"height\": 1},",
        "{PageNumber}",
        "{TotalPageCount}",
        "{@",
        "{vs.vsNimi}",
        "\"grow\": true,",
        "\"wrap\": true,",
        "\"newPageBefore\": true,",
        "\"newPageAfter\": true,",
        "\"anchor\": \"bottom\",",
        "\"height\": 2000,",
        "\"size\": 500,",
        "\"reset\": \"group9\",",
        "\xc3\xa4",
        "\xf0\x9f\xa6\x8c",
        "\xff",
        QByteArray(1, '\0')};
    std::mt19937 random = generator();
    Mutator m(random);
    int accepted = 0;
    for (int i = 0, n = rounds(3000); i < n; ++i) {
        const QByteArray input = m.mutate(m.pick(samples), vocabulary);
        try {
            const ReportDefinition def = ReportDefinition::parse(input, QString(), QStringLiteral("fuzz.rpt"));
            ++accepted;
            // What the reader takes, the layouter lays out without rows (every band but the
            // detail runs).
            ReportLayouter(def, {}).layout({});
        } catch (const ReportException&) {
        } catch (const std::exception& e) {
            ADD_FAILURE() << seedText().toStdString() << ", input " << i << ": " << e.what() << "\n" << input.toStdString();
        }
    }
    // The mutations must not all be refused at the first brace, or nothing past it is tried.
    EXPECT_GT(accepted, 0);
}

TEST(Fuzz, SelectionFormulaTranslatorAnswersEveryInputWithSqlOrAnError)
{
    const std::vector<QByteArray> samples = {"{vs.vsMukaan} = true",
                                             "({vs.vsVastike} = 2 OR {vs.vsVastike} = 3) AND {vs.vsMukaan} = true",
                                             "not ({vs.vsVastike} = 2)",
                                             "{vs.vsVastike} in [1, 4]",
                                             "{vs.vsNimi} like 'Ä*'",
                                             "{vs.vsVastikeVuosiErapaiva} >= Date(2024,1,1)",
                                             "ToText(Year({vs.vsVastikeVuosiErapaiva}),0) like\"202*\"",
                                             "ToNumber({vs.vsPostinumero}) > 100 and ToNumber({vs.vsPostinumero}) < 90100",
                                             "{vs.vsVastike} = -1.5"};
    const std::vector<QByteArray> vocabulary = {" ",         "(",
                                                ")",         "[",
                                                "]",         ",",
                                                "-",         "'",
                                                "\"",        "''",
                                                "{",         "}",
                                                "{vs.vsID}", "{vs.x",
                                                "=",         "<>",
                                                "<=",        ">",
                                                " and ",     " or ",
                                                "not ",      " like ",
                                                " in ",      "true",
                                                "Date(",     "Year(",
                                                "ToText(",   "ToNumber(",
                                                "2024",      "99999999999999999999",
                                                "0.5",       "1e5",
                                                "*",         "?",
                                                "%",         "_",
                                                "\\",        ";",
                                                "--",        "/*",
                                                "\xc3\xa4",  "\xf0\x9f\xa6\x8c",
                                                "\xff",      QByteArray(1, '\0')};
    const auto resolve = [](const QString& table, const QString& field) -> QString {
        if (table.compare(QLatin1String("vs"), Qt::CaseInsensitive) != 0)
            throw ReportException(ReportErr::FormulaError, QStringLiteral("tuntematon taulu"));
        return QStringLiteral("\"vs\".\"%1\"").arg(field);
    };
    std::mt19937 random = generator();
    Mutator m(random);
    int translated = 0;
    for (int i = 0, n = rounds(20000); i < n; ++i) {
        const QByteArray input = m.mutate(m.pick(samples), vocabulary);
        try {
            const SelectionFormula::Sql sql = SelectionFormula::translate(QString::fromUtf8(input), resolve);
            ++translated;
            // Every value is bound: the statement text holds as many marks as there are values.
            EXPECT_EQ(sql.where.count(u'?'), qsizetype(sql.params.size())) << input.toStdString();
        } catch (const ReportException&) {
        } catch (const std::exception& e) {
            ADD_FAILURE() << seedText().toStdString() << ", input " << i << ": " << e.what() << "\n" << input.toStdString();
        }
    }
    EXPECT_GT(translated, 0);
}
