#include "backup/BackupRows.h"

#include "db/Database.h"
#include "db/Recordset.h"
#include "db/Transaction.h"
#include "base/SharedState.h"

namespace tikkeli {

const QStringList& BackupRowTables()
{
    static const QStringList tables = {
        QStringLiteral("el"), QStringLiteral("et"), QStringLiteral("jr"), QStringLiteral("jm"),
        QStringLiteral("jmhist"), QStringLiteral("jmRivi"), QStringLiteral("lt"), QStringLiteral("me"),
        QStringLiteral("mt"), QStringLiteral("mvs"), QStringLiteral("pi"), QStringLiteral("pt"),
        QStringLiteral("si"), QStringLiteral("tl"), QStringLiteral("vs"),
    };
    return tables;
}

void AddBackupRows(Database& db)
{
    Transaction tx(db);
    for (const QString& table : BackupRowTables()) {
        // The table names are the program's own constants, never user text.
        Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM ") + table, RecordsetType::Dynaset);
        rs.addNew();
        rs.setField(QStringLiteral("BackupRow"), true);
        rs.update();
        rs.close();
    }
    tx.commit();
}

void AddBackupRows(const QString& databasePath)
{
    Database db = Database::open(databasePath);
    AddBackupRows(db);
    db.close();
}

void AddBackupRows()
{
    AddBackupRows(State().DatabasePath);
}

void DeleteBackupRows(Database& db)
{
    Transaction tx(db);
    for (const QString& table : BackupRowTables())
        db.execute(QStringLiteral("DELETE * FROM ") + table + QStringLiteral(" WHERE BackupRow = True"));
    tx.commit();
}

void DeleteBackupRows(const QString& databasePath)
{
    Database db = Database::open(databasePath);
    DeleteBackupRows(db);
    db.close();
}

void DeleteBackupRows()
{
    DeleteBackupRows(State().DatabasePath);
}

} // namespace tikkeli
