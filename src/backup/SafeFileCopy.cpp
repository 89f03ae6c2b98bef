#include "backup/SafeFileCopy.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace tikkeli {

namespace {

int injected(const char* step, const QString& path)
{
    return SafeFileCopy::faultHook ? SafeFileCopy::faultHook(QString::fromLatin1(step), path) : 0;
}

class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int get() const { return m_fd; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

} // namespace

void SafeFileCopy::syncFolder(const QString& folder)
{
    Fd dir(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
}

std::optional<BackupError> SafeFileCopy::copy(const QString& source, const QString& target)
{
    if (int e = injected("read", source))
        return BackupError::fromErrno(e);
    Fd in(::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0)
        return BackupError::fromErrno(errno);

    const QFileInfo targetInfo(target);
    QByteArray tempName = QFile::encodeName(targetInfo.absolutePath() + QStringLiteral("/.")
                                            + targetInfo.fileName() + QStringLiteral(".XXXXXX"));
    if (int e = injected("write", target))
        return BackupError::fromErrno(e);
    Fd out(::mkostemp(tempName.data(), O_CLOEXEC));
    if (out.get() < 0)
        return BackupError::fromErrno(errno);

    auto fail = [&](int err) {
        ::close(out.release());
        ::unlink(tempName.constData());
        return BackupError::fromErrno(err);
    };
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const ssize_t n = ::read(in.get(), buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        if (n == 0)
            break;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out.get(), buffer.data() + done, static_cast<size_t>(n - done));
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                return fail(errno);
            }
            done += w;
        }
    }
    if (int e = injected("sync", target))
        return fail(e);
    if (::fsync(out.get()) != 0)
        return fail(errno);
    if (::close(out.release()) != 0) {
        const int err = errno;
        ::unlink(tempName.constData());
        return BackupError::fromErrno(err);
    }
    int e = injected("rename", target);
    if (e == 0 && ::rename(tempName.constData(), QFile::encodeName(target).constData()) != 0)
        e = errno;
    if (e != 0) {
        ::unlink(tempName.constData());
        return BackupError::fromErrno(e);
    }
    syncFolder(targetInfo.absolutePath());
    return std::nullopt;
}

} // namespace tikkeli
