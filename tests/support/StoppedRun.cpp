#include "support/StoppedRun.h"

#include "support/TestFiles.h"

#include <QCoreApplication>
#include "db/Database.h"
#include "db/FileHold.h"

#include <QDir>
#include <QFileInfo>
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
    // The next run is another program: it has no connection to a file of the run that stopped,
    // and the files it finds are the ones the stopped run left (made here, by this program).
    for (const QString& name : QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks)) {
        const QString path = dir + u'/' + name;
        ConnectionRegistry::closeAll(path);
        FileHold::created(QFileInfo(path).canonicalFilePath());
        QFile::remove(path);
    }
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
