#pragma once

#include <QString>
#include <QStringList>

namespace tikkeli {

class Database;

// The tables that carry a BackupRow field. Older versions added one marker row (BackupRow = True,
// every other field empty) to each of them around every compaction and could leave them behind
// when stopped; such rows show as blank rows in every list. The compaction itself no longer needs
// them: the AUTOINCREMENT counters travel with a compacted copy.
const QStringList& BackupRowTables();

// Removes every marker row from BackupRowTables() in one transaction; a table the file does not
// have holds none and is skipped. Throws the DbException of the first failing table; then nothing
// is removed. Returns the number of rows removed.
long long DeleteBackupRows(); // on State().DatabasePath
long long DeleteBackupRows(const QString& databasePath);
long long DeleteBackupRows(Database& db);

} // namespace tikkeli
