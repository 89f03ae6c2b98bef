#pragma once

#include <QMetaObject>
#include <QString>
#include <functional>

class QObject;

namespace tikkeli {

// How a window (or the settings the program read) that holds rows of the club file, or edits
// typed against them, follows a file another program replaced under it (the hub's fileReplaced):
// readAgain lets go of everything held of the old file, unsaved edits included (the command that
// met the new file said they were not saved), and reads the file now at the path, so nothing read
// from or typed against the old file is written into the new one. heldPath names the file the
// follower holds; it is asked when the hub tells, and one that holds no file, or another one, is
// not told. readAgain runs once no transaction holds the old file any more (a command may tell
// of the new file from inside its transaction, which still reads the old one). A failure of
// readAgain is shown once and keeps no other follower from being told.
QMetaObject::Connection FollowReplacedFile(QObject* follower, std::function<QString()> heldPath,
                                           std::function<void()> readAgain);

} // namespace tikkeli
