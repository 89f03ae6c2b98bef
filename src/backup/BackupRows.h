#pragma once

#include <QString>
#include <QStringList>

namespace tikkeli {

class Database;

// The tables that carry a BackupRow field and receive a marker row around every compaction,
// in the order the markers are added and removed.
const QStringList& BackupRowTables();

// Adds one marker row (BackupRow = True, every other field empty) to each of BackupRowTables().
// A marker added just before a compaction takes the next key, so the compacted file cannot hand
// out again a key that some deleted row once had. All markers go in one transaction: a failure
// throws the DbException and leaves no marker behind.
void AddBackupRows();                       // on State().DatabasePath
void AddBackupRows(const QString& databasePath);
void AddBackupRows(Database& db);

// Removes every marker row from the same tables, in the same order, in one transaction.
// Throws the DbException of the first failing table; then nothing is removed.
void DeleteBackupRows();                    // on State().DatabasePath
void DeleteBackupRows(const QString& databasePath);
void DeleteBackupRows(Database& db);

} // namespace tikkeli
