#pragma once

#include <QString>

namespace tikkeli {

// The repair road of a damaged database, as the start-up and the settings save take it: the
// notice, repair, compaction into <path>2 and the swap of the two files, each failure with its
// plain message box. True when the repaired copy now carries the database's name. No step leaves
// the name without a file: when the repaired copy cannot take the name, the original gets it back.
bool RunGuidedRepair(const QString& path);

} // namespace tikkeli
