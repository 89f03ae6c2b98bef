#include "InvoiceTestDb.h"

#include "db/DbError.h"
#include "invoicing/InvoiceRecords.h"

#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

class InvoiceRecordsTest : public ::testing::Test {
protected:
    test::InvoiceTestDb club{test::InvoiceTestDb::Template};

    InvoiceRecord invoiceFor(qint64 memberId)
    {
        InvoiceRecord r;
        r.memberId = memberId;
        r.invoiceDate = QDate(2027, 1, 15);
        r.dueDate = QDate(2027, 2, 15);
        r.number = 100;
        r.reference = QStringLiteral("1009");
        r.total = Currency::fromRaw(455000);
        r.title = QStringLiteral("O'Brienin maksu");
        r.giroText = QStringLiteral("Jäsenmaksu");
        return r;
    }
    QString jmText(qint64 id, const char* column)
    {
        return club.field(QStringLiteral("SELECT %1 FROM jm WHERE jmID = ?").arg(QLatin1String(column)), {Value(id)})
            .toString();
    }
};

TEST_F(InvoiceRecordsTest, AddressSnapshotTrimsAndCuts)
{
    const QString long100 = QString(100, QLatin1Char('k'));
    const struct {
        const char* name;
        Value surname, firstName, street, postcode, postOffice, number;
        const char* line2;
        QString line3;
        const char* line5;
        const char* postcode5;
        const char* number10;
    } cases[] = {
        {"surname only", "Virtanen", {}, {}, {}, {}, {}, "Virtanen", "", "", "", ""},
        {"full", "Virtanen", "Matti", "Metsätie 1", "00100", "Helsinki", "1001", "Virtanen Matti", "Metsätie 1",
         "00100 Helsinki", "00100", "1001"},
        {"post office only", "A", "B", {}, {}, "Helsinki", {}, "A B", "", "Helsinki", "", ""},
        {"long street", "A", {}, long100 + QStringLiteral("xyz"), {}, {}, {}, "A", long100, "", "", ""},
    };
    for (const auto& c : cases) {
        InvoiceMember m;
        m.surname = c.surname;
        m.firstName = c.firstName;
        m.street = c.street;
        m.postcode = c.postcode;
        m.postOffice = c.postOffice;
        m.memberNumber = c.number;
        const InvoiceAddress a = InvoiceAddress::of(m);
        EXPECT_EQ(a.lines[1], QString::fromUtf8(c.line2)) << c.name;
        EXPECT_EQ(a.lines[2], c.line3) << c.name;
        EXPECT_EQ(a.lines[4], QString::fromUtf8(c.line5)) << c.name;
        EXPECT_EQ(a.postcode, QString::fromUtf8(c.postcode5)) << c.name;
        EXPECT_EQ(a.memberNumber, QString::fromUtf8(c.number10)) << c.name;
        EXPECT_TRUE(a.lines[0].isEmpty() && a.lines[3].isEmpty() && a.lines[5].isEmpty()) << c.name;
    }
}

TEST_F(InvoiceRecordsTest, OversizedPostcodeAndMemberNumberAreCutInTheStoredInvoice)
{
    // The member table itself holds 5 and 10 characters; older files may hold more.
    club.db.execute(QStringLiteral("PRAGMA ignore_check_constraints = ON"));
    const qint64 id = club.member("Virtanen", "Matti", {}, "FI-00100", "Helsinki", "123456789012");
    club.db.execute(QStringLiteral("PRAGMA ignore_check_constraints = OFF"));
    const qint64 jmId = InvoiceRecords::CreateInvoiceRecord(club.db, invoiceFor(id));
    EXPECT_EQ(jmText(jmId, "jmLaskOsoite5"), QStringLiteral("FI-00100 Helsinki"));
    EXPECT_EQ(jmText(jmId, "jmLaskPostinumero"), QStringLiteral("FI-00"));
    EXPECT_EQ(jmText(jmId, "jmLaskJasennumero"), QStringLiteral("1234567890"));
}

TEST_F(InvoiceRecordsTest, InvoiceFieldsAsWritten)
{
    const qint64 id = club.member("Virtanen");
    InvoiceRecord r = invoiceFor(id);
    r.runTextId = InvoiceRecords::CreateRunText(club.db, QStringLiteral("Vapaa teksti"));
    const qint64 jmId = InvoiceRecords::CreateInvoiceRecord(club.db, r);
    EXPECT_EQ(jmText(jmId, "jmjrID"), QString::number(id));
    EXPECT_EQ(jmText(jmId, "jmLaskunumero"), QStringLiteral("100"));
    EXPECT_EQ(jmText(jmId, "jmViitenumero"), QStringLiteral("1009"));
    EXPECT_EQ(jmText(jmId, "jmOtsake"), QStringLiteral("O'Brienin maksu"));
    EXPECT_EQ(jmText(jmId, "jmTeksti"), QStringLiteral("Jäsenmaksu"));
    EXPECT_EQ(jmText(jmId, "jmHinta"), QStringLiteral("45.5"));
    EXPECT_EQ(jmText(jmId, "jmLaskupaiva").left(10), QStringLiteral("2027-01-15"));
    EXPECT_EQ(jmText(jmId, "jmErapaiva").left(10), QStringLiteral("2027-02-15"));
    EXPECT_EQ(jmText(jmId, "jmmeID"), QString::number(r.runTextId));
    EXPECT_EQ(club.field(QStringLiteral("SELECT meTeksti FROM me WHERE meID = ?"), {Value(r.runTextId)}).toString(),
              QStringLiteral("Vapaa teksti"));
    EXPECT_EQ(jmText(jmId, "jmLaskOsoite2"), QStringLiteral("Virtanen"));
    EXPECT_TRUE(club.field(QStringLiteral("SELECT jmLaskOsoite3 FROM jm")).isNull());
    EXPECT_EQ(club.count(QStringLiteral("jm"), QStringLiteral("jmMaksettu = 0 AND jmEmailed = 0 AND jmJasMak = 0")), 1);
}

TEST_F(InvoiceRecordsTest, EmptyRunTextWritesNothing)
{
    const qint64 before = club.count(QStringLiteral("me"));
    EXPECT_EQ(InvoiceRecords::CreateRunText(club.db, {}), 0);
    EXPECT_EQ(club.count(QStringLiteral("me")), before);
}

TEST_F(InvoiceRecordsTest, NoReferenceFlagAndFeeSnapshot)
{
    const qint64 paid = club.member("Maksanut");
    club.db.execute(QStringLiteral("UPDATE jr SET jrJasenmaksu = 1 WHERE jrID = ?"), {Value(paid)});
    const qint64 unpaid = club.member("Maksamaton");
    const struct {
        qint64 member;
        bool noReference, fee;
        bool referenceNull;
        int snapshot;
    } cases[] = {
        {paid, true, true, true, 1},
        {paid, false, false, false, 0}, // not a fee invoice: nothing kept
        {unpaid, false, true, false, 0},
    };
    for (const auto& c : cases) {
        InvoiceRecord r = invoiceFor(c.member);
        r.noReference = c.noReference;
        r.feeInvoice = c.fee;
        const qint64 jmId = InvoiceRecords::CreateInvoiceRecord(club.db, r);
        EXPECT_EQ(club.field(QStringLiteral("SELECT jmViitenumero FROM jm WHERE jmID = ?"), {Value(jmId)}).isNull(),
                  c.referenceNull);
        EXPECT_EQ(club.field(QStringLiteral("SELECT jmjrJasenmaksu FROM jm WHERE jmID = ?"), {Value(jmId)}).toInt64(),
                  c.snapshot);
        EXPECT_EQ(club.field(QStringLiteral("SELECT jmJasMak FROM jm WHERE jmID = ?"), {Value(jmId)}).toInt64(),
                  c.fee ? 1 : 0);
    }
}

TEST_F(InvoiceRecordsTest, MissingMemberWritesNoInvoice)
{
    try {
        InvoiceRecords::CreateInvoiceRecord(club.db, invoiceFor(987654));
        FAIL() << "no member, no invoice";
    } catch (const DbException& e) {
        EXPECT_EQ(e.number(), DbErr::NoCurrentRecord);
    }
    EXPECT_EQ(club.count(QStringLiteral("jm")), 0);
}

TEST_F(InvoiceRecordsTest, RowWithAndWithoutPrice)
{
    InvoiceRecords::CreateInvoiceRow(club.db, 7, 8, 9, QDate(2027, 1, 15), Currency::fromRaw(123456),
                                     QStringLiteral("Rivi"));
    InvoiceRecords::CreateInvoiceRow(club.db, 7, 8, 9, QDate(2027, 1, 15), std::nullopt, QStringLiteral("Ilman hintaa"));
    EXPECT_EQ(club.count(QStringLiteral("jmRivi"),
                         QStringLiteral("jmRjrID = 7 AND jmRjmID = 8 AND jmRmeId = 9 AND jmRMaksettu = 0")),
              2);
    EXPECT_EQ(club.field(QStringLiteral("SELECT jmRHinta FROM jmRivi WHERE jmRTeksti = 'Rivi'")).toString(),
              QStringLiteral("12.3456"));
    EXPECT_TRUE(club.field(QStringLiteral("SELECT jmRHinta FROM jmRivi WHERE jmRTeksti = 'Ilman hintaa'")).isNull());
}

} // namespace
