#include "db/JetFunctions.h"

#include "base/DateText.h"
#include "base/Value.h"

#include <sqlite3.h>

namespace tikkeli {

namespace {

void isNullFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    sqlite3_result_int(ctx, sqlite3_value_type(argv[0]) == SQLITE_NULL ? 1 : 0);
}

QDate dateOf(sqlite3_value* v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_TEXT: {
        QDate d;
        QTime t;
        const char* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
        if (DateText::parseUtf8(p, sqlite3_value_bytes(v), d, t))
            return d;
        return {};
    }
    case SQLITE_INTEGER:
    case SQLITE_FLOAT: return Value(sqlite3_value_double(v)).toDate();
    default: return {};
    }
}

template <int (QDate::*part)() const>
void datePartFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const QDate d = dateOf(argv[0]);
    if (d.isValid())
        sqlite3_result_int(ctx, (d.*part)());
    else
        sqlite3_result_null(ctx);
}

} // namespace

void JetFunctions::install(sqlite3* db)
{
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    sqlite3_create_function_v2(db, "JetIsNull", 1, flags, nullptr, &isNullFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "Year", 1, flags, nullptr, &datePartFunction<&QDate::year>, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "Month", 1, flags, nullptr, &datePartFunction<&QDate::month>, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "Day", 1, flags, nullptr, &datePartFunction<&QDate::day>, nullptr, nullptr, nullptr);
}

} // namespace tikkeli
