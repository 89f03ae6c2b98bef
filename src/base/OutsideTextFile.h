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
    // The text of the bytes: a BOM decides; otherwise valid UTF-8 is UTF-8 and anything else
    // Windows-1252. The BOM itself is not part of the text.
    static QString decode(const QByteArray& bytes);
    // Lines broken at CR LF, LF or a lone CR. A break at the very end does not start another line.
    static QStringList splitLines(const QString& text);
    // The decoded lines of the file; nullopt with a Finnish reason in *error when it cannot be read.
    static std::optional<QStringList> readLines(const QString& path, QString* error = nullptr);
};

} // namespace tikkeli
