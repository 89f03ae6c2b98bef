#include "base/OutsideTextFile.h"
#include "members/MemberImportFile.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>

#include <random>

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
        EncodingCase{"plain ascii", QByteArray("a;b"), QStringLiteral("a;b")},
        // One stray byte spoils only itself: the rest of the UTF-8 file stays UTF-8.
        EncodingCase{"utf8 with one stray byte", QByteArray("J\xC3\xA4rvi \xE4 M\xC3\xA4ki"),
                     QStringLiteral("Järvi ä Mäki")},
        EncodingCase{"utf8 bom and a stray byte", QByteArray("\xEF\xBB\xBF\xC3\x84\x80"), QStringLiteral("Ä€")},
        EncodingCase{"cut off sequence at the end", QByteArray("a\xC3"), QStringLiteral("aÃ")},
        EncodingCase{"overlong form is no utf8", QByteArray("\xC0\xAF"), QStringLiteral("À¯")},
        EncodingCase{"four-byte utf8", QByteArray("\xF0\x9F\x98\x80"), QString::fromUtf8("\xF0\x9F\x98\x80")},
        EncodingCase{"utf16le without bom", QByteArray("A\0h\0o\0;\0\xE4\0\r\0\n\0", 14), QStringLiteral("Aho;ä\r\n")},
        EncodingCase{"utf16be without bom", QByteArray("\0A\0h\0o\0;\0\xE4", 10), QStringLiteral("Aho;ä")}),
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

TEST(MemberImportFile, ANulCharacterRefusesTheFileNamingTheLine)
{
    QString error;
    const auto f = MemberImportFile::fromLines({"a;b", QString::fromUtf8("c\0d", 3)},
                                               MemberImportFormat::fromChoices(";", "\""), &error);
    EXPECT_FALSE(f.has_value());
    EXPECT_TRUE(error.startsWith(QStringLiteral("Rivillä 2 on NUL-merkki"))) << error.toStdString();
}

TEST(MemberImportFile, FieldsBeyondTheCapAreNotColumns)
{
    QStringList fields;
    for (int i = 0; i < 5000; ++i)
        fields << QStringLiteral("k%1").arg(i);
    const auto f = fileOf({fields.join(u';'), "a;b"});
    EXPECT_EQ(f.fieldCount(), 5000);
    EXPECT_EQ(f.columnCount(), MemberImportFile::MaxColumns);
    EXPECT_EQ(f.preview().front().size(), MemberImportFile::MaxColumns);
    EXPECT_TRUE(f.columnCapMessage().startsWith(QStringLiteral("Tiedoston ensimmäisellä rivillä on 5000 kenttää")));
    EXPECT_TRUE(fileOf({"a;b"}).columnCapMessage().isEmpty());
}

// Random bytes, and random cuts and mixes of real file texts, through the decoder and the splitter:
// nothing may crash or hang, and every decoded text splits into lines that join back to it.
TEST(MemberImportFile, DecoderAndSplitterSurviveRandomBytes)
{
    const QByteArray samples[] = {
        QByteArray("\xEF\xBB\xBF\"J\xC3\xA4rvinen\";\"\xC3\x84ht\xC3\xA4ri\"\r\n"),
        QByteArray("\xFF\xFE\xE4\0;\0\"\0x\0\r\0\n\0", 14),
        QByteArray("\"J\xE4rvinen\";\"\xC4ht\xE4ri\"\r\nKoski;Pori\r"),
        QByteArray("a\0b\0;\0c\0", 8),
        QByteArray("\xF0\x9F\x98\x80;\xED\xA0\x80;\xF4\x90\x80\x80\"\"\";"),
    };
    std::mt19937 random(20261207); // fixed: a failure can be repeated
    const QStringList separators = {";", ",", "TAB", "SPACE", "", ";;"};
    const QStringList quotes = {"\"", "'", "", "\"\""};
    for (int round = 0; round < 20000; ++round) {
        QByteArray bytes;
        if (round % 2 == 0) {
            const int length = int(random() % 300);
            for (int i = 0; i < length; ++i)
                bytes.append(char(random() % 256));
        } else {
            const QByteArray& sample = samples[random() % std::size(samples)];
            bytes = sample.mid(qsizetype(random() % sample.size()));
            bytes += samples[random() % std::size(samples)].left(qsizetype(random() % 20));
            if (!bytes.isEmpty())
                bytes[qsizetype(random() % bytes.size())] = char(random() % 256);
        }
        const QString text = OutsideTextFile::decode(bytes);
        const QStringList lines = OutsideTextFile::splitLines(text);
        QString rejoined = lines.join(u'\n');
        QString plain = text;
        plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
        if (plain.endsWith(u'\n'))
            plain.chop(1);
        ASSERT_EQ(rejoined, plain) << "round " << round;
        const auto format = MemberImportFormat::fromChoices(separators[int(random() % separators.size())],
                                                            quotes[int(random() % quotes.size())]);
        QString error;
        const auto file = MemberImportFile::fromLines(lines, format, &error);
        if (file) {
            EXPECT_LE(file->columnCount(), MemberImportFile::MaxColumns);
            EXPECT_LE(file->preview().size(), MemberImportFile::PreviewLines);
        } else {
            EXPECT_TRUE(error.startsWith(QStringLiteral("Rivillä "))) << error.toStdString();
        }
    }
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
