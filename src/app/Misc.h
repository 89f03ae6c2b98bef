#pragma once

#include <QString>

namespace tikkeli {

// Clears the read-only mark of a file (gives its owner write permission back); false when the
// file is missing or its permissions cannot be changed.
bool ClearFileAttributes(const QString& path);
// True when the file's owner may not write it; false for a writable or missing file.
bool IsReadOnlyFile(const QString& path);

double MaxDouble(double a, double b);
qint32 MaxLong(qint32 a, qint32 b);
qint32 MinLong(qint32 a, qint32 b);

// Opens a document, folder or web address with the desktop's own program for it; failures are
// skipped, as a missing browser must not stop the program.
void OpenWithShell(const QString& target);

} // namespace tikkeli
