#include "InvoiceTestDb.h"

#include "base/ScriptedPrompter.h"
#include "db/DbError.h"
#include "db/Recordset.h"
#include "invoicing/AddressLabels.h"
#include "invoicing/HistoryRange.h"
#include "invoicing/InvoicePayments.h"
#include "invoicing/InvoicePrintOrder.h"
#include "invoicing/PaymentBookData.h"
#include "invoicing/cTarra.h"

#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

// The empty template club with a handful of history invoices of our own.
class PaymentsTest : public ::testing::Test {
protected:
    test::InvoiceTestDb club{test::InvoiceTestDb::Template};

    qint64 history(qint64 invoiceId, qint64 number, qint64 member, const QString& reference, bool paid, const Value& fee,
                   const QDate& date, const Value& name = {}, const Value& postcode = {})
    {
        club.db.execute(QStringLiteral("INSERT INTO jmhist (jmhjmID, jmhjmLaskunumero, jmhjmjrID, jmhjmViitenumero,"
                                       " jmhjmMaksettu, jmhjmJasMak, jmhjmLaskupaiva, jmhjmHinta, jmhjmLaskOsoite2,"
                                       " jmhjmLaskPostinumero) VALUES (?, ?, ?, ?, ?, ?, ?, 40, ?, ?)"),
                        {Value(invoiceId), Value(number), Value(member), Value(reference), Value(paid), fee, Value(date),
                         name, postcode});
        return club.db.lastInsertId();
    }
    void invoiceRows(qint64 invoiceId, int n)
    {
        for (int i = 0; i < n; ++i)
            club.db.execute(QStringLiteral("INSERT INTO jmRivi (jmRjmID, jmRHinta) VALUES (?, 10)"), {Value(invoiceId)});
    }
    bool paid(qint64 historyId)
    {
        return club.field(QStringLiteral("SELECT jmhjmMaksettu FROM jmhist WHERE jmhID = ?"), {Value(historyId)}).toBool();
    }
    QList<qint64> column(const QString& sql)
    {
        QList<qint64> out;
        Recordset rs = club.db.openRecordset(sql, RecordsetType::Snapshot);
        for (; !rs.eof(); rs.moveNext())
            out << rs.field(0).toInt64();
        return out;
    }
};

TEST_F(PaymentsTest, ReferenceLookupPrefersTheOldestUnpaidInvoice)
{
    const qint64 oldPaid = history(1, 101, 1, QStringLiteral("10014"), true, false, QDate(2024, 1, 1));
    const qint64 newer = history(2, 201, 1, QStringLiteral("10014"), false, false, QDate(2026, 1, 1));
    const qint64 older = history(3, 151, 1, QStringLiteral("10014"), false, false, QDate(2025, 1, 1));
    history(4, 202, 2, QStringLiteral("10027"), false, false, QDate(2026, 1, 1));
    EXPECT_EQ(InvoicePayments::FindHistoryByReference(club.db, QStringLiteral("10014")), older);
    ASSERT_TRUE(InvoicePayments::MarkReminderPaid(club.db, older));
    EXPECT_EQ(InvoicePayments::FindHistoryByReference(club.db, QStringLiteral("10014")), newer);
    ASSERT_TRUE(InvoicePayments::MarkReminderPaid(club.db, newer));
    // All paid: the oldest paid one is shown.
    EXPECT_EQ(InvoicePayments::FindHistoryByReference(club.db, QStringLiteral("10014")), oldPaid);
    EXPECT_EQ(InvoicePayments::FindHistoryByReference(club.db, QStringLiteral("99999")), std::nullopt);
    // A typed quote is a value like any other, never part of the statement.
    EXPECT_EQ(InvoicePayments::FindHistoryByReference(club.db, QStringLiteral("1' OR '1'='1")), std::nullopt);
}

TEST_F(PaymentsTest, MarkPaidMarksRowsAndTheFeeFlagOnlyForFeeInvoices)
{
    const qint64 alive = club.member(QStringLiteral("Aho"));
    const qint64 other = club.member(QStringLiteral("Berg"));
    club.db.execute(QStringLiteral("UPDATE jr SET jrJasenmaksu = False"));
    struct Case {
        const char* name;
        Value fee;
        qint64 member;
        bool feeFlagAfter;
    };
    const Case cases[] = {
        {"fee invoice", true, alive, true},
        {"not a fee invoice", false, other, false},
        {"fee invoice of a deleted member", true, 9999, false},
    };
    qint64 invoiceId = 10;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        club.db.execute(QStringLiteral("UPDATE jr SET jrJasenmaksu = False"));
        ++invoiceId;
        const qint64 h = history(invoiceId, invoiceId, c.member, QStringLiteral("1%1").arg(invoiceId), false, c.fee,
                                 QDate(2026, 1, 1));
        invoiceRows(invoiceId, 2);
        invoiceRows(invoiceId + 100, 1);
        EXPECT_TRUE(InvoicePayments::MarkReminderPaid(club.db, h));
        EXPECT_TRUE(paid(h));
        EXPECT_EQ(
            club.count(QStringLiteral("jmRivi"), QStringLiteral("jmRjmID = ? AND jmRMaksettu = True"), {Value(invoiceId)}),
            2);
        EXPECT_EQ(club.count(QStringLiteral("jmRivi"), QStringLiteral("jmRjmID = ? AND jmRMaksettu = True"),
                             {Value(invoiceId + 100)}),
                  0);
        EXPECT_EQ(club.count(QStringLiteral("jr"), QStringLiteral("jrJasenmaksu = True")), c.feeFlagAfter ? 1 : 0);
        // Marking again writes the same values.
        EXPECT_TRUE(InvoicePayments::MarkReminderPaid(club.db, h));
        EXPECT_TRUE(paid(h));
    }
    // An unknown id changes nothing and counts as done.
    EXPECT_TRUE(InvoicePayments::MarkReminderPaid(club.db, 424242));
}

TEST_F(PaymentsTest, MarkPaidIsAllOrNothingAndReportsTheFailure)
{
    const qint64 m = club.member(QStringLiteral("Aho"));
    club.db.execute(QStringLiteral("UPDATE jr SET jrJasenmaksu = False"));
    const qint64 h = history(5, 5, m, QStringLiteral("50"), false, true, QDate(2026, 1, 1));
    invoiceRows(5, 1);
    club.db.execute(
        QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON jmRivi BEGIN SELECT RAISE(ABORT, 'levy täynnä'); END"));
    ScriptedPrompter prompter;
    EXPECT_FALSE(InvoicePayments::MarkReminderPaid(club.db, h));
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_TRUE(prompter.shown()[0].text.startsWith(QStringLiteral("Virhe: ")));
    EXPECT_FALSE(paid(h));
    EXPECT_EQ(club.count(QStringLiteral("jr"), QStringLiteral("jrJasenmaksu = True")), 0);
}

TEST_F(PaymentsTest, DeleteInvoiceRowsTakesOnlyThatInvoice)
{
    const qint64 a = history(7, 7, 1, QStringLiteral("70"), true, false, QDate(2026, 1, 1));
    const qint64 b = history(8, 8, 1, QStringLiteral("80"), true, false, QDate(2026, 1, 1));
    invoiceRows(7, 3);
    invoiceRows(8, 2);
    EXPECT_TRUE(InvoicePayments::DeleteInvoiceRows(club.db, a));
    EXPECT_EQ(club.count(QStringLiteral("jmhist"), QStringLiteral("jmhID = ?"), {Value(a)}), 0);
    EXPECT_EQ(club.count(QStringLiteral("jmRivi"), QStringLiteral("jmRjmID = 7")), 0);
    EXPECT_EQ(club.count(QStringLiteral("jmRivi"), QStringLiteral("jmRjmID = 8")), 2);
    EXPECT_EQ(club.count(QStringLiteral("jmhist"), QStringLiteral("jmhID = ?"), {Value(b)}), 1);
    try {
        InvoicePayments::DeleteInvoiceRows(club.db, a);
        ADD_FAILURE() << "no error for a missing row";
    } catch (const DbException& e) {
        EXPECT_EQ(e.number(), DbErr::NoCurrentRecord);
    }
    EXPECT_EQ(club.count(QStringLiteral("jmRivi"), QStringLiteral("jmRjmID = 8")), 2);
}

TEST_F(PaymentsTest, DeletesOfTheBookKeepTheInvoiceRows)
{
    history(1, 1, 1, QStringLiteral("1"), true, false, QDate(2026, 1, 1));
    history(2, 2, 1, QStringLiteral("2"), false, false, QDate(2026, 1, 1));
    history(3, 3, 1, QStringLiteral("3"), true, false, QDate(2026, 1, 1));
    invoiceRows(1, 1);
    EXPECT_EQ(PaymentBookData::DeletePaidHistory(club.db), 2);
    EXPECT_EQ(column(QStringLiteral("SELECT jmhjmLaskunumero FROM jmhist")), QList<qint64>{2});
    EXPECT_EQ(PaymentBookData::DeleteAllHistory(club.db), 1);
    EXPECT_EQ(club.count(QStringLiteral("jmhist")), 0);
    EXPECT_EQ(club.count(QStringLiteral("jmRivi")), 1);
}

TEST_F(PaymentsTest, AddressBackFillFillsOnlyRowsWithoutAnAddress)
{
    const qint64 m = club.member(QStringLiteral("Äijälä"), QStringLiteral("Ülla"), QStringLiteral("Kuja 1"),
                                 QStringLiteral("00100"), QStringLiteral("HELSINKI"), QStringLiteral("1234567890"));
    const qint64 bare = history(1, 1, m, QStringLiteral("1"), false, false, QDate(2026, 1, 1));
    const qint64 kept = history(2, 2, m, QStringLiteral("2"), false, false, QDate(2026, 1, 1), QStringLiteral("Jo osoite"));
    const qint64 orphan = history(3, 3, 999, QStringLiteral("3"), false, false, QDate(2026, 1, 1));
    EXPECT_EQ(PaymentBookData::TarkistaJmHistOsoitteet(club.db), 1);
    Recordset rs = club.db.openRecordset(QStringLiteral("SELECT * FROM jmhist WHERE jmhID = ?"), RecordsetType::Snapshot,
                                         {Value(bare)});
    ASSERT_FALSE(rs.eof());
    EXPECT_TRUE(rs[QStringLiteral("jmhjmLaskOsoite1")].isNull());
    EXPECT_EQ(rs[QStringLiteral("jmhjmLaskOsoite2")].toString(), QStringLiteral("Äijälä Ülla"));
    EXPECT_EQ(rs[QStringLiteral("jmhjmLaskOsoite3")].toString(), QStringLiteral("Kuja 1"));
    EXPECT_EQ(rs[QStringLiteral("jmhjmLaskOsoite5")].toString(), QStringLiteral("00100 HELSINKI"));
    EXPECT_EQ(rs[QStringLiteral("jmhjmLaskPostinumero")].toString(), QStringLiteral("00100"));
    EXPECT_EQ(rs[QStringLiteral("jmhjmLaskJasennumero")].toString(), QStringLiteral("1234567890"));
    EXPECT_EQ(club.field(QStringLiteral("SELECT jmhjmLaskOsoite2 FROM jmhist WHERE jmhID = ?"), {Value(kept)}).toString(),
              QStringLiteral("Jo osoite"));
    EXPECT_TRUE(club.field(QStringLiteral("SELECT jmhjmLaskOsoite2 FROM jmhist WHERE jmhID = ?"), {Value(orphan)}).isNull());
    EXPECT_EQ(PaymentBookData::TarkistaJmHistOsoitteet(club.db), 0);
}

TEST_F(PaymentsTest, PrintOrderNumbersByNameOrPostcode)
{
    const qint64 c = history(1, 1, 1, QStringLiteral("1"), false, false, QDate(2026, 1, 1), QStringLiteral("Öberg Ö"),
                             QStringLiteral("00300"));
    const qint64 a = history(2, 2, 1, QStringLiteral("2"), false, false, QDate(2026, 1, 1), QStringLiteral("Aho A"),
                             QStringLiteral("90100"));
    const qint64 b = history(3, 3, 1, QStringLiteral("3"), false, false, QDate(2026, 1, 1), QStringLiteral("Lahti L"),
                             QStringLiteral("00300"));
    const QString byOrder = QStringLiteral("SELECT jmhID FROM jmhist ORDER BY jmhTulostusJarjestysID");
    InvoicePrintOrder::NumberReminderPrintOrder(club.db, 0);
    EXPECT_EQ(column(byOrder), (QList<qint64>{a, b, c}));
    EXPECT_EQ(column(QStringLiteral("SELECT jmhTulostusJarjestysID FROM jmhist ORDER BY 1")), (QList<qint64>{0, 1, 2}));
    for (int order : {1, 2}) {
        InvoicePrintOrder::NumberReminderPrintOrder(club.db, order);
        EXPECT_EQ(column(byOrder), (QList<qint64>{c, b, a})) << order; // same postcode: database order
    }

    const QString jm = QStringLiteral("INSERT INTO jm (jmLaskunumero, jmLaskOsoite2, jmLaskPostinumero) VALUES (?, ?, ?)");
    EXPECT_EQ(InvoicePrintOrder::CountInvoices(club.db), 0);
    InvoicePrintOrder::NumberInvoicePrintOrder(club.db, 0); // empty: nothing to do
    club.db.execute(jm, {1, QStringLiteral("Virtanen"), QStringLiteral("00100")});
    club.db.execute(jm, {2, QStringLiteral("Ahonen"), QStringLiteral("99999")});
    InvoicePrintOrder::NumberInvoicePrintOrder(club.db, 0);
    EXPECT_EQ(column(QStringLiteral("SELECT jmLaskunumero FROM jm ORDER BY jmTulostusJarjestysID")), (QList<qint64>{2, 1}));
    InvoicePrintOrder::NumberInvoicePrintOrder(club.db, 1);
    EXPECT_EQ(column(QStringLiteral("SELECT jmLaskunumero FROM jm ORDER BY jmTulostusJarjestysID")), (QList<qint64>{1, 2}));
    EXPECT_EQ(InvoicePrintOrder::CountInvoices(club.db), 2);
}

TEST_F(PaymentsTest, PrintMarksFollowTheRange)
{
    for (int n = 100; n <= 130; n += 5)
        history(n, n, 1, QString::number(n), n % 10 == 0, n == 110 ? Value(true) : Value(false), QDate(2026, 1, 1));
    struct Case {
        HistoryRange range;
        int marked;
    };
    const Case cases[] = {
        {{QString(), QString(), 0, 0}, 7},
        {{QStringLiteral("105"), QStringLiteral("120"), 0, 0}, 4},
        {{QStringLiteral("105"), QStringLiteral("120"), 1, 0}, 2},
        {{QStringLiteral("105"), QStringLiteral("120"), 2, 0}, 2},
        {{QString(), QString(), 0, 1}, 1},
        {{QString(), QString(), 0, 2}, 6},
        {{QStringLiteral("120"), QStringLiteral("105"), 0, 0}, 0},
    };
    for (const Case& c : cases) {
        Params p;
        const int n = InvoicePrintOrder::MarkRemindersForPrint(club.db, c.range.sqlCondition(p), p);
        EXPECT_EQ(n, c.marked) << c.range.LaskunroAlku.toStdString() << "-" << c.range.LaskunroLoppu.toStdString();
        EXPECT_EQ(club.count(QStringLiteral("jmhist"), QStringLiteral("jmhTulosta = True")), c.marked);
    }
    EXPECT_TRUE(InvoicePrintOrder::ClearReminderPrintMarks(club.db));
    EXPECT_EQ(club.count(QStringLiteral("jmhist"), QStringLiteral("jmhTulosta = True")), 0);
}

TEST(HistoryRangeTest, HeadingsAndSelections)
{
    struct Case {
        HistoryRange range;
        const char* title;
        const char* heading;
        const char* initial;
        const char* selection;
    };
    const Case cases[] = {
        {{"100", "120", 1, 0},
         "LASKUTUSLISTA",
         "LASKUTUSLISTA: 100 - 120 : Maksetut : Kaikki",
         "",
         "{jmhist.jmhjmMaksettu} = true and {jmhist.jmhjmLaskunumero} >= 100 and {jmhist.jmhjmLaskunumero} <= 120"},
        {{"", "120", 2, 1},
         "VIITELISTA",
         "VIITELISTA: - 120 : Maksamattomat : Jäsenmaksut",
         "",
         "{jmhist.jmhjmJasMak} = true and {jmhist.jmhjmMaksettu} = false and {jmhist.jmhjmLaskunumero} <= 120"},
        {{"7", "", 0, 2},
         "LASKUTUSLISTA / MUISTUTETUT",
         "LASKUTUSLISTA / MUISTUTETUT: 7 - : Kaikki : Muut",
         "{jmhist.jmhjmMaksettu} = False and {jmhist.jmhjmMuistutusNumero} > 0",
         "{jmhist.jmhjmMaksettu} = False and {jmhist.jmhjmMuistutusNumero} > 0 and {jmhist.jmhjmJasMak} = false and "
         "{jmhist.jmhjmLaskunumero} >= 7"},
        {{"", "", 0, 0}, "", "", "", ""},
        // A range end that is not a number never reaches the formula.
        {{"1 or 1=1", "", 0, 0}, "X", "X: 1 or 1=1 - : Kaikki : Kaikki", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.range.listHeading(QString::fromUtf8(c.title)), QString::fromUtf8(c.heading));
        EXPECT_EQ(c.range.listSelection(QString::fromUtf8(c.initial)), QString::fromUtf8(c.selection));
    }
}

TEST_F(PaymentsTest, LabelRowsOfOneLabel)
{
    cTarra t;
    t.setDbFileName(club.path);
    t.setRivi(0, QStringLiteral("ei"));
    t.setRivi(7, QStringLiteral("ei"));
    EXPECT_FALSE(t.changed());
    EXPECT_EQ(t.Rivi(0), QString());
    EXPECT_TRUE(t.Save(false)); // unchanged: nothing written
    EXPECT_EQ(club.count(QStringLiteral("Tarra")), 0);
    t.setRivi(1, QString(300, QLatin1Char('x')));
    t.setRivi(6, QStringLiteral("Kuusi"));
    EXPECT_EQ(t.Rivi(1).size(), 255);
    ASSERT_TRUE(t.Save(false));
    const qint64 id = t.id();
    EXPECT_GT(id, 0);
    EXPECT_EQ(club.count(QStringLiteral("Tarra"), QStringLiteral("Rivi6 = 'Kuusi' AND Rivi2 = ''")), 1);
    t.setRivi(6, QStringLiteral("muutettu"));
    t.Undo();
    EXPECT_EQ(t.Rivi(6), QStringLiteral("Kuusi"));

    cTarra read;
    read.setDbFileName(club.path);
    ASSERT_TRUE(read.Read(id));
    EXPECT_EQ(read.Rivi(6), QStringLiteral("Kuusi"));
    read.setRivi(2, QStringLiteral("Kaksi"));
    ASSERT_TRUE(read.Save(false));
    EXPECT_EQ(club.count(QStringLiteral("Tarra")), 1);
    EXPECT_FALSE(read.Read(id + 1));
    EXPECT_EQ(read.id(), 0);
    EXPECT_EQ(read.Rivi(6), QString());

    read.setIsEmpty(true);
    EXPECT_FALSE(read.Read(id));
    EXPECT_FALSE(read.Save(true));
    read.setIsEmpty(false);
    {
        cTarra pending;
        pending.setDbFileName(club.path);
        pending.setRivi(3, QStringLiteral("vapautettaessa"));
    }
    EXPECT_EQ(club.count(QStringLiteral("Tarra"), QStringLiteral("Rivi3 = 'vapautettaessa'")), 1);
    t.Delete();
    EXPECT_EQ(t.id(), 0);
    EXPECT_EQ(club.count(QStringLiteral("Tarra")), 1);
    cTarrat all;
    all.setDbFileName(club.path);
    all.DeleteAll();
    EXPECT_EQ(club.count(QStringLiteral("Tarra")), 0);
}

TEST_F(PaymentsTest, LabelTableFollowsThePrintOrderAndSkipsEmptyAddresses)
{
    history(1, 101, 1, QStringLiteral("1"), false, false, QDate(2026, 1, 1), QStringLiteral("Öberg"));
    history(2, 102, 1, QStringLiteral("2"), false, false, QDate(2026, 1, 1), QStringLiteral("Aho"));
    history(3, 103, 1, QStringLiteral("3"), false, false, QDate(2026, 1, 1)); // no address at all
    history(4, 104, 1, QStringLiteral("4"), true, false, QDate(2026, 1, 1), QStringLiteral("Maksanut"));
    club.db.execute(QStringLiteral("INSERT INTO Tarra (Rivi1) VALUES ('vanha')"));
    InvoicePrintOrder::NumberReminderPrintOrder(club.db, 0);
    HistoryRange unpaid{QString(), QString(), 2, 0};
    EXPECT_EQ(AddressLabels::PrepareLabels(club.db, unpaid), 2);
    QStringList names;
    Recordset rs = club.db.openRecordset(QStringLiteral("SELECT Rivi2 FROM Tarra ORDER BY Tarra_ID"),
                                         RecordsetType::Snapshot);
    for (; !rs.eof(); rs.moveNext())
        names << rs.field(0).toString();
    EXPECT_EQ(names, (QStringList{"Aho", "Öberg"}));
    EXPECT_EQ(club.count(QStringLiteral("jmhist"), QStringLiteral("jmhTulosta = True")), 3);
    HistoryRange none{QStringLiteral("500"), QString(), 0, 0};
    EXPECT_EQ(AddressLabels::PrepareLabels(club.db, none), 0);
    EXPECT_EQ(club.count(QStringLiteral("Tarra")), 0);
}

} // namespace

namespace {

// A write that fails part-way leaves everything as it was before it began.
TEST_F(PaymentsTest, MultiRowWritesAreAllOrNothing)
{
    for (int n = 1; n <= 4; ++n)
        history(n, n, 1, QString::number(n), n == 4, false, QDate(2026, 1, 1), QStringLiteral("Nimi %1").arg(n));
    InvoicePrintOrder::NumberReminderPrintOrder(club.db, 1);
    const QList<qint64> before = column(QStringLiteral("SELECT jmhTulostusJarjestysID FROM jmhist ORDER BY jmhID"));
    club.db.execute(QStringLiteral("UPDATE jmhist SET jmhTulosta = True WHERE jmhjmLaskunumero = 4"));
    club.db.execute(QStringLiteral("INSERT INTO Tarra (Rivi1) VALUES ('edellinen')"));

    club.db.execute(QStringLiteral("CREATE TRIGGER third BEFORE UPDATE OF jmhTulostusJarjestysID ON jmhist"
                                   " WHEN NEW.jmhTulostusJarjestysID = 2 BEGIN SELECT RAISE(ABORT, 'levy täynnä'); END"));
    EXPECT_THROW(InvoicePrintOrder::NumberReminderPrintOrder(club.db, 0), DbException);
    EXPECT_EQ(column(QStringLiteral("SELECT jmhTulostusJarjestysID FROM jmhist ORDER BY jmhID")), before);

    club.db.execute(QStringLiteral("CREATE TRIGGER secondLabel BEFORE INSERT ON Tarra WHEN NEW.Rivi2 = 'Nimi 2'"
                                   " BEGIN SELECT RAISE(ABORT, 'levy täynnä'); END"));
    EXPECT_THROW(AddressLabels::PrepareLabels(club.db, HistoryRange{QString(), QString(), 2, 0}), DbException);
    EXPECT_EQ(column(QStringLiteral("SELECT jmhjmLaskunumero FROM jmhist WHERE jmhTulosta = True")), QList<qint64>{4});
    EXPECT_EQ(club.count(QStringLiteral("Tarra"), QStringLiteral("Rivi1 = 'edellinen'")), 1);
    EXPECT_EQ(club.count(QStringLiteral("Tarra")), 1);
}

} // namespace
