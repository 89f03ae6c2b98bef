#include "backup/BackupCompaction.h"

#include "backup/BackupRestore.h"
#include "backup/BackupRows.h"
#include "base/Folders.h"
#include "base/FileSafety.h"
#include "db/Database.h"
#include "db/DatabaseFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>

namespace tikkeli {

QString BackupCompaction::Result::stepText() const
{
    QString text;
    switch (outcome) {
    case Outcome::Done: text = QStringLiteral("5. Tiivistys valmis"); break;
    case Outcome::TempFailed:
        text = QStringLiteral("5. Tiivistys ei onnistunut: Väliaikaisen tiedoston luonti ei onnistunut: ") + error.text();
        break;
    case Outcome::CompactFailed: text = QStringLiteral("5. Tiivistys ei onnistunut: ") + error.text(); break;
    case Outcome::ReplaceFailed:
        text = QStringLiteral("5. Tiivistetyn tietokannan kopiointi käyttöön ei onnistunut: ") + error.text();
        if (!keptCopy.isEmpty())
            text += QStringLiteral(" Tiivistetty kopio on tallessa: ") + QDir::toNativeSeparators(keptCopy);
        break;
    }
    if (markerError)
        text += QStringLiteral(" Merkintärivien poisto ei onnistunut: ") + markerError->text();
    return text;
}

BackupCompaction::Result BackupCompaction::run(const QString& databasePath)
{
    Result r;
    FileSafety& files = FileSafety::instance();
    // A save in progress in some window would be cut off by the rename below.
    if (ConnectionRegistry::inTransaction(databasePath)) {
        r.outcome = Outcome::CompactFailed;
        r.error = {DbErr::TransactionOpen, QStringLiteral("Tietokannassa on kesken oleva muutos")};
        return r;
    }
    // The copy takes the file's name: no other program of ours may be left on the file.
    SoleUse sole;
    if (const auto e = BackupRestore::claim(databasePath, sole)) {
        r.outcome = Outcome::ReplaceFailed;
        r.error = *e;
        return r;
    }
    // Marker rows an older version left behind would show as blank rows in every list.
    try {
        DeleteBackupRows(databasePath);
    } catch (const DbException& e) {
        r.outcome = Outcome::CompactFailed;
        r.error = BackupErrorFromDb(e);
        r.markerError = r.error;
        return r;
    }
    // Only the name is reserved: the compaction writes a file that must not exist yet.
    std::optional<BackupError> tempError;
    files.removeLeftovers(databasePath, {QStringLiteral("tiivistys")});
    const QString temp = files.reserveTemp(databasePath, tempError, QStringLiteral("tiivistys"));
    if (temp.isEmpty()) {
        r.outcome = Outcome::TempFailed;
        r.error = tempError.value_or(BackupError::fromErrno(EACCES));
        return r;
    }
    QFile::remove(temp);

    // From the compaction's read to the rename no other program commits to the file, which would
    // otherwise take a commit into the file left behind.
    DatabaseWriteLock lock;
    if (const auto e = BackupRestore::lockTarget(databasePath, lock)) {
        r.outcome = Outcome::CompactFailed;
        r.error = *e;
        return r;
    }
    // The key counters (AUTOINCREMENT) travel with the compacted copy, so keys of deleted rows are
    // never handed out again; the copy is flushed to the disk and checked before it goes anywhere.
    try {
        CompactDatabase(databasePath, temp, &lock);
    } catch (const DbException& e) {
        QFile::remove(temp);
        r.outcome = Outcome::CompactFailed;
        r.error = BackupErrorFromDb(e);
        return r;
    }
    if (!ConnectionRegistry::closeAll(databasePath))
        r.error = {DbErr::TransactionOpen, QStringLiteral("Tietokannassa on kesken oleva muutos")};
    else if (HasHotJournal(databasePath))
        // The file alone is not the whole database while its journal waits to be rolled back.
        r.error = {DbErr::InUseOrReadOnly, QStringLiteral("Tietokannan rinnalla on keskeneräisen muutoksen lokitiedosto")};
    else if (const auto e = files.rename(temp, databasePath, FileSafety::Existing::Replace))
        r.error = *e;
    if (r.error.number != 0) {
        r.outcome = Outcome::ReplaceFailed;
        r.keptCopy = temp;
    } else {
        sole.keepsItsRows();
    }
    return r;
}

} // namespace tikkeli
