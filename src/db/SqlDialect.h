#pragma once

#include <QString>

namespace tikkeli {

// Turns a statement written in the program's older SQL dialect into SQLite SQL. Works on tokens,
// so nothing inside a '...' literal is ever touched:
//   DELETE * FROM t / DELETE t.* FROM t    → DELETE FROM t
//   #3/5/2024#, #3/5/2024 14:30:00#        → '2024-03-05 00:00:00', '2024-03-05 14:30:00'
//   LIKE 'Virt*n?'                          → LIKE 'Virt%n_' (literal % and _ escaped, with ESCAPE '\')
//   = "text", IN ("a", "b"), VALUES ("a")  → single-quoted literals ("..." elsewhere stays an identifier)
//   True / False                            → 1 / 0
//   a & b                                   → a || b (text concatenation)
//   IsNull(x)                               → JetIsNull(x) (see JetFunctions)
//   ORDER BY x, y DESC                      → ORDER BY x COLLATE FI, y COLLATE FI DESC
// The last rewrite gives text Finnish case-insensitive order (the collation only applies when both
// sides are text, so numbers and ISO dates order as before). CREATE statements are not given it:
// views and triggers stored in the file must stay usable from the stock sqlite3 shell, which does
// not know the collation.
QString NormalizeSql(const QString& sql);

// A pattern in the older wildcard syntax (* any text, ? one character, [*] a literal star) as a
// pattern for "LIKE ? ESCAPE '\'" with a bound value.
QString JetLikePattern(const QString& pattern);

// A date literal #m/d/yyyy[ h:mm[:ss][ AM|PM]]# (or #yyyy-mm-dd ...#) as the stored ISO text;
// empty when it is not a date.
QString JetDateToIso(QStringView literal);

} // namespace tikkeli
