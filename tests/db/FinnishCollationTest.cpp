#include "DbTestSupport.h"
#include "db/FinnishCollation.h"

#include <gtest/gtest.h>

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
        {"z", "å", -1}, {"Å", "ä", -1}, {"ä", "Ö", -1}, {"ö", "z", 1}, {"Äijä", "äijä", 0}, {"ABC", "abc", 0},
        {"aalto", "Aho", -1}, {"2024-03-05 00:00:00", "2024-10-01 00:00:00", -1},
        {"2024-12-31 23:59:59", "2024-12-31 23:59:58", 1}, {"a1", "a2", -1}, {"", "a", -1}, {"same", "same", 0},
        {"Mäki", "Makinen", 1}, {"x9", "x10", 1},
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
        {"äijä", "ÄIJÄ", 0, true},   {"Ä%", "äijälä", 0, true},    {"%JÄ", "äijä", 0, true},
        {"_ijä", "äijä", 0, true},   {"__", "ä", 0, false},        {"%", "", 0, true},
        {"a%b%c", "aXXbYYc", 0, true}, {"a%b%c", "aXXbYY", 0, false}, {"100!%", "100%", U'!', true},
        {"100!%", "1000", U'!', false}, {"a!_b", "a_b", U'!', true}, {"a!_b", "axb", U'!', false},
        {"ÖLJY", "öljy", 0, true},   {"o%", "öljy", 0, false},     {"straße", "STRASSE", 0, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FinnishCollation::like(QString::fromUtf8(c.pattern), QString::fromUtf8(c.text), c.escape), c.expected)
            << c.pattern << " / " << c.text;
}

} // namespace
