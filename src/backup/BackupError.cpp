#include "backup/BackupError.h"

#include "db/DbError.h"

#include <cerrno>
#include <cstring>

namespace tikkeli {

BackupError BackupError::fromErrno(int err)
{
    switch (err) {
    case ENOENT:
        return {53, QStringLiteral("Tiedostoa ei löydy")};
    case ENOTDIR:
        return {76, QStringLiteral("Polkua ei löydy")};
    case ENOSPC:
    case EDQUOT:
        return {61, QStringLiteral("Levy on täynnä")};
    case EFBIG:
        return {61, QStringLiteral("Tiedosto on liian suuri kohteen tiedostojärjestelmälle"), true};
    case EACCES:
    case EPERM:
    case EROFS:
    case EBUSY:
    case ETXTBSY:
        return {70, QStringLiteral("Käyttöoikeus evätty")};
    case EIO:
        return {57, QStringLiteral("Laitteen I/O-virhe")};
    default:
        return {75, QStringLiteral("Polun tai tiedoston käyttövirhe (%1)").arg(QString::fromLocal8Bit(strerror(err)))};
    }
}

BackupError BackupError::fromDb(const DbException& e)
{
    return {e.number(), e.description()};
}

BackupError BackupError::tooLargeForStick()
{
    return {61, QStringLiteral("Tiedosto on liian suuri muistitikun tiedostojärjestelmälle"), true};
}

} // namespace tikkeli
