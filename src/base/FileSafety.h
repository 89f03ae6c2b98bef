#pragma once

#include "base/Error.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace tikkeli {

// A failed file step, with the number and description the windows show ("<number>: <description>").
// File errors keep the numbers users have always seen (53 file not found, 58 file exists, 61 disk
// full, 70 permission denied, 76 path not found).
struct FileError : ErrorInfo {
    // The target's file system cannot hold a file this large (FAT32 and its 4 GiB limit).
    bool fileTooLarge = false;

    FileError() = default;
    FileError(int n, QString text, bool tooLarge = false) : ErrorInfo(n, std::move(text)), fileTooLarge(tooLarge) {}
    FileError(const ErrorInfo& e) : ErrorInfo(e) {}

    static FileError fromErrno(int err);
};

// The steps that touch the disk. Every one of them passes the single fault point
// FileSafety::check first, so a test can fail or "stop" any of them.
enum class FileStep {
    Create,     // a new (temporary) file is created
    Write,      // bytes are written into a file
    Sync,       // a file's contents are flushed to the disk
    Verify,     // a written file is read back and checked
    Rename,     // a file takes another name
    Link,       // a second name (hard link) for an existing file
    Remove,     // a name is removed
    MakeFolder, // a folder is created
    SyncFolder, // a folder's entries are flushed to the disk
    Read,       // bytes are read from a file the program takes in whole (templates, settings, reports)
};
QString FileStepName(FileStep step);

// Every file operation that must leave either the old or the whole new file behind: copies through
// a temporary file beside the target, fsync of the file and of its folder, renames, removals, folder
// creation. The real file system is used unless a test installs a subclass whose check() fails
// chosen steps.
//
// A file behind a symbolic link is the file, found as the system finds it: a step that replaces a
// file (rename with Replace, a copy or a write over it) replaces the file the link points to and
// leaves the link a link; the temporary files lie beside that file, and a second name (link) is
// given to that file. A name that must not exist yet (Keep) is taken literally: a link there, even
// one to nothing, is a file.
class FileSafety {
public:
    enum class Existing { Keep, Replace };
    // Whether a file may be put at target: the error that refuses it, nullopt when it may.
    using TargetCheck = std::function<std::optional<FileError>(const QString& target)>;

    virtual ~FileSafety() = default;

    // The one fault point, asked before each step with the path it touches. A non-zero errno makes
    // the step fail as if the system had refused it. Code that does its own disk work (SQLite
    // writing a copy, reading it back) asks it too, so its steps can be failed the same way.
    virtual int check(FileStep step, const QString& path);

    static FileSafety& instance();
    // Installs safety (not owned); nullptr restores the real file system.
    static void setInstance(FileSafety* safety);

    // Where path's own name lies: its folder as the system finds it (every link on the way to it
    // followed), the last name taken as it is, a link or not. Absolute and free of links, "." and
    // ".."; of a folder that does not exist, the part that does, as the system finds it, with the
    // rest of the names.
    static QString realLocation(const QString& path);
    // The file path names, as the system finds it: each link is read and its target followed from
    // the real folder the link lies in (never by cleaning "folder/../name" as text, which skips a
    // folder that is itself a link), as many links as the system itself follows. The real path of
    // an existing file; for a file not there yet (also one the last link points to), the real
    // folder with the name. A loop of links gives a link, which every step that follows links
    // refuses.
    static QString fileBehind(const QString& path);
    // Where path's own name and every link on the way to its file lie (each a realLocation), the
    // file last: compared with another path's realLocation, the same text is the same place.
    static QStringList linkChain(const QString& path);

    std::optional<FileError> makeFolder(const QString& folder);
    std::optional<FileError> syncFile(const QString& path);
    std::optional<FileError> syncFolder(const QString& folder);
    // Renames from to to. Keep refuses an existing target (58) and leaves both as they were;
    // Replace swaps the target (the file behind a link) atomically. The folder is flushed
    // afterwards; once the name has changed, a failure of that flush is not reported (the rename
    // cannot be undone by it).
    std::optional<FileError> rename(const QString& from, const QString& to, Existing existing);
    // Gives the existing file (the file behind a link) a second name; an existing newName is
    // refused (58).
    std::optional<FileError> link(const QString& existing, const QString& newName);
    // Removes a file; a missing file is no error.
    std::optional<FileError> remove(const QString& path);

    // Creates an empty file with a unique hidden name beside target (beside the file behind a
    // link, named after it); "" and error when that fails.
    // With a tag, the name is one of temporaryName's, known again by removeLeftovers.
    QString reserveTemp(const QString& target, std::optional<FileError>& error, const QString& tag = {});
    // A name for a temporary file beside target that the program knows again as its own:
    // ".<name>.<tag>-<process id>-<random>", hidden like every temporary file of ours.
    static QString temporaryName(const QString& target, const QString& tag);
    // Removes what interrupted runs left beside target (and beside the file behind a link) under
    // temporaryName's names with one of the tags, a temporary file's own temporary files and
    // SQLite journals among them: only files whose process has ended, never any other name.
    // Returns how many were removed.
    int removeLeftovers(const QString& target, const QStringList& tags);
    // The same for every target in folder, also one that no longer exists (a restore stopped
    // before its new file took its name), and beside the file behind every link in it.
    int removeLeftoversIn(const QString& folder, const QStringList& tags);
    // Flushes temp, renames it to target and syncs the folder; on failure temp is removed and
    // target left as it was. mayReplace, when given, is asked about target right before the
    // rename: what lies at the target then is what the rename would replace, however long the
    // temporary file took to write.
    std::optional<FileError> publish(const QString& temp, const QString& target, Existing existing,
                                     const TargetCheck& mayReplace = {});
    // Copies a file through a temporary file beside the target, named with tag when one is given.
    std::optional<FileError> copyFile(const QString& from, const QString& to, Existing existing, const QString& tag = {});
    // Writes bytes as the whole new content of path through a temporary file, named with tag when
    // one is given.
    std::optional<FileError> writeFile(const QString& path, const QByteArray& bytes, const QString& tag = {});
    // Reads the whole of path into bytes. A read that fails, or ends before the size the file had
    // when it was opened, is an error: nothing is taken from a file read in part. A file larger
    // than maxBytes (when given) is refused before anything is read.
    std::optional<FileError> readFile(const QString& path, QByteArray& bytes, qint64 maxBytes = -1);

private:
    void settleFolder(const QString& folder);
    int removeLeftoversBeside(const QString& target, const QStringList& tags);
};

} // namespace tikkeli
