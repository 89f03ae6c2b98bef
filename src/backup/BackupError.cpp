#include "backup/BackupError.h"

#include "db/DbError.h"

namespace tikkeli {

BackupError BackupErrorFromDb(const DbException& e)
{
    return {e.number(), e.description()};
}

BackupError TooLargeForStick()
{
    return {FileErr::DiskFull, QStringLiteral("Tiedosto on liian suuri muistitikun tiedostojärjestelmälle"), true};
}

} // namespace tikkeli
