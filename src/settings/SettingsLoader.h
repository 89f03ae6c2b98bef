#pragma once

#include "base/SharedState.h"
#include "db/Database.h"

#include <QString>
#include <optional>
#include <vector>

namespace tikkeli {

class DatabaseSettingsStore;
class IniSettingsStore;

// One key of the database store's section "TIKKELI", in the order the load reads them, with the
// default the load gives to the read.
struct SettingKeyInfo {
    QString key;
    QString defaultValue;
};
const std::vector<SettingKeyInfo>& DatabaseSettingKeys();

// Ini store pointed at the program's ini file and section "TIKKELI".
IniSettingsStore ProgramIniStore();

// The user's copy of the sample database: documents folder/Tikkeli/demo1.mdb.
QString SampleDatabasePath();
// Copies the sample database from the program folder to SampleDatabasePath() when no copy is
// there yet (never over an existing file); true when the copy exists afterwards.
bool EnsureSampleDatabaseCopy();
// The folder plain backup copies go to by default: documents folder/Tikkeli/Varmuuskopiot/.
QString DefaultBackupFolder();

// DatabasePath = path, then the ini key Database = path; a store failure throws SettingsError.
void SaveDatabasePath(const QString& path);
// DatabasePath and BackupFolder from the ini file; empty ones get their defaults, written back.
// Always true.
bool ReadDatabasePaths();
// True when the one-time migration of the settings from the ini file into the database ran (the
// caller then ends the program). Opening the database may throw DbException.
bool EnsureSettingsInDatabase();
// Fills the shared state from the database store of db (section "TIKKELI"), read in one query;
// with withClubName the club's name (RegName) too.
void LoadSettings(Database& db, bool withClubName = false);
// Whether settings read from the club file readFrom (SharedState::SettingsFile) may be stored
// into file, whose settings store is store: they were read from it, or it holds no settings of its
// own yet (a new file, or one of an older version). Throws DbException when that cannot be read.
bool SettingsMayGoInto(DatabaseSettingsStore& store, const QString& file, const QString& readFrom);
// From now on, a club file that another program replaced under the program (a restore, told by
// ClubChanges::fileReplaced) has its settings read into shared state as LoadSettings reads them
// at start-up, club name and main caption included: no window may write the old file's club
// details, fees, counters or texts into the file now at the path. The first call sets it up; the
// calls after it do nothing.
void FollowReplacedSettings();
// The settings a club database holds (AsKannassa = "1"), read into a copy of shared state with
// DatabasePath = path and without writing anything anywhere; nullopt when the file cannot be
// opened or holds no settings yet.
std::optional<SharedState> StoredSettingsOf(const QString& path);
// The same from the ini file of older versions, after ReadDatabasePaths.
void LoadLegacySettings();
// Writes now to BackupDate in the database at DatabasePath; failures are ignored.
void SaveBackupDate();

QString DefaultInvoiceTemplatePath();
QString DefaultReminderTemplatePath();
// Stores the default template path in the database at DatabasePath (EmailPohja / EmailKarhupohja);
// the shared state is left to the caller. Throws on failure.
void ResetInvoiceTemplatePath();
void ResetReminderTemplatePath();

// Copies the settings of an older version's ini file into the database store: every key the ini
// file holds and the database lacks, then AsKannassa = "1"; all or nothing.
void MoveLegacySettings(Database& db);

} // namespace tikkeli
