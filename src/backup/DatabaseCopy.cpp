#include "backup/DatabaseCopy.h"

#include "backup/SafeFileCopy.h"
#include "db/Database.h"

#include <QFile>

#include <cerrno>

#include <sqlite3.h>

namespace tikkeli {

namespace {

BackupError sqliteError(sqlite3* db, int rc)
{
    if (const int err = db ? sqlite3_system_errno(db) : 0)
        return BackupError::fromErrno(err);
    if (rc == SQLITE_FULL)
        return BackupError::fromErrno(ENOSPC);
    return {DbErr::Generic, QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc))};
}

} // namespace

std::optional<BackupError> DatabaseCopy::copy(const QString& databasePath, const QString& target)
{
    try {
        Database source = Database::open(databasePath);
        if (source.inTransaction())
            return BackupError{DbErr::TransactionOpen, QStringLiteral("Tietokannassa on kesken oleva muutos")};
        std::optional<BackupError> error;
        const QString temp = SafeFileCopy::reserveTemp(target, error);
        if (temp.isEmpty())
            return error;

        sqlite3* dest = nullptr;
        int rc = sqlite3_open_v2(QFile::encodeName(temp).constData(), &dest, SQLITE_OPEN_READWRITE, nullptr);
        if (rc == SQLITE_OK) {
            sqlite3_backup* backup = sqlite3_backup_init(dest, "main", source.handle(), "main");
            if (backup) {
                rc = sqlite3_backup_step(backup, -1);
                sqlite3_backup_finish(backup);
                if (rc == SQLITE_DONE)
                    rc = SQLITE_OK;
            } else {
                rc = sqlite3_errcode(dest);
            }
        }
        if (rc != SQLITE_OK) {
            error = sqliteError(dest, rc);
            sqlite3_close(dest);
            QFile::remove(temp);
            QFile::remove(temp + QStringLiteral("-journal"));
            return error;
        }
        sqlite3_close(dest);
        return SafeFileCopy::publish(temp, target);
    } catch (const DbException& e) {
        return BackupError::fromDb(e);
    }
}

} // namespace tikkeli
