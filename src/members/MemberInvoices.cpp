#include "members/MemberInvoices.h"

#include "base/NullConversions.h"
#include "db/ClubChanges.h"
#include "db/Recordset.h"
#include "db/Transaction.h"

namespace tikkeli {

namespace {

QString YesNo(bool b)
{
    return b ? QStringLiteral("Kyllä") : QStringLiteral("Ei");
}

} // namespace

std::vector<MemberInvoices::Entry> MemberInvoices::list(Database& db, qint32 memberId)
{
    std::vector<Entry> out;
    Recordset rs = db.openRecordset(QStringLiteral("SELECT jmhID, jmhjmHinta, jmhjmTeksti FROM jmhist WHERE jmhjmjrID = ? "
                                                   "ORDER BY jmhjmLaskupaiva, jmhID"),
                                    RecordsetType::Snapshot, {memberId});
    for (; !rs.eof(); rs.moveNext())
        out.push_back(
            {NullToLong(rs.field(0)), NullToString(rs.field(1)) + QStringLiteral(" - ") + NullToString(rs.field(2))});
    return out;
}

std::optional<MemberInvoices::Details> MemberInvoices::details(Database& db, qint32 invoiceId)
{
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM jmhist WHERE jmhID = ?"), RecordsetType::Snapshot,
                                    {invoiceId});
    if (rs.eof())
        return std::nullopt;
    Details d;
    d.otsake = NullToString(rs[QStringLiteral("jmhjmOtsake")]);
    d.erapaiva = NullToString(rs[QStringLiteral("jmhjmErapaiva")]);
    d.laskupaiva = NullToString(rs[QStringLiteral("jmhjmLaskupaiva")]);
    d.laskunumero = NullToString(rs[QStringLiteral("jmhjmLaskunumero")]);
    d.viitenumero = NullToString(rs[QStringLiteral("jmhjmViitenumero")]);
    d.hinta = NullToString(rs[QStringLiteral("jmhjmHinta")]);
    d.teksti = NullToString(rs[QStringLiteral("jmhjmTeksti")]);
    const Value fee = rs[QStringLiteral("jmhjmJasMak")];
    d.jasenmaksu = fee.isNull() ? QStringLiteral("-") : YesNo(NullToBoolean(fee));
    d.maksettu = YesNo(NullToBoolean(rs[QStringLiteral("jmhjmMaksettu")]));
    return d;
}

MemberInvoices::MarkOutcome MemberInvoices::markPaid(Database& db, qint32 invoiceId)
{
    MarkOutcome out;
    Transaction tx(db);
    Recordset rs = db.openRecordset(
        QStringLiteral("SELECT jmhID, jmhjmID, jmhjmjrID, jmhjmJasMak FROM jmhist WHERE jmhID = ?"), RecordsetType::Snapshot,
        {invoiceId});
    if (rs.eof())
        return out;
    out.found = true;
    out.invoiceId = NullToLong(rs.field(0));
    const Value runInvoiceId = rs.field(1);
    const qint32 memberId = NullToLong(rs.field(2));
    if (NullToBoolean(rs.field(3))) {
        db.execute(QStringLiteral("UPDATE jr SET jrJasenmaksu = 1 WHERE jrID = ?"), {memberId});
        if (db.rowsAffected() > 0) {
            out.feePaidMemberId = memberId;
            ClubChanges::announceMember(db, memberId);
        }
    }
    db.execute(QStringLiteral("UPDATE jmhist SET jmhjmMaksettu = 1 WHERE jmhID = ?"), {out.invoiceId});
    if (!runInvoiceId.isNull())
        db.execute(QStringLiteral("UPDATE jmRivi SET jmRMaksettu = 1 WHERE jmRjmID = ?"), {runInvoiceId});
    tx.commit();
    return out;
}

QString MemberInvoices::notFoundMessage(const QString& reference)
{
    return QStringLiteral("Laskua viitenumerolla: ") + reference + QStringLiteral(" ei löydy.");
}

} // namespace tikkeli
