#include "db/MaintenanceFileOps.h"

#include "db/DatabaseFiles.h"
#include "db/DbError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace tikkeli {

namespace {

MaintenanceFileOps g_real;
MaintenanceFileOps* g_current = nullptr;

DbException fileError(int err, const QString& path)
{
    switch (err) {
    case EEXIST:
        return DbException(DbErr::FileExists, QStringLiteral("Tiedosto on jo olemassa: ") + path);
    case ENOENT:
        return DbException(FileErr::NotFound, QStringLiteral("Tiedostoa ei löydy: ") + path);
    case EACCES:
    case EPERM:
    case EROFS:
        return DbException(FileErr::PermissionDenied, QStringLiteral("Ei käyttöoikeutta: ") + path);
    case ENOSPC:
        return DbException(FileErr::DiskFull, QStringLiteral("Levy on täynnä: ") + path);
    default:
        return DbException(FileErr::AccessError, QStringLiteral("Tiedoston käsittely ei onnistu: ") + path);
    }
}

void syncFolderOf(const QString& path)
{
    SyncFolder(QFileInfo(path).absolutePath());
}

// rename(2) replaces its target silently; renameat2 refuses when asked to. File systems that do
// not know the flag get a hard link and an unlink, which refuse an existing target as well.
int renameNoReplace(const QByteArray& from, const QByteArray& to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    if (::link(from.constData(), to.constData()) != 0)
        return errno;
    if (::unlink(from.constData()) != 0) {
        const int err = errno;
        ::unlink(to.constData());
        return err;
    }
    return 0;
}

} // namespace

MaintenanceFileOps& MaintenanceFileOps::instance()
{
    return g_current ? *g_current : g_real;
}

void MaintenanceFileOps::setInstance(MaintenanceFileOps* ops)
{
    g_current = ops;
}

void MaintenanceFileOps::backupDatabase(const QString& databasePath, const QString& targetPath)
{
    BackupDatabase(databasePath, targetPath);
}

void MaintenanceFileOps::compactDatabase(const QString& databasePath, const QString& targetPath)
{
    CompactDatabase(databasePath, targetPath);
}

RepairResult MaintenanceFileOps::repairDatabase(const QString& databasePath)
{
    return RepairDatabase(databasePath);
}

void MaintenanceFileOps::renameFile(const QString& from, const QString& to)
{
    if (const int err = renameNoReplace(QFile::encodeName(from), QFile::encodeName(to)))
        throw fileError(err, err == EEXIST ? to : from);
    syncFolderOf(to);
}

void MaintenanceFileOps::removeFile(const QString& path)
{
    if (::unlink(QFile::encodeName(path).constData()) != 0)
        throw fileError(errno, path);
    syncFolderOf(path);
}

void MaintenanceFileOps::copyFile(const QString& from, const QString& to, bool overwrite)
{
    if (!overwrite && QFileInfo::exists(to))
        throw fileError(EEXIST, to);
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        throw fileError(source.exists() ? EACCES : ENOENT, from);

    QTemporaryFile temp(QFileInfo(to).absolutePath() + QStringLiteral("/.tikkeli-XXXXXX"));
    if (!temp.open())
        throw fileError(QFileInfo(QFileInfo(to).absolutePath()).isDir() ? EACCES : ENOENT, to);
    char buffer[1 << 16];
    for (;;) {
        const qint64 n = source.read(buffer, sizeof buffer);
        if (n < 0)
            throw fileError(EIO, from);
        if (n == 0)
            break;
        if (temp.write(buffer, n) != n)
            throw fileError(ENOSPC, to);
    }
    if (!temp.flush() || !SyncFile(temp.fileName()))
        throw fileError(ENOSPC, to);
    temp.setPermissions(source.permissions() | QFileDevice::WriteOwner);

    const QByteArray tempName = QFile::encodeName(temp.fileName());
    const QByteArray target = QFile::encodeName(to);
    const int err = overwrite ? (::rename(tempName.constData(), target.constData()) == 0 ? 0 : errno)
                              : renameNoReplace(tempName, target);
    if (err)
        throw fileError(err, to);
    temp.setAutoRemove(false);
    syncFolderOf(to);
}

} // namespace tikkeli
