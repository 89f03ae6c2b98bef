#pragma once

#include <QString>

namespace tikkeli {

// Clears the read-only mark of a file (gives its owner write permission back); false when the
// file is missing or its permissions cannot be changed.
bool ClearFileAttributes(const QString& path);
// True when the file's owner may not write it; false for a writable or missing file.
bool IsReadOnlyFile(const QString& path);

} // namespace tikkeli
