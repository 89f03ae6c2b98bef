#include "backup/DatabaseCopy.h"

#include "db/DatabaseFiles.h"

namespace tikkeli {

std::optional<BackupError> DatabaseCopy::copy(const QString& databasePath, const QString& target)
{
    try {
        BackupDatabase(databasePath, target);
        return std::nullopt;
    } catch (const DbException& e) {
        return BackupErrorFromDb(e);
    }
}

} // namespace tikkeli
