#include "backup/SafeFileCopy.h"

#include "backup/FileFaults.h"
#include "db/DatabaseFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace tikkeli {

namespace {

class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    // Closes now and tells whether the close succeeded (it may report a late write error).
    int close()
    {
        const int rc = ::close(m_fd);
        m_fd = -1;
        return rc;
    }

private:
    int m_fd;
};

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

} // namespace

std::optional<BackupError> SafeFileCopy::makeFolder(const QString& folder)
{
    if (int e = FileFaults::at("mkdir", folder))
        return BackupError::fromErrno(e);
    if (QFileInfo(folder).isDir())
        return std::nullopt;
    if (!QDir().mkpath(folder))
        return BackupError::fromErrno(QFileInfo::exists(folder) ? EEXIST : EACCES);
    return std::nullopt;
}

QString SafeFileCopy::reserveTemp(const QString& target, std::optional<BackupError>& error)
{
    error.reset();
    if (int e = FileFaults::at("write", target)) {
        error = BackupError::fromErrno(e);
        return {};
    }
    const QFileInfo info(target);
    QByteArray name = native(info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".XXXXXX"));
    Fd fd(::mkostemp(name.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        error = BackupError::fromErrno(errno);
        return {};
    }
    return QFile::decodeName(name);
}

std::optional<BackupError> SafeFileCopy::publish(const QString& temp, const QString& target)
{
    auto fail = [&](int err) {
        ::unlink(native(temp).constData());
        return BackupError::fromErrno(err);
    };
    {
        Fd fd(::open(native(temp).constData(), O_RDWR | O_CLOEXEC));
        if (fd.get() < 0)
            return fail(errno);
        if (int e = FileFaults::at("sync", target))
            return fail(e);
        if (::fsync(fd.get()) != 0 || fd.close() != 0)
            return fail(errno);
    }
    int e = FileFaults::at("rename", target);
    if (e == 0 && ::rename(native(temp).constData(), native(target).constData()) != 0)
        e = errno;
    if (e != 0)
        return fail(e);
    SyncFolder(QFileInfo(target).absolutePath());
    return std::nullopt;
}

} // namespace tikkeli
