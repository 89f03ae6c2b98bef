#include "base/Clock.h"
#include "members/CriteriaValues.h"

#include <gtest/gtest.h>

#include <functional>

namespace tikkeli {
namespace {

// The one reading of each kind of criteria value; "-" marks a text that reads as no value.
TEST(CriteriaValues, EachKindReadsItsTexts)
{
    const FixedClock clock(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59)));
    const auto date = [](const char* typed) {
        const auto r = ReadDateCriterion(QString::fromUtf8(typed));
        return !r.readable ? QStringLiteral("-") : r.value ? r.value->text() : QString();
    };
    const auto whole = [](const char* typed) {
        const auto r = ReadWholeNumberCriterion(QString::fromUtf8(typed));
        return !r.readable ? QStringLiteral("-") : r.value ? QString::number(*r.value) : QString();
    };
    const auto money = [](const char* typed) {
        const auto r = ReadMoneyCriterion(QString::fromUtf8(typed));
        return !r.readable ? QStringLiteral("-") : r.value ? r.value->toStorageText() : QString();
    };
    const struct {
        std::function<QString(const char*)> read;
        const char* typed;
        const char* read_as;
    } cases[] = {
        {date, "  ", ""},
        {date, "05.03.2024", "5.3.2024"},
        {date, "5.3.", "5.3.2026"},
        {date, "19*", "19*"},
        {date, "198?", "198?"},
        {date, "19?5", "19?5"},
        {date, "1.1.*", "-"},
        {date, "19'*", "-"},
        {date, "31.2.2024", "-"},
        {date, "12:30", "-"},
        {whole, "", ""},
        {whole, "12,5", "12"},
        {whole, "13.5", "14"},
        {whole, "-3", "-3"},
        {whole, "1 000", "1000"},
        {whole, "2147483647", "2147483647"},
        {whole, "2147483648", "-"},
        {whole, "1e3", "-"},
        {whole, "12a", "-"},
        {money, "", ""},
        {money, "12,50", "12.5"},
        {money, "12.50", "12.5"},
        {money, "12,50 €", "12.5"},
        {money, "1 234,5€", "1234.5"},
        {money, "-0,0001", "-0.0001"},
        {money, "€", "-"},
        {money, "1e3", "-"},
        {money, "12,5e", "-"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.read(c.typed), QString::fromUtf8(c.read_as)) << c.typed;
}

} // namespace
} // namespace tikkeli
