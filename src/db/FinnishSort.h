#pragma once

#include "db/Database.h"

#include <optional>
#include <vector>

namespace tikkeli {

// The first column's ids of a query's rows, ordered by its other columns in the Finnish collation
// (Null first) and then by id: the order ORDER BY ... COLLATE FI gives, at little more than the cost
// of reading the rows. SQLite's sorter calls out to a collation of ours for every comparison and
// unpacks both rows each time, which doubles the cost of a large club's name order; this sort
// compares the stored UTF-8 bytes in place. nullopt when a sort column holds a number or a blob
// (written by another tool), whose order between types is SQLite's to give.
std::optional<std::vector<qint64>> FinnishOrderedIds(Database& db, const QString& sql, const Params& params = {});

} // namespace tikkeli
