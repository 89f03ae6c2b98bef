#pragma once

#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/mount.h>
#include <unistd.h>

namespace tikkeli::test {

// A small memory file system mounted for the test: a real full disk. Only root may mount one.
class SmallDisk {
public:
    explicit SmallDisk(const char* size)
    {
        if (::geteuid() != 0) {
            m_why = "mounting a tmpfs needs root";
            return;
        }
        const QByteArray options = QByteArray("size=") + size;
        if (::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0, options.constData()) != 0) {
            m_why = std::string("mount failed: ") + std::strerror(errno);
            return;
        }
        m_mounted = true;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool mounted() const { return m_mounted; }
    const std::string& why() const { return m_why; }
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    // Takes up the room that is left.
    void fill() const
    {
        QFile f(path("taytto"));
        if (!f.open(QIODevice::WriteOnly))
            return;
        const QByteArray block(4096, 'x');
        while (f.write(block) == block.size() && f.flush()) {
        }
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
    std::string m_why;
};

} // namespace tikkeli::test
