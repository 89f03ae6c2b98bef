#include "db/FileHold.h"

#include "db/ClubChanges.h"
#include "db/DbError.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QStringList>
#include <QThread>

#include <QDeadlineTimer>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tikkeli {

namespace {

// The engine locks one byte at 1 GiB and the 511 bytes after it; this is the first one past them,
// on the page it keeps free of data for its locks.
constexpr off_t HoldByte = 0x40000000 + 512;
constexpr int RetryMs = 20;

struct FileKey {
    quint64 device = 0;
    quint64 inode = 0;
    auto operator<=>(const FileKey&) const = default;
};

std::optional<FileKey> keyAt(const QString& path)
{
    struct stat s {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &s) != 0)
        return std::nullopt;
    return FileKey{quint64(s.st_dev), quint64(s.st_ino)};
}

std::optional<FileKey> keyOf(int fd)
{
    struct stat s {};
    if (::fstat(fd, &s) != 0)
        return std::nullopt;
    return FileKey{quint64(s.st_dev), quint64(s.st_ino)};
}

// F_RDLCK, F_WRLCK or F_UNLCK on the hold byte; the errno of a refusal, 0 when taken.
int lockByte(int fd, short type)
{
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = HoldByte;
    fl.l_len = 1;
    return ::fcntl(fd, F_OFD_SETLK, &fl) == 0 ? 0 : errno;
}

// Another holder's lock is in the way; anything else means the file system keeps no such locks,
// where there is nothing to hold (its programs cannot tell each other apart).
bool heldByAnother(int error)
{
    return error == EAGAIN || error == EACCES;
}

struct Held {
    int fd = -1;
    int soleDepth = 0;        // whole-file steps of this process under way on the file
    bool sharedFirst = false; // held shared before the first step began
    bool keepsRows = false;   // a step put a compaction of the file at its path
};

// Leaked on purpose: connections that outlive main (a static one) may still ask it, and the
// descriptors go with the process.
struct Holds {
    std::mutex mutex;
    std::map<FileKey, Held> files;
    QHash<QString, FileKey> lastAt; // the file held at a path, by the path this process asked with

    void drop(std::map<FileKey, Held>::iterator it)
    {
        ::close(it->second.fd);
        files.erase(it);
    }
};

Holds& holds()
{
    static Holds* h = new Holds;
    return *h;
}

int openForHold(const QString& path, bool writable)
{
    const QByteArray name = QFile::encodeName(path);
    int fd = ::open(name.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0 && !writable && (errno == EACCES || errno == EROFS || errno == EPERM))
        fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    return fd;
}

// The shared hold of the file at path, when it is still the file key names; the errno of a
// refusal, 0 when held (EBADF also when the file could not be opened or is another one by now).
int holdShared(Holds& h, const QString& path, const FileKey& key)
{
    const int fd = openForHold(path, false);
    if (fd < 0)
        return EBADF;
    const int error = lockByte(fd, F_RDLCK);
    if (error == 0 && keyOf(fd) == key && keyAt(path) == key) {
        h.files[key] = Held{fd, 0, false, false};
        return 0;
    }
    ::close(fd);
    return error != 0 ? error : EBADF;
}

} // namespace

bool FileHold::share(const QString& path)
{
    Holds& h = holds();
    std::unique_lock lock(h.mutex);
    const QDeadlineTimer deadline(WaitMs);
    for (;;) {
        const std::optional<FileKey> key = keyAt(path);
        if (!key)
            return false;
        const auto last = h.lastAt.constFind(path);
        const bool another = last != h.lastAt.constEnd() && *last != *key;
        if (h.files.count(*key)) {
            h.lastAt.insert(path, *key);
            return another;
        }
        // The lock may have been given after a whole-file step put another file at the path.
        const int error = holdShared(h, path, *key);
        if (error == 0) {
            h.lastAt.insert(path, *key);
            return another;
        }
        if (!heldByAnother(error))
            return another;
        if (deadline.hasExpired())
            throw DbException(DbErr::InUseOrReadOnly,
                              QStringLiteral("Tietokantaa '%1' ei voi nyt avata: toinen Tikkeli-ikkuna varmuuskopioi, "
                                             "palauttaa tai korjaa sitä. Yritä hetken kuluttua uudestaan.")
                                  .arg(QDir::toNativeSeparators(path)));
        lock.unlock();
        QThread::msleep(RetryMs);
        lock.lock();
    }
}

void FileHold::letGo(const QString& path)
{
    Holds& h = holds();
    std::lock_guard lock(h.mutex);
    const auto last = h.lastAt.constFind(path);
    if (last == h.lastAt.constEnd())
        return;
    if (const auto it = h.files.find(*last); it != h.files.end() && it->second.soleDepth == 0)
        h.drop(it);
}

void FileHold::created(const QString& path)
{
    Holds& h = holds();
    std::lock_guard lock(h.mutex);
    h.lastAt.remove(path);
}

bool FileHold::heldByAny(const QString& path)
{
    Holds& h = holds();
    std::lock_guard lock(h.mutex);
    const std::optional<FileKey> key = keyAt(path);
    if (!key)
        return false;
    if (h.files.count(*key))
        return true;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    // Asked as a whole-file step would take the byte: any holder, shared or sole, is in its way.
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = HoldByte;
    fl.l_len = 1;
    const bool held = ::fcntl(fd, F_OFD_GETLK, &fl) == 0 && fl.l_type != F_UNLCK;
    ::close(fd);
    return held;
}

QString SoleUse::heldElsewhereText()
{
    return QStringLiteral("Tietokanta on auki toisessa Tikkeli-ikkunassa. Sulje se ensin ja yritä sitten uudestaan.");
}

SoleUse SoleUse::take(const QString& path)
{
    Holds& h = holds();
    std::unique_lock lock(h.mutex);
    const DbException elsewhere(FileErr::PermissionDenied, heldElsewhereText());
    const auto taken = [&](const FileKey& key) {
        SoleUse use;
        use.m_path = path;
        use.m_device = key.device;
        use.m_inode = key.inode;
        return use;
    };
    // A few turns at most: each is lost only to another file put at the path meanwhile.
    for (int turn = 0; turn < 10; ++turn) {
        const std::optional<FileKey> key = keyAt(path);
        if (!key)
            return SoleUse();
        if (const auto it = h.files.find(*key); it != h.files.end()) {
            Held& held = it->second;
            if (held.soleDepth == 0) {
                const int error = lockByte(held.fd, F_WRLCK);
                if (heldByAnother(error))
                    throw elsewhere;
                // Held for reading only: the file cannot be written here, nor replaced by the step.
                if (error == EBADF)
                    throw DbException(
                        FileErr::PermissionDenied,
                        QStringLiteral("Tiedostoon '%1' ei voi kirjoittaa.").arg(QDir::toNativeSeparators(path)));
                held.sharedFirst = true;
                held.keepsRows = false;
            }
            ++held.soleDepth;
            return taken(*key);
        }
        const int fd = openForHold(path, true);
        if (fd < 0) {
            const int error = errno;
            throw DbException(FileErr::PermissionDenied,
                              QStringLiteral("Tiedostoa '%1' ei voi avata kirjoittamista varten: %2")
                                  .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(::strerror(error))));
        }
        const int error = lockByte(fd, F_WRLCK);
        if (heldByAnother(error)) {
            ::close(fd);
            throw elsewhere;
        }
        if (keyOf(fd) == key && keyAt(path) == key) {
            h.files[*key] = Held{fd, 1, false, false};
            return taken(*key);
        }
        ::close(fd);
    }
    throw elsewhere;
}

SoleUse::~SoleUse()
{
    release();
}

SoleUse::SoleUse(SoleUse&& other) noexcept
    : m_path(std::exchange(other.m_path, {})), m_device(other.m_device), m_inode(other.m_inode)
{
}

SoleUse& SoleUse::operator=(SoleUse&& other) noexcept
{
    if (this != &other) {
        release();
        m_path = std::exchange(other.m_path, {});
        m_device = other.m_device;
        m_inode = other.m_inode;
    }
    return *this;
}

void SoleUse::keepsItsRows()
{
    if (m_path.isEmpty())
        return;
    Holds& h = holds();
    std::lock_guard lock(h.mutex);
    if (const auto it = h.files.find(FileKey{m_device, m_inode}); it != h.files.end())
        it->second.keepsRows = true;
}

void SoleUse::release()
{
    if (m_path.isEmpty())
        return;
    const QString path = std::exchange(m_path, {});
    QStringList toTell;
    {
        Holds& h = holds();
        std::lock_guard lock(h.mutex);
        const FileKey key{m_device, m_inode};
        const auto it = h.files.find(key);
        if (it == h.files.end() || --it->second.soleDepth > 0)
            return;
        const std::optional<FileKey> now = keyAt(path);
        if (now == key && it->second.sharedFirst) {
            lockByte(it->second.fd, F_RDLCK);
            return;
        }
        // The paths this process reached the file by now lead to the step's file: a compaction
        // holds the same rows, any other file is told to the windows that read the old one.
        const bool heldBefore = it->second.sharedFirst;
        if (now && now != key) {
            for (auto at = h.lastAt.begin(); at != h.lastAt.end(); ++at) {
                if (*at != key)
                    continue;
                *at = *now;
                if (!it->second.keepsRows)
                    toTell << at.key();
            }
        }
        h.drop(it);
        // A program that had the file goes on with the step's file, held before the step is over:
        // until its next statement another program's step could otherwise take it away.
        if (heldBefore && now && now != key && !h.files.count(*now))
            holdShared(h, path, *now);
    }
    for (const QString& told : std::as_const(toTell))
        ClubChanges::replacedHere(told);
}

} // namespace tikkeli
