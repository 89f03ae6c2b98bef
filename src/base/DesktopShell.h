#pragma once

#include <QString>

namespace tikkeli {

// Opens a document, folder or web address with the desktop's own program for it; failures are
// skipped, as a missing browser must not stop the program.
void OpenWithShell(const QString& target);

} // namespace tikkeli
