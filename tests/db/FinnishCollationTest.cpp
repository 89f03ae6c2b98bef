#include "DbTestSupport.h"
#include "db/FinnishCollation.h"
#include "db/Recordset.h"

#include <gtest/gtest.h>
#include <random>

using namespace tikkeli;

namespace {

int cmpUtf8(const char* a, const char* b)
{
    return FinnishCollation::compareUtf8(a, int(qstrlen(a)), b, int(qstrlen(b)));
}

TEST(FinnishCollation, OrdersLikeAFinnishDictionaryIgnoringCase)
{
    const struct {
        const char* a;
        const char* b;
        int expected;
    } cases[] = {
        {"z", "å", -1},
        {"Å", "ä", -1},
        {"ä", "Ö", -1},
        {"ö", "z", 1},
        {"Äijä", "äijä", 0},
        {"ABC", "abc", 0},
        {"aalto", "Aho", -1},
        {"2024-03-05 00:00:00", "2024-10-01 00:00:00", -1},
        {"2024-12-31 23:59:59", "2024-12-31 23:59:58", 1},
        {"a1", "a2", -1},
        {"", "a", -1},
        {"same", "same", 0},
        {"Mäki", "Makinen", 1},
        {"x9", "x10", 1},
        // Long texts parting after eight bytes or in their last few, after a two-byte letter, or
        // one being the other's beginning.
        {"Virtanen123", "Virtanen12", 1},
        {"Nieminen-Ahola", "Nieminen-Aholä", -1},
        {"Nieminen-Aholä", "NIEMINEN-AHOLA", 1},
        {"Hämälä12", "Hämälä3", -1},
        {"Hämäläinen", "Hämälä", 1},
        {"Koskinenö", "Koskinenå", 1},
        {"Järvisalo", "JÄRVISALO", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cmpUtf8(c.a, c.b), c.expected) << c.a << " vs " << c.b;
        EXPECT_EQ(cmpUtf8(c.b, c.a), -c.expected) << c.b << " vs " << c.a;
        EXPECT_EQ(FinnishCollation::compare(QString::fromUtf8(c.a), QString::fromUtf8(c.b)), c.expected) << c.a;
    }
}

TEST(FinnishCollation, LikeFoldsCaseAndKeepsWildcards)
{
    const struct {
        const char* pattern;
        const char* text;
        char32_t escape;
        bool expected;
    } cases[] = {
        {"äijä", "ÄIJÄ", 0, true},      {"Ä%", "äijälä", 0, true},     {"%JÄ", "äijä", 0, true},
        {"_ijä", "äijä", 0, true},      {"__", "ä", 0, false},         {"%", "", 0, true},
        {"a%b%c", "aXXbYYc", 0, true},  {"a%b%c", "aXXbYY", 0, false}, {"100!%", "100%", U'!', true},
        {"100!%", "1000", U'!', false}, {"a!_b", "a_b", U'!', true},   {"a!_b", "axb", U'!', false},
        {"ÖLJY", "öljy", 0, true},      {"o%", "öljy", 0, false},      {"straße", "STRASSE", 0, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FinnishCollation::like(QString::fromUtf8(c.pattern), QString::fromUtf8(c.text), c.escape), c.expected)
            << c.pattern << " / " << c.text;
}

// The byte-level comparison decides most pairs from a table of letter weights; every pair must
// still sort exactly as the collator sorts it, including case, accents, letters outside the table,
// combining marks and texts that are each other's beginning.
TEST(FinnishCollation, ByteComparisonAgreesWithTheCollatorOnMixedTexts)
{
    const QStringList pieces = {
        QStringLiteral("a"),       QStringLiteral("A"),      QStringLiteral("b"), QStringLiteral("v"),
        QStringLiteral("W"),       QStringLiteral("y"),      QStringLiteral("z"), QStringLiteral("ä"),
        QStringLiteral("Ä"),       QStringLiteral("å"),      QStringLiteral("Ö"), QStringLiteral("ö"),
        QStringLiteral("é"),       QStringLiteral("E"),      QStringLiteral("ü"), QStringLiteral("ß"),
        QStringLiteral("ss"),      QStringLiteral("æ"),      QStringLiteral("ø"), QStringLiteral("ő"),
        QStringLiteral("a\u0308"), QStringLiteral("\u030A"), QStringLiteral(" "), QStringLiteral("-"),
        QStringLiteral("'"),       QStringLiteral("0"),      QStringLiteral("9"), QStringLiteral("_"),
        QStringLiteral("\t"),      QStringLiteral("\u0001"), QStringLiteral("Ł"), QStringLiteral("ж"),
        QStringLiteral("😀"),
    };
    std::mt19937 rng(20261207);
    std::uniform_int_distribution<int> pick(0, int(pieces.size()) - 1), len(0, 5), longLen(6, 16), coin(0, 3);
    const auto randomPieces = [&] {
        QStringList s;
        // Names and addresses are often longer than a machine word.
        for (int n = coin(rng) == 0 ? longLen(rng) : len(rng); n > 0; --n)
            s << pieces[pick(rng)];
        return s;
    };
    for (int round = 0; round < 20000; ++round) {
        const QStringList pa = randomPieces();
        // Often share a beginning, as sorted names do (cut between pieces, never inside a character).
        const QStringList pb = coin(rng) == 0 ? randomPieces() : pa.mid(0, len(rng)) + randomPieces();
        const QString a = pa.join(QString()), b = pb.join(QString());
        const QByteArray ua = a.toUtf8(), ub = b.toUtf8();
        const int expected = FinnishCollation::compare(a, b);
        ASSERT_EQ(FinnishCollation::compareUtf8(ua.constData(), int(ua.size()), ub.constData(), int(ub.size())), expected)
            << ua.toHex().constData() << " vs " << ub.toHex().constData();
    }
}

// A statement whose pattern changes from row to row must match each row with its own pattern,
// although the parsed pattern is kept with the statement between rows.
TEST(FinnishCollation, LikeInAStatementFollowsAPatternThatChangesPerRow)
{
    DbFolder folder;
    Database db = folder.create();
    db.executeScript(QStringLiteral("CREATE TABLE p (pat VARCHAR(20), txt VARCHAR(20), expected INTEGER);"
                                    "INSERT INTO p VALUES ('ä%', 'ÄIJÄ', 1), ('ä%', 'aijä', 0), ('%jä', 'äijä', 1),"
                                    " ('%jä', 'äijö', 0), ('_', 'Ö', 1), ('_', 'öö', 0), ('ä%', 'äx', 1);"));
    Recordset rs = db.openRecordset(
        QStringLiteral("SELECT txt, pat, (txt LIKE pat) AS got, expected FROM p ORDER BY rowid"));
    int rows = 0;
    for (; !rs.eof(); rs.moveNext(), ++rows)
        EXPECT_EQ(rs.field(QStringLiteral("got")).toInt64(), rs.field(QStringLiteral("expected")).toInt64())
            << rs.field(QStringLiteral("txt")).toString().toStdString() << " LIKE "
            << rs.field(QStringLiteral("pat")).toString().toStdString();
    EXPECT_EQ(rows, 7);
}

} // namespace
