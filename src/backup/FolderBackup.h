#pragma once

#include <QString>

#include <functional>

namespace tikkeli {

// Backup of the club database into the configured backup folder, followed by a compaction
// of the database in place; and the restore of such a copy into the documents folder.
class FolderBackup {
public:
    // Menu command "Tietokannan varmuuskopio" (mVarmistus): on State().DatabasePath and
    // State().BackupFolder, through the prompter.
    static void backup();
    // Menu command "Tietokannan palautus" (mPalautus). A restored database taken into use, or one
    // put back over the database in use, ends the program after every window has closed through
    // its own close path, so it never runs on two databases.
    static void restore();

    // Installed by the windows layer: closes every window but the main window (false when one
    // refuses), and ends the program. Empty: nothing to close / the application quits.
    static inline std::function<bool()> CloseWindows;
    static inline std::function<void()> EndProgram;

    // The copy in the backup folder: the folder joined with the database's file name.
    static QString backupCopyPath(const QString& backupFolder, const QString& databasePath);
    // The compacted copy (".md2") and the previous database (".md3") beside the database: the
    // path of the file behind it (through any links) with the last character replaced. "" when
    // that would not be a name of the database's own: the file's name does not end in ".mdb", or
    // a link on the way to it has the name. Every step that names files beside the database
    // takes them from here.
    static QString compactedPath(const QString& databasePath);
    static QString previousPath(const QString& databasePath);
    // Folder the restore proposes: the documents folder's "Tikkeli".
    static QString restoreFolder();
    // Removes the temporary files that stopped runs of the compaction, the repair and the copy into
    // the backup folder left beside the database and in the backup folder; nothing else.
    static void removeLeftovers(const QString& databasePath, const QString& backupFolder);
    // True when both name the same existing file, through links of either kind.
    static bool isSameFile(const QString& a, const QString& b);
};

} // namespace tikkeli
