#pragma once

#include <QString>

struct sqlite3;

namespace tikkeli {

// Finnish text order and matching without regard to case: Å, Ä and Ö come after Z, "äijä" equals
// "ÄIJÄ". Every connection gets the collation "FI" and a LIKE built on the same rules; the file
// itself never names the collation in its schema, so the stock sqlite3 shell still reads it.
class FinnishCollation {
public:
    static constexpr const char* Name = "FI";

    static int compare(QStringView a, QStringView b);
    static int compareUtf8(const char* a, int na, const char* b, int nb);
    // SQL LIKE: % any text, _ one character, escape (if given) makes the next character literal.
    // Letters are compared after Unicode case folding.
    static bool like(QStringView pattern, QStringView text, char32_t escape = 0);
    // Registers the collation FI and like(X,Y), like(X,Y,Z) on the connection.
    static void install(sqlite3* db);
};

} // namespace tikkeli
