#pragma once

#include "backup/BackupError.h"
#include "platform/VolumeInfo.h"

#include <QDate>

#include <optional>

namespace tikkeli {

// The copy of the database in use onto the backup stick:
// <mount folder>/<ProgramTitle>/<YYYYMMDD>/<database file name>; a second copy on the same day
// replaces the first.
class StickBackup {
public:
    struct Result {
        QString target;
        std::optional<BackupError> error;
    };
    static Result copyToStick(const QString& databasePath, const VolumeInfo& stick, const QDate& day);
};

} // namespace tikkeli
