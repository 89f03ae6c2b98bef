#pragma once

#include <QString>

namespace tikkeli {

// Backup of the club database into the configured backup folder, followed by a compaction
// of the database in place; and the restore of such a copy into the documents folder.
class FolderBackup {
public:
    // Menu command "Tietokannan varmuuskopio" (mVarmistus): on State().DatabasePath and
    // State().BackupFolder, through the prompter.
    static void backup();
    // Menu command "Tietokannan palautus" (mPalautus).
    static void restore();

    // The copy in the backup folder: the folder joined with the database's file name.
    static QString backupCopyPath(const QString& backupFolder, const QString& databasePath);
    // The compacted copy (".md2") and the previous database (".md3") beside the database: its
    // path with the last character replaced.
    static QString compactedPath(const QString& databasePath);
    static QString previousPath(const QString& databasePath);
    // Folder the restore proposes: the documents folder's "Tikkeli".
    static QString restoreFolder();
    // True when both name the same existing file, through links of either kind.
    static bool isSameFile(const QString& a, const QString& b);
};

} // namespace tikkeli
