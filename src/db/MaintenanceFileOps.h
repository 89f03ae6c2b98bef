#pragma once

#include "db/DatabaseFiles.h"

#include <QString>

namespace tikkeli {

// The file-level steps of the maintenance commands (database copy, compaction, repair, renames,
// plain file copies). Every step throws a DbException on failure, carrying the number the
// messages show (58 when a target file already exists). Tests install a subclass that fails
// chosen steps, so every failure path can be exercised without a broken disk.
class MaintenanceFileOps {
public:
    virtual ~MaintenanceFileOps() = default;

    // A consistent copy of a database file, also while connections hold it open, written
    // through a temporary file; an existing target is replaced only when the copy is complete.
    virtual void backupDatabase(const QString& databasePath, const QString& targetPath);
    // Compacts a database into a new file (VACUUM INTO); the target must not exist.
    virtual void compactDatabase(const QString& databasePath, const QString& targetPath);
    // Repairs a database in place; the original stays until the repaired copy is verified.
    virtual RepairResult repairDatabase(const QString& databasePath);
    // Renames without ever replacing: an existing target fails with 58.
    virtual void renameFile(const QString& from, const QString& to);
    virtual void removeFile(const QString& path);
    // Copies a file through a temporary file beside the target. Without overwrite an existing
    // target fails with 58 and is left as it was.
    virtual void copyFile(const QString& from, const QString& to, bool overwrite);

    static MaintenanceFileOps& instance();
    // Installs ops (not owned); nullptr restores the real file system.
    static void setInstance(MaintenanceFileOps* ops);
};

} // namespace tikkeli
