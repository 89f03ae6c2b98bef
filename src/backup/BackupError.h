#pragma once

#include "base/Error.h"

namespace tikkeli {

class DbException;

// A failed file step, with the error number (FileErr, or the database's) and description the
// windows show as "<number>: <description>".
struct BackupError : ErrorInfo {
    // The target's file system cannot hold a file this large (FAT32 and its 4 GiB limit).
    bool fileTooLarge = false;

    BackupError() = default;
    BackupError(int n, QString text, bool tooLarge = false) : ErrorInfo(n, std::move(text)), fileTooLarge(tooLarge) {}
    BackupError(const ErrorInfo& e) : ErrorInfo(e) {}

    static BackupError fromErrno(int err);
    static BackupError fromDb(const DbException& e);
    static BackupError tooLargeForStick();
};

} // namespace tikkeli
