#include "db/FinnishCollation.h"

#include <QCollator>
#include <QLocale>
#include <cstring>
#include <sqlite3.h>
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

int collate(void*, int na, const void* a, int nb, const void* b)
{
    return FinnishCollation::compareUtf8(static_cast<const char*>(a), na, static_cast<const char*>(b), nb);
}

std::vector<char32_t> folded(QStringView s)
{
    std::vector<char32_t> out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        char32_t c = s[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(s[i].unicode(), s[i + 1].unicode());
            ++i;
        }
        out.push_back(c);
    }
    return out;
}

char32_t fold(char32_t c)
{
    if (c < 128)
        return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    return QChar::toCaseFolded(c);
}

void likeFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) {
            sqlite3_result_null(ctx);
            return;
        }
    }
    const auto text = [](sqlite3_value* v) {
        const char* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
        return QString::fromUtf8(p, sqlite3_value_bytes(v));
    };
    char32_t escape = 0;
    if (argc == 3) {
        const QString e = text(argv[2]);
        const auto codes = folded(e);
        if (codes.size() != 1) {
            sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
            return;
        }
        escape = codes[0];
    }
    sqlite3_result_int(ctx, FinnishCollation::like(text(argv[0]), text(argv[1]), escape) ? 1 : 0);
}

} // namespace

int FinnishCollation::compare(QStringView a, QStringView b)
{
    const int r = collator().compare(a, b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int FinnishCollation::compareUtf8(const char* a, int na, const char* b, int nb)
{
    const int common = na < nb ? na : nb;
    int p = 0;
    while (p < common && a[p] == b[p])
        ++p;
    if (p == na && p == nb)
        return 0;
    // Identical up to two differing digits: the digits decide, as in the full comparison. This
    // keeps ISO dates and numeric text fast.
    if (p < common && a[p] >= '0' && a[p] <= '9' && b[p] >= '0' && b[p] <= '9')
        return a[p] < b[p] ? -1 : 1;
    return compare(QString::fromUtf8(a, na), QString::fromUtf8(b, nb));
}

bool FinnishCollation::like(QStringView pattern, QStringView text, char32_t escape)
{
    // Pattern elements: 0 = literal, 1 = any one, 2 = any run.
    struct Elem {
        int type;
        char32_t c;
    };
    std::vector<Elem> pat;
    const auto p = folded(pattern);
    pat.reserve(p.size());
    for (std::size_t i = 0; i < p.size(); ++i) {
        const char32_t c = p[i];
        if (escape && c == escape && i + 1 < p.size()) {
            pat.push_back({0, fold(p[++i])});
        } else if (c == '%') {
            if (pat.empty() || pat.back().type != 2)
                pat.push_back({2, 0});
        } else if (c == '_') {
            pat.push_back({1, 0});
        } else {
            pat.push_back({0, fold(c)});
        }
    }
    auto t = folded(text);
    for (auto& c : t)
        c = fold(c);

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

void FinnishCollation::install(sqlite3* db)
{
    sqlite3_create_collation_v2(db, Name, SQLITE_UTF8, nullptr, &collate, nullptr);
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    sqlite3_create_function_v2(db, "like", 2, flags, nullptr, &likeFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "like", 3, flags, nullptr, &likeFunction, nullptr, nullptr, nullptr);
}

} // namespace tikkeli
