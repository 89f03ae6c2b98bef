#include "base/Sorting.h"

#include <QRandomGenerator>
#include <algorithm>
#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

std::vector<QVariant> texts(std::initializer_list<const char*> items)
{
    std::vector<QVariant> out;
    for (const char* s : items)
        out.emplace_back(QString::fromLatin1(s));
    return out;
}

} // namespace

TEST(ShellSortIndex, PositionZeroTakesNoPart)
{
    const auto values = texts({"x", "c", "a", "b"});
    std::vector<int> index(4, 0);
    ShellSortIndex(values, index, 3);
    EXPECT_EQ(index, (std::vector<int>{0, 2, 3, 1}));
    std::vector<int> down(4, 0);
    ShellSortIndex(values, down, 3, true);
    EXPECT_EQ(down, (std::vector<int>{0, 1, 3, 2}));
}

TEST(ShellSortIndex, EarlierPermutationIsSortedFurther)
{
    const std::vector<QVariant> values = {QVariant(), 5, 3, 9, 1};
    std::vector<int> index = {0, 4, 3, 2, 1};
    ShellSortIndex(values, index);
    EXPECT_EQ(index, (std::vector<int>{0, 4, 2, 1, 3}));
}

TEST(ShellSortIndex, LastBeyondEitherArrayIsRefusedUntouched)
{
    const auto values = texts({"x", "c", "a", "b"});
    std::vector<int> shortIndex(3, 0);
    EXPECT_THROW(ShellSortIndex(values, shortIndex), std::out_of_range);
    EXPECT_EQ(shortIndex, (std::vector<int>{0, 0, 0}));
    std::vector<int> index(6, 0);
    EXPECT_THROW(ShellSortIndex(values, index, 5), std::out_of_range);
}

TEST(ShellSortIndex, MatchesStdSortOnRandomData)
{
    QRandomGenerator rng(7);
    for (int n : {2, 3, 10, 100, 1000, 5000}) {
        std::vector<int> values(n + 1);
        for (int& v : values)
            v = int(rng.bounded(50));
        for (bool descending : {false, true}) {
            std::vector<int> index(n + 1, 0);
            ShellSortIndex(values, index, -1, descending);
            std::vector<int> sorted(values.begin() + 1, values.end());
            std::sort(sorted.begin(), sorted.end());
            if (descending)
                std::reverse(sorted.begin(), sorted.end());
            std::vector<int> got;
            for (int k = 1; k <= n; ++k)
                got.push_back(values[index[k]]);
            EXPECT_EQ(got, sorted) << n << descending;
            EXPECT_EQ(index[0], 0);
            // Still a permutation.
            std::vector<int> ids(index);
            std::sort(ids.begin(), ids.end());
            for (int k = 0; k <= n; ++k)
                ASSERT_EQ(ids[k], k);
        }
    }
}

TEST(ShellSortIndex, AscendingKeepsEqualValuesInOrder)
{
    const std::vector<int> values = {0, 2, 1, 2, 1, 2};
    std::vector<int> index(6, 0);
    ShellSortIndex(values, index);
    EXPECT_EQ(index, (std::vector<int>{0, 2, 4, 1, 3, 5}));
}

TEST(QuickSortVariantArray, SmallCases)
{
    auto a = texts({"c", "a", "b"});
    QuickSortVariantArray(a);
    EXPECT_EQ(a, texts({"a", "b", "c"}));
    QuickSortVariantArray(a, -1, true);
    EXPECT_EQ(a, texts({"c", "b", "a"}));
    auto one = texts({"z"});
    QuickSortVariantArray(one);
    EXPECT_EQ(one, texts({"z"}));
    std::vector<QVariant> none;
    QuickSortVariantArray(none);
    EXPECT_TRUE(none.empty());
    // Only up to last.
    auto part = texts({"d", "c", "b", "a"});
    QuickSortVariantArray(part, 2);
    EXPECT_EQ(part, texts({"b", "c", "d", "a"}));
}

TEST(QuickSortVariantArray, MatchesStdSortOnRandomData)
{
    QRandomGenerator rng(11);
    for (int n : {2, 5, 64, 1000, 20000}) {
        for (int range : {3, 1000000}) {
            std::vector<int> a(n);
            for (int& v : a)
                v = int(rng.bounded(range));
            for (bool descending : {false, true}) {
                std::vector<int> mine = a;
                QuickSortVariantArray(mine, -1, descending);
                std::vector<int> expected = a;
                std::sort(expected.begin(), expected.end());
                if (descending)
                    std::reverse(expected.begin(), expected.end());
                EXPECT_EQ(mine, expected) << n << " " << range << " " << descending;
            }
        }
    }
    // Already sorted and reversed input stays within the stack.
    std::vector<int> sorted(5000);
    for (int i = 0; i < int(sorted.size()); ++i)
        sorted[i] = i;
    std::vector<int> copy = sorted;
    EXPECT_NO_THROW(QuickSortVariantArray(copy));
    EXPECT_EQ(copy, sorted);
    std::reverse(copy.begin(), copy.end());
    EXPECT_NO_THROW(QuickSortVariantArray(copy));
    EXPECT_EQ(copy, sorted);
}

TEST(CompareVariants, NumbersByValueTextsByCodeNumbersBeforeTexts)
{
    EXPECT_LT(CompareVariants(2, 10), 0);
    EXPECT_LT(CompareVariants(QStringLiteral("10"), QStringLiteral("2")), 0);
    EXPECT_LT(CompareVariants(QStringLiteral("Z"), QStringLiteral("a")), 0);
    EXPECT_LT(CompareVariants(99, QStringLiteral("1")), 0);
    EXPECT_LT(CompareVariants(QVariant(), 0), 0);
    EXPECT_EQ(CompareVariants(2.0, 2), 0);
    auto mixed = std::vector<QVariant>{QStringLiteral("b"), 3, QStringLiteral("A"), 1.5, QVariant()};
    QuickSortVariantArray(mixed);
    EXPECT_EQ(mixed, (std::vector<QVariant>{QVariant(), 1.5, 3, QStringLiteral("A"), QStringLiteral("b")}));
}
