#include "backup/BackupCompaction.h"

#include "backup/BackupRows.h"
#include "base/Folders.h"
#include "backup/FileFaults.h"
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
    case Outcome::Done:
        text = QStringLiteral("5. Tiivistys valmis");
        break;
    case Outcome::TempFailed:
        text = QStringLiteral("5. Tiivistys ei onnistunut: Väliaikaisen tiedoston luonti ei onnistunut: ") + error.text();
        break;
    case Outcome::CompactFailed:
        text = QStringLiteral("5. Tiivistys ei onnistunut: ") + error.text();
        break;
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
    const QString folder = QFileInfo(databasePath).absolutePath();
    // Only the name is reserved: the compaction writes a file that must not exist yet.
    const QString temp = FileFaults::at("write", folder) ? QString() : TempFileNameIn(folder);
    if (temp.isEmpty()) {
        r.outcome = Outcome::TempFailed;
        r.error = BackupError::fromErrno(QFileInfo(folder).isDir() ? EACCES : ENOENT);
        return r;
    }
    QFile::remove(temp);

    // Marker rows written into someone's unfinished transaction would share its fate.
    if (ConnectionRegistry::inTransaction(databasePath)) {
        QFile::remove(temp);
        r.outcome = Outcome::CompactFailed;
        r.error = {DbErr::TransactionOpen, QStringLiteral("Tietokannassa on kesken oleva muutos")};
        return r;
    }
    try {
        AddBackupRows(databasePath);
        CompactDatabase(databasePath, temp);
    } catch (const DbException& e) {
        r.outcome = Outcome::CompactFailed;
        r.error = BackupError::fromDb(e);
    }

    if (r.outcome == Outcome::Done) {
        int err = 0;
        if (!ConnectionRegistry::closeAll(databasePath))
            r.error = {DbErr::TransactionOpen, QStringLiteral("Tietokannassa on kesken oleva muutos")};
        else if ((err = FileFaults::at("rename", databasePath)) != 0
                 || (err = std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(databasePath).constData()) != 0 ? errno : 0) != 0)
            r.error = BackupError::fromErrno(err);
        if (r.error.number != 0) {
            r.outcome = Outcome::ReplaceFailed;
            r.keptCopy = temp;
        } else {
            SyncFolder(folder);
        }
    }
    if (r.outcome == Outcome::CompactFailed)
        QFile::remove(temp);

    try {
        DeleteBackupRows(databasePath);
    } catch (const DbException& e) {
        r.markerError = BackupError::fromDb(e);
    }
    return r;
}

} // namespace tikkeli
