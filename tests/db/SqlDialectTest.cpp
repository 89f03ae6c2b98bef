#include "DbTestSupport.h"
#include "db/SqlDialect.h"

#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

struct Row {
    const char* in;
    const char* out;
};

void expectRewrites(std::initializer_list<Row> rows)
{
    for (const Row& r : rows)
        EXPECT_EQ(NormalizeSql(QString::fromUtf8(r.in)), QString::fromUtf8(r.out)) << r.in;
}

TEST(SqlDialect, DeleteNamesNoColumns)
{
    expectRewrites({
        {"DELETE * FROM jr WHERE jrID = ?", "DELETE FROM jr WHERE jrID = ?"},
        {"delete jr.* from jr", "delete from jr"},
        {"DELETE FROM jr", "DELETE FROM jr"},
    });
}

TEST(SqlDialect, DateLiteralsBecomeIsoText)
{
    expectRewrites({
        {"SELECT * FROM lr WHERE lrPvm >= #3/5/2024#", "SELECT * FROM lr WHERE lrPvm >= '2024-03-05 00:00:00'"},
        {"UPDATE t SET d = #12/31/2023 23:59:58#", "UPDATE t SET d = '2023-12-31 23:59:58'"},
        {"UPDATE t SET d = #1/2/2024 1:05 PM#", "UPDATE t SET d = '2024-01-02 13:05:00'"},
        {"SELECT 'a # 3/5/2024 #' FROM t", "SELECT 'a # 3/5/2024 #' FROM t"},
    });
}

TEST(SqlDialect, TruthWordsAreNumbers)
{
    expectRewrites({
        {"UPDATE t SET b = True WHERE c = FALSE", "UPDATE t SET b = 1 WHERE c = 0"},
        {"SELECT t.true, 'True' FROM t", "SELECT t.true, 'True' FROM t"},
    });
}

TEST(SqlDialect, IsNullFunctionGoesByItsOwnName)
{
    expectRewrites({
        {"SELECT * FROM h WHERE IsNull(a) AND b ISNULL", "SELECT * FROM h WHERE JetIsNull(a) AND b ISNULL"},
    });
}

TEST(SqlDialect, LikePatternsUseSqliteWildcards)
{
    expectRewrites({
        {"SELECT * FROM t WHERE n LIKE 'Virt*n?'", "SELECT * FROM t WHERE n LIKE 'Virt%n_'"},
        {"SELECT * FROM t WHERE n NOT LIKE \"A*\"", "SELECT * FROM t WHERE n NOT LIKE 'A%'"},
        {"SELECT * FROM t WHERE n LIKE '100%*'", "SELECT * FROM t WHERE n LIKE '100\\%%' ESCAPE '\\'"},
        {"SELECT * FROM t WHERE n LIKE 'a[*]b'", "SELECT * FROM t WHERE n LIKE 'a*b'"},
        {"SELECT * FROM t WHERE n LIKE 'a%' ESCAPE '!'", "SELECT * FROM t WHERE n LIKE 'a%' ESCAPE '!'"},
        {"SELECT '*?' FROM t WHERE x = '*'", "SELECT '*?' FROM t WHERE x = '*'"},
        {"SELECT * FROM t WHERE x = 'it''s * ?' AND y LIKE 'b*'", "SELECT * FROM t WHERE x = 'it''s * ?' AND y LIKE 'b%'"},
        {"SELECT * FROM t WHERE a LIKE '[*][?]#'", "SELECT * FROM t WHERE a LIKE '*?#'"},
        // A pattern built of parts: every literal part is a pattern; the ESCAPE goes after the last.
        {"SELECT * FROM t WHERE a LIKE '*' & ? & '*'", "SELECT * FROM t WHERE a LIKE '%' || ? || '%'"},
        {"SELECT * FROM t WHERE (a LIKE '*_' & t.b) AND c = '_'",
         "SELECT * FROM t WHERE (a LIKE '%\\_' || t.b ESCAPE '\\') AND c = '_'"},
        {"SELECT * FROM t WHERE a LIKE trim(?) & \"*\" ORDER BY a",
         "SELECT * FROM t WHERE a LIKE trim(?) || '%' ORDER BY a COLLATE FI"},
        {"SELECT * FROM t WHERE a LIKE 'x_' AND b = 1; SELECT 2",
         "SELECT * FROM t WHERE a LIKE 'x\\_' ESCAPE '\\' AND b = 1; SELECT 2"},
        {"SELECT * FROM t WHERE a LIKE 'x_'", "SELECT * FROM t WHERE a LIKE 'x\\_' ESCAPE '\\'"},
    });
}

TEST(SqlDialect, DoubleQuotedValuesBecomeStringsAndNamesStayNames)
{
    expectRewrites({
        {"SELECT * FROM t WHERE nimi = \"O'Brien\"", "SELECT * FROM t WHERE nimi = 'O''Brien'"},
        {"SELECT * FROM t WHERE k IN (\"a\", \"b\")", "SELECT * FROM t WHERE k IN ('a', 'b')"},
        {"INSERT INTO t (\"nimi\") VALUES (\"x\"), (\"y\")", "INSERT INTO t (\"nimi\") VALUES ('x'), ('y')"},
        {"SELECT \"t\".\"x\" FROM t WHERE \"x\" = 1", "SELECT \"t\".\"x\" FROM t WHERE \"x\" = 1"},
        {"SELECT * FROM t WHERE a BETWEEN \"a\" AND \"c\" AND \"b\" = 2",
         "SELECT * FROM t WHERE a BETWEEN 'a' AND 'c' AND \"b\" = 2"},
        {"SELECT CASE WHEN a THEN \"k\" ELSE \"e\" END FROM t", "SELECT CASE WHEN a THEN 'k' ELSE 'e' END FROM t"},
    });
}

TEST(SqlDialect, AmpersandJoinsTexts)
{
    expectRewrites({
        {"SELECT a & ' ' & b FROM t", "SELECT a || ' ' || b FROM t"},
    });
}

TEST(SqlDialect, OrderByTermsSortInFinnish)
{
    expectRewrites({
        {"SELECT * FROM t ORDER BY a, b DESC", "SELECT * FROM t ORDER BY a COLLATE FI, b COLLATE FI DESC"},
        {"SELECT * FROM t ORDER BY lower(a) ASC LIMIT 5", "SELECT * FROM t ORDER BY lower(a) COLLATE FI ASC LIMIT 5"},
        {"SELECT * FROM t ORDER BY a COLLATE BINARY", "SELECT * FROM t ORDER BY a COLLATE BINARY"},
        {"SELECT * FROM (SELECT * FROM t ORDER BY a) ORDER BY 1",
         "SELECT * FROM (SELECT * FROM t ORDER BY a COLLATE FI) ORDER BY 1 COLLATE FI"},
        {"CREATE VIEW v AS SELECT * FROM t ORDER BY a", "CREATE VIEW v AS SELECT * FROM t ORDER BY a"},
        {"SELECT * FROM t ORDER BY a; SELECT * FROM u ORDER BY b",
         "SELECT * FROM t ORDER BY a COLLATE FI; SELECT * FROM u ORDER BY b COLLATE FI"},
    });
}

TEST(SqlDialect, NothingInsideLiteralsCommentsOrParametersChanges)
{
    expectRewrites({
        {"SELECT 1 -- ORDER BY x\nFROM t", "SELECT 1 -- ORDER BY x\nFROM t"},
        {"SELECT * FROM t WHERE x = ?1 AND y = :nimi", "SELECT * FROM t WHERE x = ?1 AND y = :nimi"},
        {"/* it's #1/2/2020# */ SELECT 1", "/* it's #1/2/2020# */ SELECT 1"},
        {"SELECT * FROM t WHERE d = #1/2/2020# -- it's #3/4/2020#\nAND e = \"x\"",
         "SELECT * FROM t WHERE d = '2020-01-02 00:00:00' -- it's #3/4/2020#\nAND e = 'x'"},
        {"SELECT * FROM t WHERE a = 'x''#1/2/2020#' AND b = \"x\"\"#\"",
         "SELECT * FROM t WHERE a = 'x''#1/2/2020#' AND b = 'x\"#'"},
    });
}

TEST(SqlDialect, DateLiteralsAndPatterns)
{
    EXPECT_EQ(JetDateToIso(u"#2/29/2024#"), QStringLiteral("2024-02-29 00:00:00"));
    EXPECT_EQ(JetDateToIso(u"#2/30/2024#"), QString());
    EXPECT_EQ(JetDateToIso(u"#12/1/99#"), QStringLiteral("1999-12-01 00:00:00"));
    EXPECT_EQ(JetDateToIso(u"#2024-03-05#"), QStringLiteral("2024-03-05 00:00:00"));
    EXPECT_EQ(JetDateToIso(u"#12:00 AM#"), QStringLiteral("1899-12-30 00:00:00"));
    EXPECT_EQ(JetDateToIso(u"#abc#"), QString());
    EXPECT_EQ(JetLikePattern(QStringLiteral("Mäki*")), QStringLiteral("Mäki%"));
    EXPECT_EQ(JetLikePattern(QStringLiteral("a_b?%")), QStringLiteral("a\\_b_\\%"));
}

} // namespace
