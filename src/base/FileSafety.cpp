#include "base/FileSafety.h"

#include <QFile>
#include <QFileInfo>
#include <QDir>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>
#include <signal.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tikkeli {

namespace {

FileSafety g_real;
FileSafety* g_current = nullptr;

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

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
    // Closes now; a late write error shows here.
    int close()
    {
        const int rc = ::close(m_fd);
        m_fd = -1;
        return rc;
    }

private:
    int m_fd;
};

// The absolute form of path, taken as it is: "x/../y" is left for the system, as cleaning it as
// text would skip x when x is a link.
QString absoluteAsIs(const QString& path)
{
    return path.startsWith(u'/') ? path : QDir::currentPath() + u'/' + path;
}

// The folder part and the last name of an absolute path, trailing slashes dropped.
std::pair<QString, QString> splitLast(QString path)
{
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    const qsizetype slash = path.lastIndexOf(u'/');
    return {slash <= 0 ? QStringLiteral("/") : path.left(slash), path.mid(slash + 1)};
}

QString joined(const QString& folder, const QString& name)
{
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

QString folderOf(const QString& path)
{
    return splitLast(absoluteAsIs(path)).first;
}

// The real path of an existing file or folder; "" when the system finds none.
QString realPath(const QString& path)
{
    char* real = ::realpath(native(path).constData(), nullptr);
    if (!real)
        return {};
    const QString found = QFile::decodeName(real);
    ::free(real);
    return found;
}

// An absolute folder as the system finds it; one that does not exist (no file can be in it) is
// the real part of it with the rest of the names, so that it still shows where it would be.
QString realFolder(const QString& folder)
{
    if (const QString real = realPath(folder); !real.isEmpty())
        return real;
    const auto [parent, name] = splitLast(folder);
    if (name.isEmpty())
        return QStringLiteral("/");
    const QString above = realFolder(parent);
    if (name == QStringLiteral("."))
        return above;
    if (name == QStringLiteral(".."))
        return splitLast(above).first;
    return joined(above, name);
}

// What the symbolic link at path points to, as written in it; nullopt when path is no link.
std::optional<QString> linkTarget(const QString& path)
{
    const QByteArray at = native(path);
    struct stat st {};
    if (::lstat(at.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
        return std::nullopt;
    QByteArray target(qsizetype(std::max<off_t>(st.st_size, 255) + 1), Qt::Uninitialized);
    for (;;) {
        const ssize_t n = ::readlink(at.constData(), target.data(), size_t(target.size()));
        if (n < 0)
            return std::nullopt;
        // A link rewritten meanwhile with a longer target is read again.
        if (n < target.size())
            return QFile::decodeName(target.left(n));
        target.resize(target.size() * 2);
    }
}

int writeAll(int fd, const char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += n;
        size -= n;
    }
    return 0;
}

} // namespace

FileError FileError::fromErrno(int err)
{
    switch (err) {
    case ENOENT: return {FileErr::NotFound, QStringLiteral("Tiedostoa ei löydy")};
    case EEXIST: return {DbErr::FileExists, QStringLiteral("Tiedosto on jo olemassa")};
    case ENOTDIR: return {FileErr::PathNotFound, QStringLiteral("Polkua ei löydy")};
    case ENOSPC:
    case EDQUOT: return {FileErr::DiskFull, QStringLiteral("Levy on täynnä")};
    case EFBIG: return {FileErr::DiskFull, QStringLiteral("Tiedosto on liian suuri kohteen tiedostojärjestelmälle"), true};
    case EACCES:
    case EPERM:
    case EROFS:
    case EBUSY:
    case ETXTBSY: return {FileErr::PermissionDenied, QStringLiteral("Käyttöoikeus evätty")};
    case EIO: return {FileErr::IoError, QStringLiteral("Laitteen I/O-virhe")};
    default:
        return {FileErr::AccessError,
                QStringLiteral("Polun tai tiedoston käyttövirhe (%1)").arg(QString::fromLocal8Bit(strerror(err)))};
    }
}

QString FileStepName(FileStep step)
{
    switch (step) {
    case FileStep::Create: return QStringLiteral("create");
    case FileStep::Write: return QStringLiteral("write");
    case FileStep::Sync: return QStringLiteral("sync");
    case FileStep::Verify: return QStringLiteral("verify");
    case FileStep::Rename: return QStringLiteral("rename");
    case FileStep::Link: return QStringLiteral("link");
    case FileStep::Remove: return QStringLiteral("remove");
    case FileStep::MakeFolder: return QStringLiteral("mkdir");
    case FileStep::SyncFolder: return QStringLiteral("syncfolder");
    case FileStep::Read: return QStringLiteral("read");
    }
    return {};
}

int FileSafety::check(FileStep, const QString&)
{
    return 0;
}

FileSafety& FileSafety::instance()
{
    return g_current ? *g_current : g_real;
}

void FileSafety::setInstance(FileSafety* safety)
{
    g_current = safety;
}

QString FileSafety::realLocation(const QString& path)
{
    if (path.isEmpty())
        return {};
    const QString absolute = absoluteAsIs(path);
    const auto [folder, name] = splitLast(absolute);
    if (name.isEmpty() || name == QStringLiteral(".") || name == QStringLiteral(".."))
        return realFolder(absolute);
    return joined(realFolder(folder), name);
}

QStringList FileSafety::linkChain(const QString& path)
{
    QStringList chain{realLocation(path)};
    // As many links as the system itself follows; past them (a loop) the last one stays. A
    // relative target starts from the folder the link really lies in, which the system reaches
    // through any link on the way to it: "../data" of a link in a linked folder is beside the
    // folder the link leads to, not beside the link's name.
    for (int hop = 0; hop < 40; ++hop) {
        const std::optional<QString> target = linkTarget(chain.last());
        if (!target || target->isEmpty())
            break;
        chain << realLocation(target->startsWith(u'/') ? *target : joined(folderOf(chain.last()), *target));
    }
    return chain;
}

QString FileSafety::fileBehind(const QString& path)
{
    return linkChain(path).last();
}

std::optional<FileError> FileSafety::makeFolder(const QString& folder)
{
    if (QFileInfo(folder).isDir())
        return std::nullopt;
    if (const int e = check(FileStep::MakeFolder, folder))
        return FileError::fromErrno(e);
    if (!QDir().mkpath(folder))
        return FileError::fromErrno(QFileInfo::exists(folder) ? EEXIST : EACCES);
    return std::nullopt;
}

std::optional<FileError> FileSafety::syncFile(const QString& path)
{
    if (const int e = check(FileStep::Sync, path))
        return FileError::fromErrno(e);
    Fd fd(::open(native(path).constData(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return FileError::fromErrno(errno);
    if (::fsync(fd.get()) != 0)
        return FileError::fromErrno(errno);
    return std::nullopt;
}

std::optional<FileError> FileSafety::syncFolder(const QString& folder)
{
    if (const int e = check(FileStep::SyncFolder, folder))
        return FileError::fromErrno(e);
    Fd fd(::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0)
        return FileError::fromErrno(errno);
    // Some file systems (memory sticks) refuse fsync on folders; the rename itself has happened.
    const int rc = ::fsync(fd.get());
    if (rc != 0 && errno != EINVAL && errno != ENOTSUP)
        return FileError::fromErrno(errno);
    return std::nullopt;
}

// After a name has changed, the change itself has happened: a failed flush of the folder cannot
// undo it, and reporting the step as failed would send the caller into a rollback of something
// done. The folder is flushed as far as the file system allows.
void FileSafety::settleFolder(const QString& folder)
{
    syncFolder(folder);
}

std::optional<FileError> FileSafety::rename(const QString& from, const QString& to, Existing existing)
{
    // Replacing a link would leave the file it points to behind, out of date, and the link
    // turned into a file.
    const QString target = existing == Existing::Replace ? fileBehind(to) : to;
    if (existing == Existing::Replace && QFileInfo(target).isSymLink())
        return FileError::fromErrno(ELOOP);
    if (const int e = check(FileStep::Rename, target))
        return FileError::fromErrno(e);
    const QByteArray f = native(from), t = native(target);
    if (existing == Existing::Replace) {
        if (::rename(f.constData(), t.constData()) != 0)
            return FileError::fromErrno(errno);
    } else if (::renameat2(AT_FDCWD, f.constData(), AT_FDCWD, t.constData(), RENAME_NOREPLACE) != 0) {
        if (errno != EINVAL && errno != ENOSYS)
            return FileError::fromErrno(errno);
        // File systems without the flag: a hard link refuses an existing target as well; those
        // without hard links get a check right before the rename.
        if (::link(f.constData(), t.constData()) == 0) {
            ::unlink(f.constData());
        } else {
            if (errno == EEXIST || QFileInfo::exists(target) || QFileInfo(target).isSymLink())
                return FileError::fromErrno(EEXIST);
            if (::rename(f.constData(), t.constData()) != 0)
                return FileError::fromErrno(errno);
        }
    }
    settleFolder(folderOf(target));
    return std::nullopt;
}

std::optional<FileError> FileSafety::link(const QString& existing, const QString& newName)
{
    // A second name of a symbolic link would be a link, not the file kept.
    const QString file = fileBehind(existing);
    if (QFileInfo(file).isSymLink())
        return FileError::fromErrno(ELOOP);
    if (const int e = check(FileStep::Link, newName))
        return FileError::fromErrno(e);
    if (::link(native(file).constData(), native(newName).constData()) != 0)
        return FileError::fromErrno(errno);
    settleFolder(folderOf(newName));
    return std::nullopt;
}

std::optional<FileError> FileSafety::remove(const QString& path)
{
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return std::nullopt;
    if (const int e = check(FileStep::Remove, path))
        return FileError::fromErrno(e);
    if (::unlink(native(path).constData()) != 0 && errno != ENOENT)
        return FileError::fromErrno(errno);
    settleFolder(folderOf(path));
    return std::nullopt;
}

QString FileSafety::reserveTemp(const QString& target, std::optional<FileError>& error, const QString& tag)
{
    error.reset();
    // Beside the file a link points to: only there does the rename replace that file.
    const QString file = fileBehind(target);
    if (const int e = check(FileStep::Create, file)) {
        error = FileError::fromErrno(e);
        return {};
    }
    const QFileInfo info(file);
    QByteArray name = native(
        info.absolutePath() + QStringLiteral("/.") + info.fileName()
        + (tag.isEmpty() ? QStringLiteral(".XXXXXX") : QStringLiteral(".%1-%2-XXXXXX").arg(tag).arg(::getpid())));
    Fd fd(::mkostemp(name.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        error = FileError::fromErrno(errno);
        return {};
    }
    return QFile::decodeName(name);
}

namespace {

struct TempLayer {
    QString inner; // the name the temporary file was made beside
    qint64 pid = 0;
};

// ".<inner>.<tag>-<pid>-<random>", a journal's "-journal" allowed at the end.
std::optional<TempLayer> peel(const QString& fileName, const QStringList& tags)
{
    static const QRegularExpression form(QStringLiteral("^\\.(.+)\\.([a-z]+)-([0-9]{1,10})-[0-9A-Za-z]{6,8}(?:-journal)?$"));
    const auto m = form.match(fileName);
    if (!m.hasMatch() || !tags.contains(m.captured(2)))
        return std::nullopt;
    return TempLayer{m.captured(1), m.captured(3).toLongLong()};
}

bool processRunning(qint64 pid)
{
    return pid > 0 && pid <= std::numeric_limits<pid_t>::max() && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

} // namespace

QString FileSafety::temporaryName(const QString& target, const QString& tag)
{
    const QFileInfo info(fileBehind(target));
    return info.absoluteDir().filePath(QStringLiteral(".%1.%2-%3-%4")
                                           .arg(info.fileName(), tag)
                                           .arg(::getpid())
                                           .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
}

int FileSafety::removeLeftovers(const QString& target, const QStringList& tags)
{
    // A run over a link wrote beside the file behind it; one of an older version beside the link.
    const QString here = realLocation(target);
    const QString file = fileBehind(target);
    return removeLeftoversBeside(here, tags) + (file == here ? 0 : removeLeftoversBeside(file, tags));
}

int FileSafety::removeLeftoversBeside(const QString& target, const QStringList& tags)
{
    const QFileInfo info(target);
    const QDir dir = info.absoluteDir();
    const QString prefix = u'.' + info.fileName() + u'.';
    int removed = 0;
    for (const QString& name :
         dir.entryList({prefix + u'*', u'.' + prefix + u'*'}, QDir::Files | QDir::Hidden | QDir::System)) {
        const auto layer = peel(name, tags);
        // A file of a run still going on (this program or another instance) is left alone.
        if (!layer || processRunning(layer->pid))
            continue;
        QString inner = layer->inner;
        while (inner != info.fileName()) {
            const auto next = peel(inner, tags);
            if (!next)
                break;
            inner = next->inner;
        }
        if (inner == info.fileName() && !remove(dir.filePath(name)))
            ++removed;
    }
    return removed;
}

int FileSafety::removeLeftoversIn(const QString& folder, const QStringList& tags)
{
    const QDir dir(folder);
    QStringList targets;
    for (const QString& name : dir.entryList({QStringLiteral(".*")}, QDir::Files | QDir::Hidden | QDir::System)) {
        QString inner = name;
        while (const auto layer = peel(inner, tags))
            inner = layer->inner;
        if (inner != name && !targets.contains(inner))
            targets << inner;
    }
    // A link's run wrote beside the file it points to, wherever that is.
    for (const QString& name : dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        if (QFileInfo(dir.filePath(name)).isSymLink() && !targets.contains(name))
            targets << name;
    }
    int removed = 0;
    for (const QString& target : std::as_const(targets))
        removed += removeLeftovers(dir.filePath(target), tags);
    return removed;
}

std::optional<FileError> FileSafety::publish(const QString& temp, const QString& target, Existing existing,
                                             const TargetCheck& mayReplace)
{
    std::optional<FileError> error = syncFile(temp);
    if (!error && mayReplace)
        error = mayReplace(target);
    if (!error)
        error = rename(temp, target, existing);
    if (error)
        ::unlink(native(temp).constData());
    return error;
}

std::optional<FileError> FileSafety::copyFile(const QString& from, const QString& to, Existing existing, const QString& tag)
{
    if (existing == Existing::Keep && (QFileInfo::exists(to) || QFileInfo(to).isSymLink()))
        return FileError::fromErrno(EEXIST);
    Fd source(::open(native(from).constData(), O_RDONLY | O_CLOEXEC));
    if (source.get() < 0)
        return FileError::fromErrno(errno);
    std::optional<FileError> error;
    const QString temp = reserveTemp(to, error, tag);
    if (temp.isEmpty())
        return error;
    {
        Fd out(::open(native(temp).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC));
        int err = out.get() < 0 ? errno : check(FileStep::Write, temp);
        char buffer[1 << 16];
        while (err == 0) {
            const ssize_t n = ::read(source.get(), buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                err = errno;
            if (n <= 0)
                break;
            err = writeAll(out.get(), buffer, n);
        }
        if (err == 0 && out.close() != 0)
            err = errno;
        if (err != 0) {
            ::unlink(native(temp).constData());
            return FileError::fromErrno(err);
        }
    }
    struct stat st {};
    if (::fstat(source.get(), &st) == 0)
        ::chmod(native(temp).constData(), (st.st_mode & 07777) | S_IWUSR);
    return publish(temp, to, existing);
}

std::optional<FileError> FileSafety::writeFile(const QString& path, const QByteArray& bytes, const QString& tag)
{
    std::optional<FileError> error;
    const QString temp = reserveTemp(path, error, tag);
    if (temp.isEmpty())
        return error;
    {
        Fd out(::open(native(temp).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC));
        int err = out.get() < 0 ? errno : check(FileStep::Write, temp);
        if (err == 0)
            err = writeAll(out.get(), bytes.constData(), bytes.size());
        if (err == 0 && out.close() != 0)
            err = errno;
        if (err != 0) {
            ::unlink(native(temp).constData());
            return FileError::fromErrno(err);
        }
    }
    // A replaced file keeps its permissions.
    struct stat st {};
    if (::stat(native(path).constData(), &st) == 0)
        ::chmod(native(temp).constData(), st.st_mode & 07777);
    else
        ::chmod(native(temp).constData(), 0644);
    return publish(temp, path, Existing::Replace);
}

std::optional<FileError> FileSafety::readFile(const QString& path, QByteArray& bytes, qint64 maxBytes)
{
    bytes.clear();
    Fd in(::open(native(path).constData(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0)
        return FileError::fromErrno(errno);
    struct stat st {};
    if (::fstat(in.get(), &st) != 0)
        return FileError::fromErrno(errno);
    if (maxBytes >= 0 && st.st_size > maxBytes)
        return FileError(FileErr::AccessError,
                         QStringLiteral("tiedosto on liian suuri (%1 kt, enintään %2 kt)")
                             .arg((st.st_size + 1023) / 1024)
                             .arg(maxBytes / 1024),
                         true);
    const qint64 size = st.st_size;
    QByteArray out(qsizetype(size), Qt::Uninitialized);
    qint64 done = 0;
    while (done < size) {
        if (const int e = check(FileStep::Read, path))
            return FileError::fromErrno(e);
        const ssize_t n = ::read(in.get(), out.data() + done, size_t(std::min<qint64>(size - done, 1 << 16)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return FileError::fromErrno(errno);
        if (n == 0)
            return FileError(FileErr::IoError, QStringLiteral("tiedosto päättyi kesken lukemisen"));
        done += n;
    }
    bytes = std::move(out);
    return std::nullopt;
}

} // namespace tikkeli
