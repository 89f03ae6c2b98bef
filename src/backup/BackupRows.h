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

// Looking for markers reads every row of those tables, which grows with the club. Only a program
// that writes markers can leave them, and nothing writes to a file without moving its
// modification and change times, so a file found just as this program left it at its last clean
// close (the same file, size and times to the nanosecond, remembered in the program's ini file)
// holds none, and the start-up skips the look. Any other file, or one whose times cannot be read,
// is looked at.
bool UntouchedSinceCleanClose(const QString& databasePath);
// Remembers the file as it is now; the main window calls it when the program closes.
void RememberCleanClose(const QString& databasePath);

} // namespace tikkeli
