#include "invoicing/AddressLabels.h"

#include "base/NullConversions.h"
#include "db/Recordset.h"
#include "db/Transaction.h"
#include "invoicing/InvoicePrintOrder.h"
#include "invoicing/cTarra.h"

namespace tikkeli {

int AddressLabels::FillLabelTable(Database& db)
{
    Transaction transaction(db);
    cTarrat all;
    all.setDbFileName(db.path());
    all.DeleteAll();
    int written = 0;
    Recordset rs = db.openRecordset(
        QStringLiteral("SELECT jmhjmLaskOsoite1, jmhjmLaskOsoite2, jmhjmLaskOsoite3, jmhjmLaskOsoite4, jmhjmLaskOsoite5,"
                       " jmhjmLaskOsoite6 FROM jmhist WHERE jmhTulosta = True ORDER BY jmhTulostusJarjestysID, jmhID"),
        RecordsetType::Snapshot);
    for (; !rs.eof(); rs.moveNext()) {
        cTarra label;
        label.setDbFileName(db.path());
        for (int i = 1; i <= 6; ++i)
            label.setRivi(i, NullToString(rs.field(i - 1)));
        if (label.changed())
            ++written;
        label.Save(false);
    }
    transaction.commit();
    return written;
}

int AddressLabels::PrepareLabels(Database& db, const HistoryRange& range)
{
    Transaction transaction(db);
    Params params;
    const QString where = QStringLiteral("jmhID > 0 AND ") + range.sqlCondition(params);
    InvoicePrintOrder::MarkRemindersForPrint(db, where, params);
    const int n = FillLabelTable(db);
    transaction.commit();
    return n;
}

} // namespace tikkeli
