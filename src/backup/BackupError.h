#pragma once

#include <QString>

namespace tikkeli {

class DbException;

// A failed file step, with the error number and description the windows show
// ("<number>: <description>"). File errors keep the numbers the program has always shown
// (53 file not found, 61 disk full, 70 permission denied, 76 path not found).
struct BackupError {
    int number = 0;
    QString description;
    // The target's file system cannot hold a file this large (FAT32 and its 4 GiB limit).
    bool fileTooLarge = false;

    QString text() const { return QString::number(number) + QStringLiteral(": ") + description; }

    static BackupError fromErrno(int err);
    static BackupError fromDb(const DbException& e);
    static BackupError tooLargeForStick();
};

} // namespace tikkeli
