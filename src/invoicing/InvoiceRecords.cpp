#include "invoicing/InvoiceRecords.h"

#include "base/NullConversions.h"
#include "db/DbError.h"
#include "db/Recordset.h"

namespace tikkeli {

namespace {

Value textOrNull(const QString& s)
{
    return s.isEmpty() ? Value() : Value(s);
}

QString text(const Value& v)
{
    return NullToString(v);
}

} // namespace

InvoiceAddress InvoiceAddress::of(const InvoiceMember& m)
{
    InvoiceAddress a;
    a.lines[1] = (text(m.surname) + QLatin1Char(' ') + text(m.firstName)).trimmed().left(100);
    a.lines[2] = text(m.street).left(100);
    a.lines[4] = (text(m.postcode) + QLatin1Char(' ') + text(m.postOffice)).trimmed().left(100);
    a.postcode = text(m.postcode).left(5);
    a.memberNumber = text(m.memberNumber).left(10);
    return a;
}

qint64 InvoiceRecords::CreateRunText(Database& db, const QString& text)
{
    if (text.isEmpty())
        return 0;
    db.execute(QStringLiteral("INSERT INTO me (meTeksti) VALUES (?)"), {Value(text)});
    return db.lastInsertId();
}

QString InvoiceRecords::memberColumns(const QString& p)
{
    return QStringList{
        p + QStringLiteral("jrID"),          p + QStringLiteral("jrSukunimi"),    p + QStringLiteral("jrEtunimi"),
        p + QStringLiteral("jrOsoite"),      p + QStringLiteral("jrPostinumero"), p + QStringLiteral("jrPostitoimipaikka"),
        p + QStringLiteral("jrJasennumero"), p + QStringLiteral("jrViitenumero"), p + QStringLiteral("jrJasenmaksu")}
        .join(QStringLiteral(", "));
}

InvoiceMember InvoiceRecords::memberFromRow(const Recordset& rs)
{
    InvoiceMember m;
    m.id = rs.field(0).toInt64();
    m.surname = rs.field(1);
    m.firstName = rs.field(2);
    m.street = rs.field(3);
    m.postcode = rs.field(4);
    m.postOffice = rs.field(5);
    m.memberNumber = rs.field(6);
    m.reference = rs.field(7);
    m.feePaid = rs.field(8);
    return m;
}

std::optional<InvoiceMember> InvoiceRecords::readMember(Database& db, qint64 memberId)
{
    Recordset rs = db.openRecordset(QStringLiteral("SELECT ") + memberColumns() + QStringLiteral(" FROM jr WHERE jrID = ?"),
                                    RecordsetType::Snapshot, {Value(memberId)});
    if (rs.eof())
        return std::nullopt;
    return memberFromRow(rs);
}

qint64 InvoiceRecords::CreateInvoiceRecord(Database& db, const InvoiceRecord& invoice)
{
    const auto member = readMember(db, invoice.memberId);
    if (!member)
        throw DbException(DbErr::NoCurrentRecord, QStringLiteral("Nykyistä tietuetta ei ole."));
    return CreateInvoiceRecord(db, invoice, *member);
}

qint64 InvoiceRecords::CreateInvoiceRecord(Database& db, const InvoiceRecord& invoice, const InvoiceMember& member)
{
    const InvoiceAddress a = InvoiceAddress::of(member);
    // A fee invoice keeps the member's fee flag as it was, so deleting the run can give it back.
    const bool feeSnapshot = invoice.feeInvoice && NullToBoolean(member.feePaid);
    db.execute(
        QStringLiteral("INSERT INTO jm (jmjrID, jmErapaiva, jmLaskupaiva, jmLaskunumero, jmViitenumero, jmHinta, jmTeksti,"
                       " jmMaksettu, jmOtsake, jmmeID, jmEmailed, jmJasMak, jmjrJasenmaksu, jmLaskOsoite1, jmLaskOsoite2,"
                       " jmLaskOsoite3, jmLaskOsoite4, jmLaskOsoite5, jmLaskOsoite6, jmLaskPostinumero, jmLaskJasennumero)"
                       " VALUES (?, ?, ?, ?, ?, ?, ?, 0, ?, ?, 0, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        {Value(invoice.memberId), Value(invoice.dueDate), Value(invoice.invoiceDate), Value(invoice.number),
         invoice.noReference ? Value() : textOrNull(invoice.reference), Value(invoice.total), textOrNull(invoice.giroText),
         textOrNull(invoice.title), Value(invoice.runTextId), Value(invoice.feeInvoice), Value(feeSnapshot),
         textOrNull(a.lines[0]), textOrNull(a.lines[1]), textOrNull(a.lines[2]), textOrNull(a.lines[3]),
         textOrNull(a.lines[4]), textOrNull(a.lines[5]), textOrNull(a.postcode), textOrNull(a.memberNumber)});
    return db.lastInsertId();
}

void InvoiceRecords::CreateInvoiceRow(Database& db, qint64 memberId, qint64 invoiceId, qint64 runTextId,
                                      const QDate& rowDate, std::optional<Currency> price, const QString& text)
{
    db.execute(QStringLiteral("INSERT INTO jmRivi (jmRjrID, jmRjmID, jmRmeId, jmRPaiva, jmRHinta, jmRTeksti, jmRMaksettu)"
                              " VALUES (?, ?, ?, ?, ?, ?, 0)"),
               {Value(memberId), Value(invoiceId), Value(runTextId), Value(rowDate), price ? Value(*price) : Value(),
                textOrNull(text)});
}

} // namespace tikkeli
