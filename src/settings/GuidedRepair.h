#pragma once

#include <QString>

namespace tikkeli {

// The repair road of a damaged database, as the start-up and the settings save take it: the
// notice, the repair (a fresh file salvaged row by row, put in place by one atomic rename) and a
// plain message for its outcome. True when the database's name now holds a repaired or healthy
// file. No step leaves the name without a file.
bool RunGuidedRepair(const QString& path);

} // namespace tikkeli
