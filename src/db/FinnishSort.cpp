#include "db/FinnishSort.h"

#include "db/FinnishCollation.h"
#include "db/SqlDialect.h"
#include "db/SqliteError.h"
#include "db/Statement.h"

#include <algorithm>
#include <cstdint>
#include <sqlite3.h>
#include <string>

namespace tikkeli {

namespace {

// A sort column as a place in one buffer of bytes; a negative length stands for Null.
struct Span {
    std::uint32_t offset;
    int length;
};

// One row: the first two sort columns kept with it, so that most comparisons read nothing else.
struct Key {
    qint64 id;
    Span a;
    Span b;
    std::size_t more; // index of the row's third sort column in the spans of the rest
};

// A statement of its own, read by bytes: the record layer would make every text a QString first.
class RawStatement final {
public:
    RawStatement(sqlite3* h, const QString& sql) : m_h(h)
    {
        const QByteArray text = NormalizeSql(sql).toUtf8();
        if (const int rc = sqlite3_prepare_v2(h, text.constData(), int(text.size()), &m_stmt, nullptr); rc != SQLITE_OK)
            SqliteError::raise(h, rc);
    }
    ~RawStatement() { sqlite3_finalize(m_stmt); }
    RawStatement(const RawStatement&) = delete;
    RawStatement& operator=(const RawStatement&) = delete;
    sqlite3_stmt* get() const { return m_stmt; }
    [[noreturn]] void fail(int rc) const { SqliteError::raise(m_h, rc); }

private:
    sqlite3* m_h;
    sqlite3_stmt* m_stmt = nullptr;
};

} // namespace

std::optional<std::vector<qint64>> FinnishOrderedIds(Database& db, const QString& sql, const Params& params)
{
    sqlite3* h = db.handle();
    RawStatement st(h, sql);
    for (std::size_t i = 0; i < params.size(); ++i)
        Statement::bindValue(st.get(), int(i) + 1, params[i]);
    const int columns = sqlite3_column_count(st.get()) - 1;
    std::string bytes;
    std::vector<Span> rest;
    std::vector<Key> keys;
    int rc;
    const auto column = [&](int c, Span& span) {
        const int type = sqlite3_column_type(st.get(), c);
        if (type == SQLITE_NULL) {
            span = {0, -1};
            return true;
        }
        if (type != SQLITE_TEXT)
            return false;
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st.get(), c));
        const int n = sqlite3_column_bytes(st.get(), c);
        span = {std::uint32_t(bytes.size()), n};
        bytes.append(text, std::size_t(n));
        return true;
    };
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        Key k{sqlite3_column_int64(st.get(), 0), {0, -1}, {0, -1}, rest.size()};
        for (int c = 1; c <= columns; ++c) {
            Span span;
            if (!column(c, span))
                return std::nullopt;
            (c == 1 ? k.a : c == 2 ? k.b : rest.emplace_back()) = span;
        }
        keys.push_back(k);
        // Offsets are 32-bit: a list of several gigabytes of names is sorted by SQLite instead.
        if (bytes.size() > 0x7FFFFFFFu)
            return std::nullopt;
    }
    if (rc != SQLITE_DONE)
        st.fail(rc);
    const char* base = bytes.data();
    const auto compare = [base](const Span& x, const Span& y) {
        if (x.length < 0 || y.length < 0)
            return int(y.length < 0) - int(x.length < 0);
        return FinnishCollation::compareUtf8(base + x.offset, x.length, base + y.offset, y.length);
    };
    std::sort(keys.begin(), keys.end(), [&](const Key& x, const Key& y) {
        if (const int r = compare(x.a, y.a))
            return r < 0;
        if (const int r = compare(x.b, y.b))
            return r < 0;
        for (int c = 0; c + 2 < columns; ++c)
            if (const int r = compare(rest[x.more + std::size_t(c)], rest[y.more + std::size_t(c)]))
                return r < 0;
        return x.id < y.id;
    });
    std::vector<qint64> ids;
    ids.reserve(keys.size());
    for (const Key& k : keys)
        ids.push_back(k.id);
    return ids;
}

} // namespace tikkeli
