#pragma once

struct sqlite3;

namespace tikkeli {

// Functions of the older SQL dialect that the program's own SQL still uses: IsNull(x) (1 or 0; the
// dialect rewrite calls it JetIsNull, as ISNULL is an operator in SQLite), Year(d), Month(d),
// Day(d) of a stored date (ISO text or a day serial; Null for Null or a value that is no date).
// They exist only on the program's connections, so nothing stored in the file (views, triggers)
// may use them.
class JetFunctions {
public:
    static void install(sqlite3* db);
};

} // namespace tikkeli
