#include "base/OutsideTextFile.h"
#include "members/MemberImportFile.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

struct EncodingCase {
    const char* name;
    QByteArray bytes;
    QString text;
};

class OutsideTextDecoding : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(OutsideTextDecoding, DecodesByBomElseUtf8ElseWindows1252)
{
    EXPECT_EQ(OutsideTextFile::decode(GetParam().bytes), GetParam().text) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OutsideTextDecoding,
    ::testing::Values(
        EncodingCase{"utf8", QByteArray("P\xC3\xA4iv\xC3\xA4\xC3\xA4"), QStringLiteral("Päivää")},
        EncodingCase{"utf8 bom", QByteArray("\xEF\xBB\xBF\xC3\x84ij\xC3\xA4"), QStringLiteral("Äijä")},
        EncodingCase{"windows-1252", QByteArray("\xC4ij\xE4 \x80 \x9A\x9E"), QStringLiteral("Äijä € šž")},
        EncodingCase{"utf16le bom", QByteArray("\xFF\xFE\xE4\x00;\x00", 6), QStringLiteral("ä;")},
        EncodingCase{"plain ascii", QByteArray("a;b"), QStringLiteral("a;b")}),
    [](const auto& info) { return std::to_string(info.index); });

TEST(OutsideTextFile, LinesBreakAtEveryKindOfLineEnd)
{
    EXPECT_EQ(OutsideTextFile::splitLines(QStringLiteral("a\r\nb\nc\rd")), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(OutsideTextFile::splitLines(QStringLiteral("a\r\n\r\nb\r\n")), (QStringList{"a", "", "b"}));
    EXPECT_TRUE(OutsideTextFile::splitLines(QString()).isEmpty());
}

TEST(OutsideTextFile, UnreadableFileGivesAFinnishReason)
{
    QString error;
    EXPECT_FALSE(OutsideTextFile::readLines(QStringLiteral("/nonexistent/jasenet.csv"), &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Tiedostoa /nonexistent/jasenet.csv ei voi lukea"))) << error.toStdString();
}

MemberImportFile fileOf(const QStringList& lines, const QString& sep = QStringLiteral(";"),
                        const QString& quote = QStringLiteral("\""))
{
    QString error;
    auto f = MemberImportFile::fromLines(lines, MemberImportFormat::fromChoices(sep, quote), &error);
    EXPECT_TRUE(f.has_value()) << error.toStdString();
    return f.value_or(MemberImportFile());
}

TEST(MemberImportFile, EmptyLinesAreLeftOutAndKeepTheirLineNumbers)
{
    const auto f = fileOf({"a;b", "", "   ", ";;", "\"\";\"\"", "c;d"});
    ASSERT_EQ(f.lineCount(), 2);
    EXPECT_EQ(f.rows()[0].lineNumber, 1);
    EXPECT_EQ(f.rows()[1].lineNumber, 6);
    EXPECT_EQ(f.rows()[1].fields, (QStringList{"c", "d"}));
}

TEST(MemberImportFile, ColumnsComeFromTheFirstLineWithContent)
{
    const auto f = fileOf({"", "a;b;c", "1;2;3;4;5", "x"});
    EXPECT_EQ(f.columnCount(), 3);
    // Longer lines are cut to the columns, shorter ones filled: the preview never fails on them.
    const auto preview = f.preview();
    ASSERT_EQ(preview.size(), 3);
    EXPECT_EQ(preview[1], (QStringList{"1", "2", "3"}));
    EXPECT_EQ(preview[2], (QStringList{"x", "", ""}));
    EXPECT_EQ(fileOf({}).columnCount(), 1);
}

TEST(MemberImportFile, PreviewShowsTheFirstSixLines)
{
    QStringList lines;
    for (int i = 1; i <= 9; ++i)
        lines << QStringLiteral("n%1;x").arg(i);
    const auto preview = fileOf(lines).preview();
    ASSERT_EQ(preview.size(), MemberImportFile::PreviewLines);
    EXPECT_EQ(preview.last().first(), QStringLiteral("n6"));
}

TEST(MemberImportFile, UnclosedQuoteIsRejectedNamingTheLine)
{
    QString error;
    const auto f = MemberImportFile::fromLines({"\"a\";\"b\"", "\"c\";d", "\"e;f"},
                                               MemberImportFormat::fromChoices(";", "\""), &error);
    EXPECT_FALSE(f.has_value());
    EXPECT_TRUE(error.startsWith(QStringLiteral("Rivillä 3 "))) << error.toStdString();
}

TEST(MemberImportFile, CountMessageEndsByNumber)
{
    EXPECT_EQ(MemberImportFile::lineCountMessage(3), QStringLiteral("Tiedostosta löytyy yhteensä 3 riviä."));
    EXPECT_EQ(MemberImportFile::lineCountMessage(1), QStringLiteral("Tiedostosta löytyy yhteensä 1 rivi."));
}

TEST(MemberImportFile, OpensAWindows1252FileWithCrLf)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("jasenet.csv"));
    test::WriteFileBytes(path, QByteArray("\"J\xE4rvinen\";\"\xC4ht\xE4ri\"\r\n\"Koski\";\"Pori\"\r\n"));
    QString error;
    const auto f = MemberImportFile::open(path, MemberImportFormat::fromChoices(";", "\""), &error);
    ASSERT_TRUE(f) << error.toStdString();
    ASSERT_EQ(f->lineCount(), 2);
    EXPECT_EQ(f->rows()[0].fields, (QStringList{QStringLiteral("Järvinen"), QStringLiteral("Ähtäri")}));
}

} // namespace
