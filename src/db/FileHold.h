#pragma once

#include <QString>

namespace tikkeli {

// How the running programs of ours share a club file. Each holds the file it works on from its
// first open until it ends: a shared lock on a byte the database engine never locks. A whole-file
// step (a compaction that takes the file's name, a restore over it, a repair) takes that byte
// exclusively, without waiting, so it runs only while no other program of ours has the file. The
// database engine names its rollback journal after the path: a program left on a file that has left
// its path would take another program's live journal for a crashed one of its own and damage the
// club's file; and what it holds read of the old file would be written into the new one.
//
// The locks are taken on descriptors of their own (open file description locks), kept open while
// held: closing any descriptor of a file drops every lock the engine's connections of this process
// hold on it, so a descriptor is closed only where no connection of this process has the file.
class FileHold {
public:
    // Holds the file at path for this process (once; a later call only looks at the path). While
    // another program's whole-file step has the file, waits at most WaitMs for it to end, then
    // DbException 3051 (in use). True when the file at path is another file than the one this
    // process held there last: something else put it in place after this process let it go.
    // A path without a file holds nothing; the open that follows tells what is missing.
    static bool share(const QString& path);
    // No connection of this process has the file it held at path any more (it could not be
    // opened, or it has left the path): the hold goes, unless a whole-file step of this process
    // has the file. Which file it was is remembered for share()'s answer.
    static void letGo(const QString& path);
    // This program made a new file at path: no one else put it there.
    static void created(const QString& path);
    // Whether a program of ours has the file at path open: this process holds it, or another
    // process holds it or has a whole-file step on it. A file this process does not hold is opened
    // for the look and closed again, which would drop the locks of any connection of this process
    // to it: asked only about a file no connection here can have open (one that is not a database
    // of ours).
    static bool heldByAny(const QString& path);

    // How long share() waits while another program's whole-file step runs; tests shorten it.
    static inline int WaitMs = 3000;
};

// A whole-file step's exclusive hold of the file at a path, taken without waiting. Nested holds of
// one file within this process count; the outermost one's end lets the file go: back to the shared
// hold when this process held the file before (of the file the step left at the path, when that is
// another one), else altogether. Any
// connection of this process that the step opened on the file must be closed before then.
class SoleUse {
public:
    SoleUse() = default;
    ~SoleUse();
    SoleUse(SoleUse&& other) noexcept;
    SoleUse& operator=(SoleUse&& other) noexcept;
    SoleUse(const SoleUse&) = delete;
    SoleUse& operator=(const SoleUse&) = delete;

    // Refused with DbException 70 while another program of ours has the file open (its text says
    // so in plain words); the open's error when the file cannot be opened for writing. A path with
    // no file gives a hold of nothing.
    static SoleUse take(const QString& path);
    // The step put a compaction of the file at the path: the same rows under the same keys. The
    // windows of this process go on with it; any other file put in place is told to them as a
    // replaced file when they next read.
    void keepsItsRows();
    void release();

    // The text of a refusal: the file is open in another window of the program.
    static QString heldElsewhereText();

private:
    QString m_path;
    quint64 m_device = 0;
    quint64 m_inode = 0;
};

} // namespace tikkeli
