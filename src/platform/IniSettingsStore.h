#pragma once

#include <QRect>
#include <QString>
#include <QStringList>
#include <optional>

namespace tikkeli {

// Where a window was and how large, as kept in the ini file.
struct WindowPlacement {
    QRect geometry; // the window's client geometry in screen coordinates
    bool maximized = false;
};

// The ini file of the program: sections of key=value lines. Reads take UTF-8 and fall back to
// Latin-1 (files written by older versions on Windows); writes are UTF-8 and replace the file
// atomically, keeping its other sections, keys and comments as they were. Keys and sections are
// matched without regard to case, as the Windows ini routines did.
//
// A value is written as it is unless it could not be read back exactly (surrounding blanks or
// quotes, line breaks, a backslash-quote mix): then it is written in double quotes with \" \\ \n \r
// escapes. Reads strip one pair of surrounding double quotes, as the Windows routines did.
class IniSettingsStore {
public:
    IniSettingsStore() = default;

    // A bare file name ("Tikkeli.ini") lies in the user's configuration folder ~/.config/Tikkeli/;
    // the environment variable TIKKELI_INI names the file to use instead. A path with a folder is
    // used as it is.
    void setFile(const QString& fileName);
    void setSection(const QString& section);
    QString filePath() const { return m_path; }
    QString section() const { return m_section; }

    // The stored text, or defaultValue when the file, section or key is missing.
    QString read(const QString& key, const QString& defaultValue = {}) const;
    // Throws SettingsError when the file cannot be written.
    void write(const QString& value, const QString& key);
    void remove(const QString& key);
    QStringList keys() const;
    // Why the file, though present, cannot be read (a folder in its place, no permission); nullopt
    // when it can be read or is simply missing.
    std::optional<QString> unreadable() const;
    // Why the file is not read at all: it is larger than any the program writes (a few lines of
    // paths and window placements). Such a file is never read nor written over: reads give the
    // defaults and writes are refused.
    std::optional<QString> tooLarge() const;
    static constexpr qint64 MaxFileBytes = qint64(256) << 10;

    // The tag of the temporary file a save writes beside the ini (see FileSafety::temporaryName).
    static const QString TempTag;
    // Removes the temporary files saves stopped half-way left beside the file; each save and the
    // start-up do this.
    void removeLeftovers() const;

    // Placement of a window under a key of the current section; nullopt when missing or malformed.
    std::optional<WindowPlacement> readPlacement(const QString& key) const;
    void writePlacement(const WindowPlacement& placement, const QString& key);

    // The path a bare ini file name resolves to (see setFile).
    static QString resolvePath(const QString& fileName);
    // Encoding of one value on its line, and back.
    static QString encodeValue(const QString& value);
    static QString decodeValue(const QString& raw);

private:
    QStringList loadLines() const;
    void saveLines(const QStringList& lines) const;

    QString m_path;
    QString m_section;
};

} // namespace tikkeli
