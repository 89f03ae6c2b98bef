#pragma once

#include <QVariant>

#include <stdexcept>
#include <utility>
#include <vector>

namespace tikkeli {

// Order of two values of any kind: numbers by value, texts by character code, a number before a
// text, an empty value before both (lists sorted by it keep the order users know). Negative, 0 or
// positive.
int CompareVariants(const QVariant& a, const QVariant& b);

struct VariantLess {
    bool operator()(const QVariant& a, const QVariant& b) const { return CompareVariants(a, b) < 0; }
};

// Sorts index so that values[index[1..last]] are in order; the values are not moved. When index
// starts and ends with 0 it is filled with 0, 1, 2, ... first; otherwise it is taken as an earlier
// permutation. Position 0 takes no part: callers keep their data from position 1.
// last < 0 means the last position of values. A shell sort with the gaps 1, 4, 13, 40, ...
template <class T, class Less = std::less<>>
void ShellSortIndex(const std::vector<T>& values, std::vector<int>& index, int last = -1, bool descending = false,
                    Less less = {})
{
    if (last < 0)
        last = int(values.size()) - 1;
    if (index.empty() || last < 1)
        return;
    if (last >= int(values.size()) || last >= int(index.size()))
        throw std::out_of_range("ShellSortIndex: last beyond the arrays");
    if (index.front() == 0 && index.back() == 0)
        for (int i = 0; i < int(index.size()); ++i)
            index[i] = i;
    int h = 0;
    do {
        h = 3 * h + 1;
    } while (h <= last);
    do {
        h /= 3;
        for (int i = h + 1; i <= last; ++i) {
            const int t = index[i];
            const T& v = values[t];
            int j = i;
            while (less(v, values[index[j - h]]) != descending) {
                index[j] = index[j - h];
                j -= h;
                if (j <= h)
                    break;
            }
            index[j] = t;
        }
    } while (h > 1);
}

// Sorts values[0..last] in place: an iterative quicksort that keeps the larger part on a stack of
// 33 entries and sorts the smaller first. last < 0 means the last element.
template <class T, class Less = std::less<>>
void QuickSortVariantArray(std::vector<T>& a, int last = -1, bool descending = false, Less less = {})
{
    if (last < 0)
        last = int(a.size()) - 1;
    if (last >= int(a.size()))
        throw std::out_of_range("QuickSortVariantArray: last beyond the array");
    auto atLeast = [&](const T& x, const T& pivot) { return descending ? !less(pivot, x) : !less(x, pivot); };
    auto atMost = [&](const T& x, const T& pivot) { return descending ? !less(x, pivot) : !less(pivot, x); };
    int lowStack[33];
    int highStack[33];
    int sp = 1;
    int lb = 0;
    int ub = last;
    lowStack[1] = lb;
    highStack[1] = ub;
    for (;;) {
        if (ub <= lb) {
            if (sp == 1)
                return;
            lb = lowStack[sp];
            ub = highStack[sp];
            --sp;
            continue;
        }
        const T pivot = a[ub];
        int i = lb - 1;
        int j = ub;
        do {
            do {
                ++i;
            } while (!atLeast(a[i], pivot));
            do {
                --j;
            } while (!(atMost(a[j], pivot) || j == lb));
            std::swap(a[i], a[j]);
        } while (j > i);
        std::swap(a[i], a[j]);
        std::swap(a[i], a[ub]);
        if (++sp > 32)
            throw std::out_of_range("QuickSortVariantArray: stack exhausted");
        if (i - lb > ub - i) {
            lowStack[sp] = lb;
            highStack[sp] = i - 1;
            lb = i + 1;
        } else {
            lowStack[sp] = i + 1;
            highStack[sp] = ub;
            ub = i - 1;
        }
    }
}

inline void ShellSortIndex(const std::vector<QVariant>& values, std::vector<int>& index, int last = -1,
                           bool descending = false)
{
    ShellSortIndex(values, index, last, descending, VariantLess{});
}

inline void QuickSortVariantArray(std::vector<QVariant>& a, int last = -1, bool descending = false)
{
    QuickSortVariantArray(a, last, descending, VariantLess{});
}

} // namespace tikkeli
