#include "DbTestSupport.h"
#include "base/Currency.h"
#include "db/Recordset.h"
#include "db/Transaction.h"

#include <QRandomGenerator>
#include <cmath>
#include <limits>
#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

TEST(Currency, RoundsHalfToEvenEverywhere)
{
    const struct {
        double in;
        std::int64_t raw;
    } fromDouble[] = {
        {0.00005, 0},    {0.00015, 2},      {0.00025, 2},
        {-0.00015, -2},  {1.23455, 12346},  {2.5, 25000},
        {12.34, 123400}, {0.1 + 0.2, 3000}, {99999999999.1234, 999999999991234LL},
    };
    for (const auto& c : fromDouble)
        EXPECT_EQ(Currency::fromDouble(c.in).raw(), c.raw) << c.in;
    EXPECT_FALSE(Currency::tryFromDouble(1e300).has_value());
    EXPECT_FALSE(Currency::tryFromDouble(std::nan("")).has_value());
    EXPECT_THROW(Currency::fromDouble(1e300), std::out_of_range);

    EXPECT_EQ(Currency::fromRaw(135).rounded(2).raw(), 100); // 0,0135 → 0,01
    EXPECT_EQ(Currency::fromRaw(150).rounded(2).raw(), 200); // 0,015 → 0,02
    EXPECT_EQ(Currency::fromRaw(250).rounded(2).raw(), 200); // 0,025 → 0,02
    EXPECT_EQ(Currency::fromRaw(-150).rounded(2).raw(), -200);
    EXPECT_EQ(Currency::fromRaw(25000).rounded(0).raw(), 20000);
    EXPECT_EQ(Currency::fromRaw(35000).rounded(0).raw(), 40000);
    EXPECT_EQ(Currency::fromUnits(10).multipliedBy(0.24).raw(), 24000);
    EXPECT_EQ(Currency::fromRaw(1).multipliedBy(0.5).raw(), 0);
    EXPECT_EQ(Currency::fromRaw(3).multipliedBy(0.5).raw(), 2);
    EXPECT_EQ(Currency::fromUnits(10).dividedBy(3).raw(), 33333);
}

TEST(Currency, ScalingTakesTheFactorAsTheDecimalItIsWrittenAs)
{
    // Products that are exactly a half in decimals, where the binary factor lands on the wrong side.
    const struct {
        std::int64_t raw;
        double factor;
        std::int64_t expected;
    } products[] = {
        {55, 1.1, 60}, // 0,00605 → 0,0060
        {45, 0.7, 32}, // 0,00315 → 0,0032
        {90, 0.35, 32},          {-45, 0.7, -32},
        {10000, 5.94573, 59457}, {123456789, 1e-5, 1235}, // 12345,6789 * 0,00001 = 0,123456789
        {7, 1e-30, 0},           {12345, -2.0, -24690},
    };
    for (const auto& c : products)
        EXPECT_EQ(Currency::fromRaw(c.raw).multipliedBy(c.factor).raw(), c.expected) << c.raw << " * " << c.factor;
    EXPECT_EQ(Currency::fromUnits(100).dividedBy(5.94573).raw(), 168188); // 16,81877...
    EXPECT_EQ(Currency::fromRaw(3).dividedBy(2).raw(), 2);                // 1,5 → 2
    EXPECT_EQ(Currency::fromRaw(5).dividedBy(2).raw(), 2);                // 2,5 → 2
    EXPECT_EQ(Currency::fromRaw(1).dividedBy(0.4).raw(), 2);              // 2,5 → 2
    EXPECT_THROW(Currency::fromUnits(1).dividedBy(0.0), std::out_of_range);
    EXPECT_THROW(Currency::fromUnits(1).dividedBy(1e-300), std::out_of_range);
    EXPECT_THROW(Currency::fromUnits(1).multipliedBy(std::nan("")), std::out_of_range);
}

TEST(Currency, OverflowThrowsInsteadOfWrappingAround)
{
    const Currency big = Currency::fromRaw(std::numeric_limits<std::int64_t>::max() - 1);
    EXPECT_THROW(big + Currency::fromRaw(2), std::out_of_range);
    EXPECT_THROW(-big - Currency::fromRaw(3), std::out_of_range);
    EXPECT_THROW(big * 2, std::out_of_range);
    EXPECT_THROW(Currency::fromUnits(std::numeric_limits<std::int64_t>::max() / 1000), std::out_of_range);
    EXPECT_FALSE(Currency::tryFromUnits(std::numeric_limits<std::int64_t>::min()).has_value());
    Currency sum = Currency::fromRaw(1);
    sum += Currency::fromRaw(2);
    sum -= Currency::fromRaw(5);
    EXPECT_EQ(sum.raw(), -2);
    // A whole number too large for an amount is a conversion error of the field, not a crash.
    EXPECT_EQ(Value(std::numeric_limits<qint64>::max()).toCurrency(), Currency());
}

TEST(Currency, ParsesAndPrints)
{
    const struct {
        const char* text;
        std::optional<std::int64_t> raw;
    } cases[] = {
        {"12,50", 125000},
        {"12.50", 125000},
        {"-3", -30000},
        {"1 234,5", 12345000},
        {"+0,00005", 0},
        {"0,00015", 2},
        {"0,000151", 2},
        {"0,00025", 2},
        {"0,000250001", 3},
        {",5", 5000},
        {"abc", std::nullopt},
        {"", std::nullopt},
        {"1,2,3", std::nullopt},
        {"12 ", 120000},
        {"99999999999999999999", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto got = Currency::parse(QString::fromUtf8(c.text));
        if (c.raw)
            EXPECT_EQ(got ? got->raw() : -999, *c.raw) << c.text;
        else
            EXPECT_FALSE(got.has_value()) << c.text;
    }
    EXPECT_EQ(Currency::fromRaw(12345000).toString(), QStringLiteral("1234,50"));
    EXPECT_EQ(Currency::fromRaw(-50).toString(), QStringLiteral("0,00"));
    EXPECT_EQ(Currency::fromRaw(-150).toString(), QStringLiteral("-0,02"));
    EXPECT_EQ(Currency::fromRaw(125000).toStorageText(), QStringLiteral("12.5"));
    EXPECT_EQ(Currency::fromRaw(-1).toStorageText(), QStringLiteral("-0.0001"));
    EXPECT_EQ(Currency::fromUnits(3).toStorageText(), QStringLiteral("3"));
}

TEST(Currency, AmountsReadBackExactlyFromTheFile)
{
    DbFolder folder;
    Database db = folder.create();
    db.execute(QStringLiteral("CREATE TABLE m (id INTEGER PRIMARY KEY, summa DECIMAL(19,4))"));
    std::vector<Currency> amounts = {Currency::fromRaw(1), Currency::fromRaw(-1), Currency::fromRaw(999999999999999LL),
                                     Currency::fromRaw(-999999999999999LL), Currency::fromRaw(123456789)};
    QRandomGenerator rng(1234);
    for (int i = 0; i < 2000; ++i)
        amounts.push_back(Currency::fromRaw(qint64(rng.bounded(2000000000)) * 500 - 500000000000LL + rng.bounded(10000)));
    {
        Transaction tr(db);
        for (const Currency& c : amounts)
            db.execute(QStringLiteral("INSERT INTO m (summa) VALUES (?)"), {c});
        tr.commit();
    }
    Recordset rs = db.openRecordset(QStringLiteral("SELECT summa FROM m ORDER BY id"));
    for (const Currency& c : amounts) {
        ASSERT_FALSE(rs.eof());
        ASSERT_EQ(rs.field("summa"), Value(c)) << c.toStorageText().toStdString();
        rs.moveNext();
    }
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT summa FROM m WHERE summa = ?"), {Currency::fromRaw(123456789)}),
              Value(Currency::fromRaw(123456789)));
}

TEST(Value, KindsConversionsAndNull)
{
    EXPECT_TRUE(Value().isNull());
    EXPECT_TRUE(Value(QDate()).isNull());
    EXPECT_TRUE(Value(QDateTime()).isNull());
    EXPECT_EQ(Value(QDate(2024, 3, 5)), Value(QDateTime(QDate(2024, 3, 5), QTime(0, 0))));
    EXPECT_EQ(Value(QDate(2024, 3, 5)).toString(), QStringLiteral("2024-03-05 00:00:00"));
    EXPECT_EQ(Value(QDate(2024, 3, 5)).toDateTime(), QDateTime(QDate(2024, 3, 5), QTime(0, 0)));
    EXPECT_EQ(Value(QDateTime(QDate(2024, 3, 5), QTime(7, 8, 9))).toTime(), QTime(7, 8, 9));
    EXPECT_EQ(Value("2024-03-05 07:08:09").toDateTime(), QDateTime(QDate(2024, 3, 5), QTime(7, 8, 9)));
    EXPECT_EQ(Value(2.5).toInt64(), 2);
    EXPECT_EQ(Value(3.5).toInt64(), 4);
    EXPECT_EQ(Value(Currency::fromRaw(25000)).toInt64(), 2);
    EXPECT_EQ(Value("12").toInt64(), 12);
    EXPECT_DOUBLE_EQ(Value(Currency::fromRaw(12345)).toDouble(), 1.2345);
    EXPECT_EQ(Value("12,5").toCurrency(), Currency::fromRaw(125000));
    EXPECT_EQ(Value(true).toString(), QStringLiteral("True"));
    EXPECT_EQ(Value(0.1).toString(), QStringLiteral("0.1"));
    EXPECT_TRUE(Value("true").toBool());
    EXPECT_FALSE(Value("0").toBool());
    EXPECT_EQ(Value(QByteArray("ab")).toString(), QStringLiteral("ab"));
    EXPECT_EQ(Value(1).kind(), Value::Kind::Int);
    EXPECT_NE(Value(1), Value(1.0));
}

} // namespace
