#include "invoicing/InvoicePayments.h"

#include "base/NullConversions.h"
#include "base/Prompter.h"
#include "db/ClubChanges.h"
#include "db/DbError.h"
#include "db/Recordset.h"
#include "db/Transaction.h"
#include "invoicing/ReferencePaymentMatcher.h"

namespace tikkeli {

std::optional<qint64> InvoicePayments::FindHistoryByReference(Database& db, const QString& reference)
{
    // Typed or stored, a reference is compared as the digits banks send: no blanks, no leading zeros.
    const QString wanted = ReferencePaymentMatcher::historyReference(reference);
    if (wanted.isEmpty())
        return std::nullopt;
    const Value id = db.scalar(QStringLiteral("SELECT jmhID FROM jmhist WHERE ltrim(replace(jmhjmViitenumero, ' ', ''),"
                                              " '0') = ? ORDER BY jmhjmMaksettu, jmhjmLaskupaiva IS NULL,"
                                              " jmhjmLaskupaiva, jmhjmLaskunumero, jmhID LIMIT 1"),
                               {Value(wanted)});
    if (id.isNull())
        return std::nullopt;
    return id.toInt64();
}

void InvoicePayments::SetMemberFeePaid(Database& db, qint64 memberId)
{
    db.execute(QStringLiteral("UPDATE jr SET jrJasenmaksu = True WHERE jrID = ?"), {Value(memberId)});
    ClubChanges::announceMember(db, memberId);
}

bool InvoicePayments::MarkReminderPaid(Database& db, qint64 historyId)
{
    try {
        Transaction transaction(db);
        Recordset rs = db.openRecordset(QStringLiteral("SELECT jmhjmJasMak, jmhjmjrID, jmhjmID FROM jmhist WHERE jmhID = ?"),
                                        RecordsetType::Snapshot, {Value(historyId)});
        if (rs.eof())
            return true;
        const Value fee = rs.field(QStringLiteral("jmhjmJasMak"));
        if (!fee.isNull() && fee.toBool())
            SetMemberFeePaid(db, NullToLong(rs.field(QStringLiteral("jmhjmjrID"))));
        db.execute(QStringLiteral("UPDATE jmhist SET jmhjmMaksettu = True WHERE jmhID = ?"), {Value(historyId)});
        db.execute(QStringLiteral("UPDATE jmRivi SET jmRMaksettu = True WHERE jmRjmID = ?"),
                   {Value(qint64(NullToLong(rs.field(QStringLiteral("jmhjmID")))))});
        transaction.commit();
        return true;
    } catch (const DbException& e) {
        ShowWarning(QStringLiteral("Virhe: %1: %2").arg(e.number()).arg(e.description()));
        return false;
    }
}

bool InvoicePayments::HistoryRowExists(Database& db, qint64 historyId)
{
    return db.scalar(QStringLiteral("SELECT COUNT(*) FROM jmhist WHERE jmhID = ?"), {Value(historyId)}).toInt64() > 0;
}

bool InvoicePayments::DeleteInvoiceRows(Database& db, qint64 historyId)
{
    Transaction transaction(db);
    const Value invoiceId = db.scalar(QStringLiteral("SELECT IFNULL(jmhjmID, 0) FROM jmhist WHERE jmhID = ?"),
                                      {Value(historyId)});
    if (invoiceId.isNull())
        throw DbException(DbErr::NoCurrentRecord, QStringLiteral("Nykyistä tietuetta ei ole."));
    db.execute(QStringLiteral("DELETE FROM jmRivi WHERE jmRjmID = ?"), {invoiceId});
    db.execute(QStringLiteral("DELETE FROM jmhist WHERE jmhID = ?"), {Value(historyId)});
    transaction.commit();
    return true;
}

std::vector<InvoicePayments::GridRow> InvoicePayments::GridRows(Database& db, int filter)
{
    std::vector<GridRow> rows;
    if (filter < 0 || filter > 2)
        return rows;
    static const char* const where[] = {" WHERE h.jmhjmMaksettu = False", " WHERE h.jmhjmMaksettu = True", ""};
    Recordset rs = db.openRecordset(
        QStringLiteral("SELECT h.jmhID, h.jmhjmViitenumero, h.jmhjmMaksettu, j.jrSukunimi, j.jrEtunimi"
                       " FROM jmhist h LEFT JOIN jr j ON j.jrID = IFNULL(h.jmhjmjrID, 0)")
            + QLatin1String(where[filter]) + QStringLiteral(" ORDER BY h.jmhjmViitenumero, h.jmhID"),
        RecordsetType::Snapshot);
    for (; !rs.eof(); rs.moveNext()) {
        GridRow r;
        r.id = rs.field(0).toInt64();
        r.reference = NullToString(rs.field(1));
        r.paid = NullToBoolean(rs.field(2));
        r.member = (NullToString(rs.field(3)) + QLatin1Char(' ') + NullToString(rs.field(4))).trimmed();
        rows.push_back(std::move(r));
    }
    return rows;
}

} // namespace tikkeli
