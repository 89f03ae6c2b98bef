#include "db/FinnishCollation.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstring>
#include <cstdint>
#include <sqlite3.h>
#include <string>
#include <string_view>
#include <vector>

namespace tikkeli {

namespace {

QCollator& collator()
{
    // QCollator is not safe to share between threads; each thread keeps its own.
    thread_local QCollator c = [] {
        QCollator col(QLocale(QLocale::Finnish, QLocale::Finland));
        col.setCaseSensitivity(Qt::CaseInsensitive);
        col.setNumericMode(false);
        return col;
    }();
    return c;
}

// Decodes one UTF-8 sequence at s[i] (i < n); a malformed byte reads as U+FFFD and moves one byte.
inline char32_t decodeUtf8(const unsigned char* s, int n, int& i)
{
    const unsigned char c = s[i];
    if (c < 0x80) {
        ++i;
        return c;
    }
    int len = 0;
    char32_t cp = 0;
    if ((c & 0xE0) == 0xC0) {
        len = 2;
        cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        len = 3;
        cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        len = 4;
        cp = c & 0x07;
    } else {
        ++i;
        return 0xFFFD;
    }
    if (i + len > n) {
        ++i;
        return 0xFFFD;
    }
    for (int k = 1; k < len; ++k) {
        const unsigned char cc = s[i + k];
        if ((cc & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        cp = (cp << 6) | (cc & 0x3F);
    }
    i += len;
    return cp;
}

// Primary weights (letter identity, ignoring case and accents) of the characters that make up
// nearly all of a club's names and addresses: printable ASCII and the Latin-1 letters. Two texts
// usually differ at one of their first characters, and there the primary weights decide alone, so
// most comparisons never reach the collator. The table is read off the collator itself, so it
// follows the same Finnish rules (Å, Ä, Ö after Z; V and W apart). 0 = not in the table.
struct PrimaryTable {
    std::array<std::uint16_t, 256> rank{};
    // The same for single bytes: the ASCII weights, 0 for every byte of a longer sequence.
    std::array<std::uint16_t, 256> ascii{};

    PrimaryTable()
    {
        QCollator col(QLocale(QLocale::Finnish, QLocale::Finland));
        col.setCaseSensitivity(Qt::CaseInsensitive);
        col.setNumericMode(false);
        std::vector<char16_t> chars;
        for (char16_t c = 0x20; c < 0x7F; ++c)
            chars.push_back(c);
        for (char16_t c = 0xC0; c <= 0xFF; ++c) {
            // Signs, and letters whose Finnish order is not one letter's: ß expands to "ss", Æ/Þ/Ð
            // carry tailorings of their own. They take the collator's road.
            if (c == 0xD7 || c == 0xF7 || c == 0xDF || c == 0xC6 || c == 0xE6 || c == 0xDE || c == 0xFE || c == 0xD0
                || c == 0xF0)
                continue;
            chars.push_back(c);
        }
        const auto str = [](char16_t c, char16_t tail = 0) {
            QString s{QChar(c)};
            if (tail)
                s += QChar(tail);
            return s;
        };
        std::stable_sort(chars.begin(), chars.end(),
                         [&](char16_t x, char16_t y) { return col.compare(str(x), str(y)) < 0; });
        // Same primary weight when the second letter decides both ways: "xa" < "yb" and "ya" < "xb".
        const auto samePrimary = [&](char16_t x, char16_t y) {
            return col.compare(str(x, u'a'), str(y, u'b')) < 0 && col.compare(str(y, u'a'), str(x, u'b')) < 0;
        };
        std::uint16_t r = 1;
        for (std::size_t i = 0; i < chars.size(); ++i) {
            if (i > 0 && !samePrimary(chars[i - 1], chars[i]))
                ++r;
            rank[chars[i]] = r;
        }
        std::copy(rank.begin(), rank.begin() + 0x80, ascii.begin());
    }

    std::uint16_t of(char32_t c) const { return c < 256 ? rank[c] : 0; }
};

// The ASCII weights for the hot path, published once the table is built: a plain load there,
// where a function-local static would cost a guard check and a call frame on every comparison.
std::atomic<const std::uint16_t*> asciiWeights{nullptr};
// The whole table, read only after asciiWeights was seen set.
const std::uint16_t* latin1Weights = nullptr;

const PrimaryTable& primaryTable()
{
    static const PrimaryTable table;
    static const bool published = [] {
        latin1Weights = table.rank.data();
        asciiWeights.store(table.ascii.data(), std::memory_order_release);
        return true;
    }();
    (void)published;
    return table;
}

int collate(void*, int na, const void* a, int nb, const void* b)
{
    return FinnishCollation::compareUtf8(static_cast<const char*>(a), na, static_cast<const char*>(b), nb);
}

char32_t fold(char32_t c)
{
    if (c < 128)
        return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    return QChar::toCaseFolded(c);
}

// Text as folded code points, decoded straight from UTF-8 into a buffer the caller keeps.
void foldUtf8(const unsigned char* s, int n, std::vector<char32_t>& out)
{
    out.resize(std::size_t(n));
    std::size_t w = 0;
    for (int i = 0; i < n;) {
        const unsigned char c = s[i];
        if (c < 0x80) {
            out[w++] = (c >= 'A' && c <= 'Z') ? c + 32 : c;
            ++i;
        } else {
            out[w++] = fold(decodeUtf8(s, n, i));
        }
    }
    out.resize(w);
}

void foldText(QStringView s, std::vector<char32_t>& out)
{
    out.clear();
    for (qsizetype i = 0; i < s.size(); ++i) {
        char32_t c = s[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(s[i].unicode(), s[i + 1].unicode());
            ++i;
        }
        out.push_back(fold(c));
    }
}

// A LIKE pattern after parsing: 0 = literal, 1 = any one, 2 = any run.
struct LikeElem {
    int type;
    char32_t c;
};
using LikePattern = std::vector<LikeElem>;

LikePattern parseLike(const std::vector<char32_t>& p, char32_t escape)
{
    LikePattern pat;
    pat.reserve(p.size());
    for (std::size_t i = 0; i < p.size(); ++i) {
        const char32_t c = p[i];
        if (escape && c == escape && i + 1 < p.size()) {
            pat.push_back({0, p[++i]});
        } else if (c == '%') {
            if (pat.empty() || pat.back().type != 2)
                pat.push_back({2, 0});
        } else if (c == '_') {
            pat.push_back({1, 0});
        } else {
            pat.push_back({0, c});
        }
    }
    return pat;
}

bool matchLike(const LikePattern& pat, const std::vector<char32_t>& t)
{
    std::size_t pi = 0, ti = 0;
    std::size_t starP = std::size_t(-1), starT = 0;
    while (ti < t.size()) {
        if (pi < pat.size() && pat[pi].type == 2) {
            starP = pi++;
            starT = ti;
        } else if (pi < pat.size() && (pat[pi].type == 1 || pat[pi].c == t[ti])) {
            ++pi;
            ++ti;
        } else if (starP != std::size_t(-1)) {
            pi = starP + 1;
            ti = ++starT;
        } else {
            return false;
        }
    }
    while (pi < pat.size() && pat[pi].type == 2)
        ++pi;
    return pi == pat.size();
}

// The pattern of a statement is usually the same for every row: SQLite keeps the parsed pattern
// with the statement (auxiliary data), so each row only decodes its own text.
struct CachedLike {
    std::string source;
    char32_t escape;
    LikePattern pattern;
};

void likeFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) {
            sqlite3_result_null(ctx);
            return;
        }
    }
    const auto bytes = [](sqlite3_value* v) {
        const auto* p = sqlite3_value_text(v);
        return std::string_view(reinterpret_cast<const char*>(p), std::size_t(sqlite3_value_bytes(v)));
    };
    thread_local std::vector<char32_t> buffer;
    char32_t escape = 0;
    if (argc == 3) {
        const std::string_view e = bytes(argv[2]);
        foldUtf8(reinterpret_cast<const unsigned char*>(e.data()), int(e.size()), buffer);
        if (buffer.size() != 1) {
            sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
            return;
        }
        escape = buffer[0];
    }
    // like(X, Y) is "Y LIKE X": the pattern comes first.
    const std::string_view patternText = bytes(argv[0]);
    auto* cached = static_cast<CachedLike*>(sqlite3_get_auxdata(ctx, 0));
    if (!cached || cached->source != patternText || cached->escape != escape) {
        foldUtf8(reinterpret_cast<const unsigned char*>(patternText.data()), int(patternText.size()), buffer);
        cached = new CachedLike{std::string(patternText), escape, parseLike(buffer, escape)};
        sqlite3_set_auxdata(ctx, 0, cached, [](void* p) { delete static_cast<CachedLike*>(p); });
        // SQLite may drop the data at once (a pattern that is not constant); it is then read again.
        cached = static_cast<CachedLike*>(sqlite3_get_auxdata(ctx, 0));
        if (!cached) {
            foldUtf8(reinterpret_cast<const unsigned char*>(patternText.data()), int(patternText.size()), buffer);
            const LikePattern pattern = parseLike(buffer, escape);
            const std::string_view t = bytes(argv[1]);
            foldUtf8(reinterpret_cast<const unsigned char*>(t.data()), int(t.size()), buffer);
            sqlite3_result_int(ctx, matchLike(pattern, buffer) ? 1 : 0);
            return;
        }
    }
    const std::string_view t = bytes(argv[1]);
    foldUtf8(reinterpret_cast<const unsigned char*>(t.data()), int(t.size()), buffer);
    sqlite3_result_int(ctx, matchLike(cached->pattern, buffer) ? 1 : 0);
}

} // namespace

int FinnishCollation::compare(QStringView a, QStringView b)
{
    const int r = collator().compare(a, b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

namespace {

// Length of the common beginning of two byte strings, eight bytes at a time.
inline int commonPrefix(const unsigned char* a, const unsigned char* b, int n)
{
    int p = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; p + 8 <= n; p += 8) {
            std::uint64_t x, y;
            std::memcpy(&x, a + p, 8);
            std::memcpy(&y, b + p, 8);
            if (x != y)
                return p + std::countr_zero(x ^ y) / 8;
        }
        // The last few bytes in one load that overlaps bytes already known to be equal.
        if (n >= 8 && p < n) {
            std::uint64_t x, y;
            std::memcpy(&x, a + n - 8, 8);
            std::memcpy(&y, b + n - 8, 8);
            return x == y ? n : n - 8 + std::countr_zero(x ^ y) / 8;
        }
    }
    while (p < n && a[p] == b[p])
        ++p;
    return p;
}

// The full comparison from the first differing byte p on.
int compareFrom(const unsigned char* sa, int na, const unsigned char* sb, int nb, int p);

} // namespace

int FinnishCollation::compareUtf8(const char* a, int na, const char* b, int nb)
{
    const auto* sa = reinterpret_cast<const unsigned char*>(a);
    const auto* sb = reinterpret_cast<const unsigned char*>(b);
    // The common beginning is the same letters in both, whatever they weigh.
    const int p = commonPrefix(sa, sb, na < nb ? na : nb);
    if (p == na && p == nb)
        return 0;
    // Most pairs part at a letter each from Latin-1 (plain ASCII or a two-byte sequence such as Ä)
    // after a known letter or at the start, with a known letter or the end after them: nothing can
    // join them, and where their weights differ those decide. This is the collation's hot path
    // during a sort; everything else goes out of line.
    const std::uint16_t* ascii = asciiWeights.load(std::memory_order_acquire);
    if (!ascii) {
        primaryTable(); // builds and publishes the table
        return compareUtf8(a, na, b, nb);
    }
    const std::uint16_t* latin1 = latin1Weights;
    // The weight of the letter at i, moving i past it; 0 for anything outside the table.
    const auto weightAt = [&](const unsigned char* s, int n, int& i) -> std::uint16_t {
        const unsigned char c = s[i];
        if (c < 0x80) {
            ++i;
            return ascii[c];
        }
        if ((c == 0xC2 || c == 0xC3) && i + 1 < n && (s[i + 1] & 0xC0) == 0x80) {
            const unsigned cp = ((c & 0x1Fu) << 6) | (s[i + 1] & 0x3Fu);
            i += 2;
            return latin1[cp];
        }
        return 0;
    };
    const auto knownAfter = [&](const unsigned char* s, int n, int i) { return i >= n || weightAt(s, n, i) != 0; };
    // q: where the letter holding the first differing byte starts.
    int q = p;
    if (q > 0 && q < na && q < nb && (sa[q] & 0xC0) == 0x80 && (sb[q] & 0xC0) == 0x80)
        --q; // parted inside a two-byte letter: both share its lead byte
    bool knownBefore = q == 0 || ascii[sa[q - 1]] != 0;
    if (!knownBefore && q >= 2 && (sa[q - 1] & 0xC0) == 0x80 && (sa[q - 2] == 0xC2 || sa[q - 2] == 0xC3))
        knownBefore = latin1[((sa[q - 2] & 0x1Fu) << 6) | (sa[q - 1] & 0x3Fu)] != 0;
    if (!knownBefore)
        return compareFrom(sa, na, sb, nb, p);
    if (q < na && q < nb) {
        int ia = q, ib = q;
        const std::uint16_t ra = weightAt(sa, na, ia), rb = weightAt(sb, nb, ib);
        if (ra != 0 && rb != 0 && ra != rb && knownAfter(sa, na, ia) && knownAfter(sb, nb, ib))
            return ra < rb ? -1 : 1;
    } else {
        // One is the other's beginning: the longer sorts after when every letter of its tail
        // weighs something (nothing there could weigh nothing or join the last letter).
        const unsigned char* rest = q < na ? sa : sb;
        const int n = q < na ? na : nb;
        int k = q;
        for (;;) {
            if (k >= n)
                return q < na ? 1 : -1;
            if (weightAt(rest, n, k) == 0)
                break;
        }
    }
    return compareFrom(sa, na, sb, nb, p);
}

namespace {

int compareFrom(const unsigned char* sa, int na, const unsigned char* sb, int nb, int p)
{
    const PrimaryTable& table = primaryTable();
    const auto slow = [&] {
        return FinnishCollation::compare(QString::fromUtf8(reinterpret_cast<const char*>(sa), na),
                                         QString::fromUtf8(reinterpret_cast<const char*>(sb), nb));
    };
    const auto isContinuation = [&](int at) {
        const unsigned char c = at < na ? sa[at] : sb[at];
        return (c & 0xC0) == 0x80;
    };
    while (p > 0 && isContinuation(p))
        --p;

    // A character outside the table just before the first difference might join with what follows.
    bool prevKnown = true;
    if (p > 0 && sa[p - 1] < 0x80) {
        prevKnown = table.rank[sa[p - 1]] != 0;
    } else if (p > 0) {
        int start = p - 1;
        while (start > 0 && (sa[start] & 0xC0) == 0x80)
            --start;
        int at = start;
        prevKnown = table.of(decodeUtf8(sa, p, at)) != 0;
    }

    // From there on, the first different primary weight decides, whatever case or accents came
    // before it; a letter outside the table anywhere near the decision leaves it to the collator.
    bool sawSecondary = false;
    int i = p, j = p;
    while (i < na && j < nb) {
        // Plain ASCII on both sides, the usual case: no decoding.
        if (sa[i] < 0x80 && sb[j] < 0x80 && (i + 1 >= na || sa[i + 1] < 0x80) && (j + 1 >= nb || sb[j + 1] < 0x80)) {
            const std::uint16_t ra = table.rank[sa[i]], rb = table.rank[sb[j]];
            if (sa[i] == sb[j]) {
                prevKnown = ra != 0;
                ++i;
                ++j;
                continue;
            }
            if (ra == 0 || rb == 0 || !prevKnown)
                return slow();
            if (ra != rb)
                return ra < rb ? -1 : 1; // the next characters are ASCII: nothing joins
            sawSecondary = true;
            ++i;
            ++j;
            continue;
        }
        const char32_t ca = decodeUtf8(sa, na, i);
        const char32_t cb = decodeUtf8(sb, nb, j);
        const std::uint16_t ra = table.of(ca), rb = table.of(cb);
        if (ca == cb) {
            prevKnown = ra != 0;
            continue;
        }
        if (ra == 0 || rb == 0 || !prevKnown)
            return slow();
        if (ra != rb) {
            // A combining mark or other character outside the table right after may join the
            // letter into another one ("a" + U+0308 is "ä").
            const auto nextKnown = [&](const unsigned char* s, int n, int at) {
                return at >= n || table.of(decodeUtf8(s, n, at)) != 0;
            };
            if (!nextKnown(sa, na, i) || !nextKnown(sb, nb, j))
                return slow();
            return ra < rb ? -1 : 1;
        }
        sawSecondary = true; // same letter in another case or with an accent
        prevKnown = true;
    }
    if (i == na && j == nb)
        return sawSecondary ? slow() : 0;
    // One text is the other's beginning letter for letter: the longer one sorts after, unless its
    // tail could weigh nothing or join the last letter (a character outside the table).
    if (!prevKnown)
        return slow();
    const unsigned char* rest = i < na ? sa : sb;
    const int n = i < na ? na : nb;
    int k = i < na ? i : j;
    while (k < n) {
        if (table.of(decodeUtf8(rest, n, k)) == 0)
            return slow();
    }
    return i < na ? 1 : -1;
}

} // namespace

bool FinnishCollation::like(QStringView pattern, QStringView text, char32_t escape)
{
    std::vector<char32_t> p, t;
    foldText(pattern, p);
    foldText(text, t);
    return matchLike(parseLike(p, fold(escape)), t);
}

void FinnishCollation::install(sqlite3* db)
{
    sqlite3_create_collation_v2(db, Name, SQLITE_UTF8, nullptr, &collate, nullptr);
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    sqlite3_create_function_v2(db, "like", 2, flags, nullptr, &likeFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "like", 3, flags, nullptr, &likeFunction, nullptr, nullptr, nullptr);
}

} // namespace tikkeli
