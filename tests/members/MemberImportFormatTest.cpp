#include "members/MemberImportFormat.h"

#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

struct SplitCase {
    const char* name;
    QString separatorChoice;
    QString quoteChoice;
    QString line;
    std::optional<QStringList> fields;
};

class MemberImportFormatSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(MemberImportFormatSplit, SplitsAsTheUserExpects)
{
    const SplitCase& c = GetParam();
    const auto format = MemberImportFormat::fromChoices(c.separatorChoice, c.quoteChoice);
    EXPECT_EQ(format.split(c.line), c.fields) << c.name;
}

const QString Q = QStringLiteral("\"");

INSTANTIATE_TEST_SUITE_P(
    Cases, MemberImportFormatSplit,
    ::testing::Values(
        SplitCase{"semicolon", ";", Q, "Matti;Virtanen;Kuja 1", QStringList{"Matti", "Virtanen", "Kuja 1"}},
        SplitCase{"comma", ",", Q, "a,b", QStringList{"a", "b"}},
        SplitCase{"tab word", "TAB", Q, "a\tb\t\tc", QStringList{"a", "b", "", "c"}},
        SplitCase{"space word, two spaces give an empty field", "SPACE", "", "a  b", QStringList{"a", "", "b"}},
        SplitCase{"several characters split at the whole text", "::", "", "a::b:c", QStringList{"a", "b:c"}},
        SplitCase{"adjacent separators", ";", Q, "a;;b;", QStringList{"a", "", "b", ""}},
        SplitCase{"quoted values lose their quotes", ";", Q, "\"a\";\"b\";\"c\"", QStringList{"a", "b", "c"}},
        SplitCase{"separator inside quotes stays text", ";", Q, "\"Virtanen; Matti\";x",
                  QStringList{"Virtanen; Matti", "x"}},
        SplitCase{"doubled quote is one quote", ";", Q, "\"Sanoi \"\"hei\"\"\";2", QStringList{"Sanoi \"hei\"", "2"}},
        SplitCase{"apostrophe as quote", ";", "'", "'O''Brien';'x'", QStringList{"O'Brien", "x"}},
        SplitCase{"quote inside an unquoted value stays", ";", Q, "12\" putki;b", QStringList{"12\" putki", "b"}},
        SplitCase{"text after a closing quote is kept", ";", Q, "\"ab\"cd;e", QStringList{"ab\"cd", "e"}},
        SplitCase{"no quote character: quotes stay", ";", "", "\"a\";b", QStringList{"\"a\"", "b"}},
        SplitCase{"cancelled dialog: one column", "", "", "a;b;c", QStringList{"a;b;c"}},
        SplitCase{"empty line is one empty field", ";", Q, "", QStringList{""}},
        SplitCase{"unclosed quote is malformed", ";", Q, "\"Virtanen;Matti", std::nullopt},
        SplitCase{"quote of two characters splits plainly", ";", "##", "##a##;b", QStringList{"a", "b"}}),
    [](const auto& info) { return std::to_string(info.index); });

TEST(MemberImportFormat, StripCharRemovesAtMostOneAtEachEnd)
{
    const QString q = QStringLiteral("\"");
    EXPECT_EQ(MemberImportFormat::StripChar(QStringLiteral("\"\"a\"\""), q), QStringLiteral("\"a\""));
    EXPECT_EQ(MemberImportFormat::StripChar(q, q), QString());
    EXPECT_EQ(MemberImportFormat::StripChar(QStringLiteral("a\""), q), QStringLiteral("a"));
    EXPECT_EQ(MemberImportFormat::StripChar(QStringLiteral("\"a"), QString()), QStringLiteral("\"a"));
}

} // namespace
