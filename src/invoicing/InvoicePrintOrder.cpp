#include "invoicing/InvoicePrintOrder.h"

#include "db/Recordset.h"
#include "db/Transaction.h"

#include <vector>

namespace tikkeli {

void InvoicePrintOrder::number(Database& db, const QString& table, const QString& key, const QString& orderBy,
                               const QString& field)
{
    Transaction transaction(db);
    // The ids are read first: renumbering must not disturb the walk over the rows it changes.
    std::vector<qint64> ids;
    {
        Recordset rs = db.openRecordset(QStringLiteral("SELECT %1 FROM %2 ORDER BY %3, %1").arg(key, table, orderBy),
                                        RecordsetType::Snapshot);
        for (; !rs.eof(); rs.moveNext())
            ids.push_back(rs.field(0).toInt64());
    }
    const QString update = QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3 = ?").arg(table, field, key);
    qint64 counter = 0;
    for (qint64 id : ids)
        db.execute(update, {Value(counter++), Value(id)});
    transaction.commit();
}

void InvoicePrintOrder::NumberInvoicePrintOrder(Database& db, int order)
{
    number(db, QStringLiteral("jm"), QStringLiteral("jmID"),
           order == 0 ? QStringLiteral("jmLaskOsoite1, jmLaskOsoite2") : QStringLiteral("jmLaskPostinumero"),
           QStringLiteral("jmTulostusJarjestysID"));
}

void InvoicePrintOrder::NumberReminderPrintOrder(Database& db, int order)
{
    number(db, QStringLiteral("jmhist"), QStringLiteral("jmhID"),
           order == 0 ? QStringLiteral("jmhjmLaskOsoite1, jmhjmLaskOsoite2") : QStringLiteral("jmhjmLaskPostinumero"),
           QStringLiteral("jmhTulostusJarjestysID"));
}

bool InvoicePrintOrder::ClearReminderPrintMarks(Database& db)
{
    db.execute(QStringLiteral("UPDATE jmhist SET jmhTulosta = False"));
    return true;
}

int InvoicePrintOrder::MarkRemindersForPrint(Database& db, const QString& where, const Params& params)
{
    Transaction transaction(db);
    ClearReminderPrintMarks(db);
    db.execute(QStringLiteral("UPDATE jmhist SET jmhTulosta = True WHERE ")
                   + (where.isEmpty() ? QStringLiteral("1") : where),
               params);
    const int count = db.rowsAffected();
    transaction.commit();
    return count;
}

int InvoicePrintOrder::CountInvoices(Database& db)
{
    return int(db.scalar(QStringLiteral("SELECT COUNT(jmID) AS Lkm FROM jm")).toInt64());
}

} // namespace tikkeli
