#include "base/SafeFileDevice.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tikkeli {

SafeFileDevice::SafeFileDevice(QString target, QString tag, FileSafety::TargetCheck mayReplace)
    : m_target(std::move(target)), m_tag(std::move(tag)), m_mayReplace(std::move(mayReplace))
{
}

SafeFileDevice::~SafeFileDevice()
{
    discard();
}

void SafeFileDevice::discard()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temp.isEmpty())
        ::unlink(QFile::encodeName(m_temp).constData());
    m_temp.clear();
    if (isOpen())
        close();
}

std::optional<FileError> SafeFileDevice::begin()
{
    std::optional<FileError> error;
    if (m_mayReplace && (error = m_mayReplace(m_target)))
        return error;
    FileSafety::instance().removeLeftovers(m_target, {m_tag});
    m_temp = FileSafety::instance().reserveTemp(m_target, error, m_tag);
    if (m_temp.isEmpty())
        return error;
    m_fd = ::open(QFile::encodeName(m_temp).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    const int e = m_fd < 0 ? errno : FileSafety::instance().check(FileStep::Write, m_temp);
    if (e != 0) {
        discard();
        return FileError::fromErrno(e);
    }
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    return std::nullopt;
}

qint64 SafeFileDevice::writeData(const char* data, qint64 size)
{
    if (m_error != 0 || m_fd < 0)
        return -1;
    // The PDF writer hands over dozens of small pieces a page: they go to the disk in large
    // writes, not in a system call each.
    constexpr qsizetype Chunk = 64 * 1024;
    m_buffer.append(data, qsizetype(size));
    if (m_buffer.size() >= Chunk && !flushBuffer())
        return -1;
    return size;
}

bool SafeFileDevice::flushBuffer()
{
    const char* data = m_buffer.constData();
    qint64 left = m_buffer.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            m_error = errno;
            m_buffer.clear();
            return false;
        }
        data += n;
        left -= n;
    }
    m_buffer.resize(0); // the room stays for the next pieces
    return true;
}

std::optional<FileError> SafeFileDevice::commit()
{
    if (m_fd < 0) {
        discard();
        return FileError::fromErrno(m_error ? m_error : EBADF);
    }
    if (m_error == 0)
        flushBuffer();
    int e = m_error;
    // A late write error (a full disk on a network or memory file system) shows at the close.
    if (::close(m_fd) != 0 && e == 0)
        e = errno;
    m_fd = -1;
    if (e != 0) {
        discard();
        return FileError::fromErrno(e);
    }
    // A replaced file keeps its permissions.
    struct stat st {};
    const QByteArray temp = QFile::encodeName(m_temp);
    if (::stat(QFile::encodeName(m_target).constData(), &st) == 0)
        ::chmod(temp.constData(), st.st_mode & 07777);
    else
        ::chmod(temp.constData(), 0644);
    const auto error = FileSafety::instance().publish(m_temp, m_target, FileSafety::Existing::Replace, m_mayReplace);
    m_temp.clear(); // published, or removed by publish on failure
    close();
    return error;
}

} // namespace tikkeli
