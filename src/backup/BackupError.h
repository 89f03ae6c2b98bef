#pragma once

#include "base/FileSafety.h"

namespace tikkeli {

class DbException;

// The backup windows report every failed step through the one file error type.
using BackupError = FileError;

BackupError BackupErrorFromDb(const DbException& e);
// The stick's file system cannot hold a file this large (FAT32 and its 4 GiB limit).
BackupError TooLargeForStick();

} // namespace tikkeli
