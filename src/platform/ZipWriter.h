#pragma once

#include <QString>

#include <atomic>
#include <functional>
#include <optional>

namespace tikkeli {

// Packs one file into a new zip archive (deflate, UTF-8 entry name) with libzip.
class ZipWriter {
public:
    // Returns the error text (Finnish) on failure; the archive is then not left behind.
    // progress gets 0.0..1.0; a set cancel flag stops the packing.
    static std::optional<QString> zipFile(const QString& source, const QString& zipPath, const QString& entryName,
                                          const std::function<void(double)>& progress = {},
                                          const std::atomic<bool>* cancel = nullptr);
};

} // namespace tikkeli
