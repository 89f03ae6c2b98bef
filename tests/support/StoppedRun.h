#pragma once

#include <QByteArray>
#include <QString>

#include <map>

namespace tikkeli::test {

// A process id no process can have: one above the kernel's largest.
qint64 EndedProcess();

// The files of a folder (hidden ones too) with their contents; symbolic links are no part of it.
using FolderImage = std::map<QString, QByteArray>;
FolderImage TakeFolder(const QString& dir);

// The folder as a run stopped at the moment image was taken leaves it: every file as it was then
// (links stay as they are),
// the temporary files named after a process that has ended, and a journal beside each of those
// (SQLite keeps one while it writes).
void LeaveAsStopped(const QString& dir, const FolderImage& image);

} // namespace tikkeli::test
