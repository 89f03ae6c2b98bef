#include "backup/BackupRows.h"

#include "db/ClubChanges.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "db/Transaction.h"
#include "base/SharedState.h"
#include "platform/IniSettingsStore.h"
#include "settings/SettingsLoader.h"

#include <QFile>
#include <sys/stat.h>

namespace tikkeli {

const QStringList& BackupRowTables()
{
    static const QStringList tables = {
        QStringLiteral("el"),     QStringLiteral("et"), QStringLiteral("jr"), QStringLiteral("jm"), QStringLiteral("jmhist"),
        QStringLiteral("jmRivi"), QStringLiteral("lt"), QStringLiteral("me"), QStringLiteral("mt"), QStringLiteral("mvs"),
        QStringLiteral("pi"),     QStringLiteral("pt"), QStringLiteral("si"), QStringLiteral("tl"), QStringLiteral("vs"),
    };
    return tables;
}

long long DeleteBackupRows(Database& db)
{
    // Found by reading first: a file without markers (the usual case) is not written at all, so
    // another program's write lock does not stop the caller.
    // One look at the catalogue for the tables carrying the marker field (asking table by table
    // read every table's columns fifteen times, most of the start-up's time).
    QStringList withField;
    {
        Recordset rs = db.openRecordset(QStringLiteral("SELECT m.name FROM sqlite_master m, pragma_table_info(m.name) c "
                                                       "WHERE m.type = 'table' AND c.name = 'BackupRow' COLLATE NOCASE"),
                                        RecordsetType::Snapshot);
        for (; !rs.eof(); rs.moveNext())
            withField << rs.field(0).toString();
    }
    QStringList marked;
    for (const QString& table : BackupRowTables()) {
        // The table names are the program's own constants, never user text.
        if (withField.contains(table, Qt::CaseInsensitive)
            && db.scalar(QStringLiteral("SELECT EXISTS (SELECT 1 FROM ") + table
                         + QStringLiteral(" WHERE BackupRow = True)"))
                       .toInt64()
                   > 0)
            marked << table;
    }
    if (marked.isEmpty())
        return 0;
    long long removed = 0;
    Transaction tx(db);
    for (const QString& table : marked) {
        db.execute(QStringLiteral("DELETE * FROM ") + table + QStringLiteral(" WHERE BackupRow = True"));
        removed += db.rowsAffected();
        if (table == QLatin1String("jr"))
            ClubChanges::announce(db, ClubChanges::Kind::Members);
    }
    tx.commit();
    return removed;
}

long long DeleteBackupRows(const QString& databasePath)
{
    Database db = Database::open(databasePath);
    const long long removed = DeleteBackupRows(db);
    db.close();
    return removed;
}

long long DeleteBackupRows()
{
    return DeleteBackupRows(State().DatabasePath);
}

namespace {

const QString CleanCloseKey = QStringLiteral("SuljettuTietokanta");

// The file's identity and its last write as the file system keeps them, and the change counter
// every commit steps in the database's header (file times may stay within one clock tick);
// empty when unreadable.
QString fileStamp(const QString& path)
{
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0)
        return QString();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray header = file.read(28);
    if (header.size() < 28)
        return QString();
    return QStringLiteral("%1:%2:%3:%4:%5.%6:%7.%8")
        .arg(QString::fromLatin1(header.mid(24, 4).toHex()))
        .arg(qulonglong(st.st_dev))
        .arg(qulonglong(st.st_ino))
        .arg(qlonglong(st.st_size))
        .arg(qlonglong(st.st_mtim.tv_sec))
        .arg(qlonglong(st.st_mtim.tv_nsec))
        .arg(qlonglong(st.st_ctim.tv_sec))
        .arg(qlonglong(st.st_ctim.tv_nsec));
}

} // namespace

bool UntouchedSinceCleanClose(const QString& databasePath)
{
    const QString stamp = fileStamp(databasePath);
    if (stamp.isEmpty())
        return false;
    // "stamp|path": the stamp holds no bar, the path may.
    const QString remembered = ProgramIniStore().read(CleanCloseKey);
    return remembered == stamp + QLatin1Char('|') + databasePath;
}

void RememberCleanClose(const QString& databasePath)
{
    // What an earlier close remembered stays on a failure below: it matches only a file that
    // nothing has written to since, which is still free of markers.
    if (databasePath.isEmpty())
        return;
    // Another program may have left markers while this one ran: they are looked for (and removed)
    // once more, and the file is remembered only when nothing wrote to it during that last look.
    Database db = Database::open(databasePath);
    QString stamp;
    for (int round = 0; round < 2 && stamp.isEmpty(); ++round) {
        const QString before = fileStamp(databasePath);
        const long long removed = DeleteBackupRows(db);
        if (removed == 0 && !before.isEmpty() && fileStamp(databasePath) == before)
            stamp = before;
    }
    db.close();
    if (!stamp.isEmpty())
        ProgramIniStore().write(stamp + QLatin1Char('|') + databasePath, CleanCloseKey);
}

} // namespace tikkeli
