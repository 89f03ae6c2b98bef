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

// Looking for markers reads every row of those tables, which grows with the club, so the start-up
// looks only when some program may have written to the file since this one last closed it. At a
// clean close the program looks once more (removing any marker found) and remembers the file as
// that look found it, in the program's ini file: its identity, size, modification and change
// times and the change counter every commit steps in its header. Nothing writes to the file
// without moving those, so a file found just as remembered holds no markers. Any other file, or
// one that cannot be read, is looked at.
bool UntouchedSinceCleanClose(const QString& databasePath);
// The look at a clean close, and the file remembered; the main window calls it when the program
// closes. A failure (the file locked, say) throws DbException and remembers nothing new.
void RememberCleanClose(const QString& databasePath);

} // namespace tikkeli
