#include "backup/BackupError.h"

#include "db/DbError.h"

#include <cerrno>
#include <cstring>

namespace tikkeli {

BackupError BackupError::fromErrno(int err)
{
    switch (err) {
    case ENOENT:
        return {FileErr::NotFound, QStringLiteral("Tiedostoa ei löydy")};
    case ENOTDIR:
        return {FileErr::PathNotFound, QStringLiteral("Polkua ei löydy")};
    case ENOSPC:
    case EDQUOT:
        return {FileErr::DiskFull, QStringLiteral("Levy on täynnä")};
    case EFBIG:
        return {FileErr::DiskFull, QStringLiteral("Tiedosto on liian suuri kohteen tiedostojärjestelmälle"), true};
    case EACCES:
    case EPERM:
    case EROFS:
    case EBUSY:
    case ETXTBSY:
        return {FileErr::PermissionDenied, QStringLiteral("Käyttöoikeus evätty")};
    case EIO:
        return {FileErr::IoError, QStringLiteral("Laitteen I/O-virhe")};
    default:
        return {FileErr::AccessError, QStringLiteral("Polun tai tiedoston käyttövirhe (%1)").arg(QString::fromLocal8Bit(strerror(err)))};
    }
}

BackupError BackupError::fromDb(const DbException& e)
{
    return {e.number(), e.description()};
}

BackupError BackupError::tooLargeForStick()
{
    return {FileErr::DiskFull, QStringLiteral("Tiedosto on liian suuri muistitikun tiedostojärjestelmälle"), true};
}

} // namespace tikkeli
