#include "support/StoppedRun.h"

#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace tikkeli::test {

qint64 EndedProcess()
{
    QFile f(QStringLiteral("/proc/sys/kernel/pid_max"));
    return (f.open(QIODevice::ReadOnly) ? f.readAll().trimmed().toLongLong() : 4194304) + 1;
}

FolderImage TakeFolder(const QString& dir)
{
    FolderImage image;
    for (const QString& name : QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks))
        image[name] = ReadFileBytes(dir + u'/' + name);
    return image;
}

void LeaveAsStopped(const QString& dir, const FolderImage& image)
{
    for (const QString& name : QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks))
        QFile::remove(dir + u'/' + name);
    const QString mine = QStringLiteral("-%1-").arg(QCoreApplication::applicationPid());
    const QString gone = QStringLiteral("-%1-").arg(EndedProcess());
    for (const auto& [name, bytes] : image) {
        const QString stopped = QString(name).replace(mine, gone);
        WriteFileBytes(dir + u'/' + stopped, bytes);
        if (stopped != name && !stopped.endsWith(QStringLiteral("-journal")))
            WriteFileBytes(dir + u'/' + stopped + QStringLiteral("-journal"), "kesken");
    }
}

} // namespace tikkeli::test
