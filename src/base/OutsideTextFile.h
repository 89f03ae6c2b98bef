#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace tikkeli {

// Text files that users and banks hand to the program (import files, payment files, templates)
// come from many programs: UTF-8 with or without a byte order mark, UTF-16 with one, or the
// Windows code page 1252 of older Windows programs.
class OutsideTextFile {
public:
    // The text of the bytes: a BOM decides; bytes with a zero as every second byte are UTF-16
    // without one; otherwise valid UTF-8 sequences are UTF-8 and every other byte Windows-1252, so
    // one stray byte in a UTF-8 file spoils only itself. The BOM itself is not part of the text.
    static QString decode(const QByteArray& bytes);
    // Lines broken at CR LF, LF or a lone CR. A break at the very end does not start another line.
    static QStringList splitLines(const QString& text);
    // The decoded lines of the file; nullopt with a Finnish reason in *error when it cannot be read.
    static std::optional<QStringList> readLines(const QString& path, QString* error = nullptr);
};

} // namespace tikkeli
