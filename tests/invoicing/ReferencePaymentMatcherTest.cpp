#include "invoicing/ReferencePaymentMatcher.h"

#include "InvoiceTestDb.h"
#include "base/ScriptedPrompter.h"

#include <gtest/gtest.h>

using namespace tikkeli;
using tikkeli::test::InvoiceTestDb;
using Outcome = ReferencePaymentMatcher::Outcome;

namespace {

class ReferencePaymentMatcherTest : public ::testing::Test {
protected:
    qint64 history(const QString& reference, const char* price, qint64 memberId, bool paid = false)
    {
        t.db.execute(
            QStringLiteral(
                "INSERT INTO jmhist (jmhjmViitenumero, jmhjmHinta, jmhjmjrID, jmhjmMaksettu) VALUES (?, ?, ?, ?)"),
            {Value(reference), Value(Currency::parse(QString::fromLatin1(price)).value()), Value(memberId), Value(paid)});
        return t.db.lastInsertId();
    }
    static ReferencePaymentBatch batch(std::initializer_list<ReferencePayment> payments)
    {
        ReferencePaymentBatch b;
        b.Payments = payments;
        return b;
    }
    static ReferencePayment pay(const char* reference, const char* cents, const char* name = "Maksaja")
    {
        return {QString::fromLatin1(reference), QString::fromUtf8(name), QString::fromLatin1(cents), {}, {}};
    }

    struct Case {
        ReferencePayment payment;
        Outcome outcome;
        qint64 id;
        QString text;
    };
    // Each payment matched alone.
    template <std::size_t N>
    void expectEach(const Case (&cases)[N])
    {
        for (const Case& c : cases) {
            const auto result = ReferencePaymentMatcher(t.db).match(batch({c.payment}));
            ASSERT_EQ(result.size(), 1u);
            EXPECT_EQ(result[0].outcome, c.outcome) << c.text.toStdString();
            EXPECT_EQ(result[0].historyId, c.id) << c.text.toStdString();
            EXPECT_EQ(result[0].text, c.text);
        }
    }

    InvoiceTestDb t{InvoiceTestDb::Template};
    qint64 member = t.member(QStringLiteral("Virtanen"), QStringLiteral("Ville"));
};

TEST_F(ReferencePaymentMatcherTest, SortsPaymentsIntoArrivedUnknownMemberGoneAndWrongSum)
{
    const qint64 exact = history(QStringLiteral("12345"), "12,34", member);
    const qint64 lower = history(QStringLiteral("1232"), "12,30", member);
    const qint64 orphan = history(QStringLiteral("1245"), "10,00", member + 999);
    const Case cases[] = {
        {pay("00000000000000012345", "1234", "Äijälä"), Outcome::Arrived, exact, QStringLiteral("12,34 - 12345 - Äijälä")},
        {pay("00000000000000001232", "1234"), Outcome::WrongSum, lower, QStringLiteral("Summa: 12,34 - 1232 - Maksaja")},
        {pay("00000000000000099998", "5"), Outcome::ReferenceNotFound, -1,
         QStringLiteral("Viitettä ei löydy: 0,05 - 99998 - Maksaja")},
        {pay("00000000000000001245", "1000"), Outcome::MemberMissing, orphan,
         QStringLiteral("Henkilö: 10,00 - 1245 - Maksaja")},
        {pay("      000 123 45     ", "1234"), Outcome::Arrived, exact, QStringLiteral("12,34 - 12345 - Maksaja")},
        {pay("RF78 1234 5", "1234"), Outcome::Arrived, exact, QStringLiteral("12,34 - 12345 - Maksaja")},
        {pay("RF77 1234 5", "1234"), Outcome::ReferenceNotFound, -1,
         QStringLiteral("Viitettä ei löydy: 12,34 - RF7712345 - Maksaja")},
    };
    expectEach(cases);
}

TEST_F(ReferencePaymentMatcherTest, RepeatedPersonalReferencePrefersTheUnpaidInvoiceOfTheSum)
{
    const qint64 paidOld = history(QStringLiteral("5553"), "20,00", member, true);
    const qint64 unpaidOld = history(QStringLiteral("5553"), "20,00", member);
    const qint64 unpaidOther = history(QStringLiteral("5553"), "35,00", member);
    const qint64 unpaidNew = history(QStringLiteral("5553"), "20,00", member);
    const auto result = ReferencePaymentMatcher(t.db).match(
        batch({pay("5553", "3500"), pay("5553", "2000"), pay("5553", "2000"), pay("5553", "1500")}));
    ASSERT_EQ(result.size(), 4u);
    EXPECT_EQ(result[0].historyId, unpaidOther);
    EXPECT_EQ(result[0].outcome, Outcome::Arrived);
    // Two payments of the same sum go to two different open invoices, oldest first.
    EXPECT_EQ(result[1].historyId, unpaidOld);
    EXPECT_EQ(result[2].historyId, unpaidNew);
    EXPECT_EQ(result[2].outcome, Outcome::Arrived);
    // A sum that fits nothing is checked against the oldest unpaid invoice, never a paid one.
    EXPECT_NE(result[3].historyId, paidOld);
    EXPECT_EQ(result[3].outcome, Outcome::WrongSum);
}

TEST_F(ReferencePaymentMatcherTest, AReferenceHoldingQuotesOrSqlIsOnlyAValue)
{
    history(QStringLiteral("12345"), "1,00", member);
    const auto result = ReferencePaymentMatcher(t.db).match(batch({pay("1' OR '1'='1", "100"), pay("\"12345\"]", "100")}));
    ASSERT_EQ(result.size(), 2u);
    EXPECT_EQ(result[0].outcome, Outcome::ReferenceNotFound);
    EXPECT_EQ(result[1].outcome, Outcome::ReferenceNotFound);
    EXPECT_EQ(t.count(QStringLiteral("jmhist")), 1);
}

TEST(FormatCentsTest, AlwaysTwoDecimalsAfterTheDecimalComma)
{
    const std::pair<qint64, const char*> cases[] = {
        {0, "0,00"}, {5, "0,05"},  {45, "0,45"},    {100, "1,00"}, {12345, "123,45"}, {9999999999, "99999999,99"},
        {1, "0,01"}, {10, "0,10"}, {1000, "10,00"}, {-5, "-0,05"}, {-50, "-0,50"},    {-1234, "-12,34"},
    };
    for (const auto& [cents, text] : cases)
        EXPECT_EQ(ReferencePaymentMatcher::FormatCents(cents), QString::fromLatin1(text));
}

TEST_F(ReferencePaymentMatcherTest, ReminderTotalsPaidInvoicesAndStoredReferencesAsTyped)
{
    // Reminded: 45,50 with fee and interest 53,7479, which the reminder's bar code carries as 53,75.
    const qint64 reminded = history(QStringLiteral("21238"), "45,50", member);
    t.db.execute(QStringLiteral("UPDATE jmhist SET jmhjmMuistutusYhteensa = 53.7479 WHERE jmhID = ?"), {Value(reminded)});
    const qint64 paid = history(QStringLiteral("21241"), "45,50", member, true);
    // Personal references stored as typed on the member card.
    const qint64 blanks = history(QStringLiteral("1234 5672 0"), "20,00", member);
    const qint64 zeros = history(QStringLiteral("00020242"), "20,00", member);
    const Case cases[] = {
        {pay("00000000000000021238", "5375"), Outcome::Arrived, reminded, QStringLiteral("53,75 - 21238 - Maksaja")},
        {pay("00000000000000021238", "4550"), Outcome::Arrived, reminded, QStringLiteral("45,50 - 21238 - Maksaja")},
        {pay("00000000000000021238", "5374"), Outcome::WrongSum, reminded, QStringLiteral("Summa: 53,74 - 21238 - Maksaja")},
        {pay("00000000000000021241", "4550"), Outcome::AlreadyPaid, paid,
         QStringLiteral("Jo maksettu: 45,50 - 21241 - Maksaja")},
        {pay("00000000000000021241", "100"), Outcome::AlreadyPaid, paid,
         QStringLiteral("Jo maksettu: 1,00 - 21241 - Maksaja")},
        {pay("00000000000123456720", "2000"), Outcome::Arrived, blanks, QStringLiteral("20,00 - 123456720 - Maksaja")},
        {pay("00000000000000020242", "2000"), Outcome::Arrived, zeros, QStringLiteral("20,00 - 20242 - Maksaja")},
    };
    expectEach(cases);

    // The same payment twice in one file: the second is the treasurer's to check.
    const auto twice = ReferencePaymentMatcher(t.db).match(batch({pay("21238", "4550"), pay("21238", "4550")}));
    ASSERT_EQ(twice.size(), 2u);
    EXPECT_EQ(twice[0].outcome, Outcome::Arrived);
    EXPECT_EQ(twice[1].outcome, Outcome::AlreadyPaid);

    // Read again after marking: nothing arrives a second time.
    ASSERT_TRUE(ReferencePaymentMatcher::markPaid(t.db, {reminded, blanks}, false));
    for (const auto& m : ReferencePaymentMatcher(t.db).match(batch({pay("21238", "5375"), pay("123456720", "2000")})))
        EXPECT_EQ(m.outcome, Outcome::AlreadyPaid) << m.text.toStdString();
}

} // namespace

namespace {

class ReferencePaymentMarkingTest : public ::testing::Test {
protected:
    // A history invoice with two rows; fee invoices mark their member's fee paid.
    qint64 invoice(qint64 invoiceId, qint64 memberId, bool fee)
    {
        t.db.execute(QStringLiteral("INSERT INTO jmhist (jmhjmID, jmhjmViitenumero, jmhjmHinta, jmhjmjrID, jmhjmJasMak) "
                                    "VALUES (?, '12345', 10, ?, ?)"),
                     {Value(invoiceId), Value(memberId), Value(fee)});
        const qint64 id = t.db.lastInsertId();
        for (int k = 0; k < 2; ++k)
            t.db.execute(QStringLiteral("INSERT INTO jmRivi (jmRjmID, jmRMaksettu) VALUES (?, 0)"), {Value(invoiceId)});
        return id;
    }
    InvoiceTestDb t{InvoiceTestDb::Template};
    qint64 member = t.member(QStringLiteral("Virtanen"));
};

TEST_F(ReferencePaymentMarkingTest, MarksEveryChosenInvoiceAndItsRowsPaid)
{
    const qint64 a = invoice(501, member, true), b = invoice(502, member, false), c = invoice(503, member, false);
    const qint64 untouched = invoice(504, member, false);
    ASSERT_TRUE(ReferencePaymentMatcher::markPaid(t.db, {a, b, c}, false));
    EXPECT_EQ(t.count(QStringLiteral("jmhist"), QStringLiteral("jmhjmMaksettu = 1")), 3);
    EXPECT_EQ(t.count(QStringLiteral("jmRivi"), QStringLiteral("jmRMaksettu = 1")), 6);
    EXPECT_EQ(t.count(QStringLiteral("jmhist"), QStringLiteral("jmhID = ? AND jmhjmMaksettu = 0"), {Value(untouched)}), 1);
    EXPECT_EQ(t.count(QStringLiteral("jr"), QStringLiteral("jrID = ? AND jrJasenmaksu = 1"), {Value(member)}), 1);
}

TEST_F(ReferencePaymentMarkingTest, DeletingPaidInvoicesTakesTheirRowsOnly)
{
    const qint64 a = invoice(601, member, false), b = invoice(602, member, false), c = invoice(603, member, false);
    invoice(604, member, false);
    ASSERT_TRUE(ReferencePaymentMatcher::markPaid(t.db, {a, b, c}, true));
    EXPECT_EQ(t.count(QStringLiteral("jmhist")), 1);
    EXPECT_EQ(t.count(QStringLiteral("jmRivi"), QStringLiteral("jmRjmID IN (601, 602, 603)")), 0);
    EXPECT_EQ(t.count(QStringLiteral("jmRivi"), QStringLiteral("jmRjmID = 604")), 2);
}

TEST_F(ReferencePaymentMarkingTest, AFailureAtTheLastStatementLeavesEveryInvoiceAsItWas)
{
    const struct {
        bool deletePaid;
        const char* trigger; // fails the marking's last statement, on the last invoice
    } cases[] = {
        {false, "CREATE TRIGGER refuse BEFORE UPDATE ON jmRivi WHEN OLD.jmRjmID = 702 BEGIN SELECT"
                " RAISE(ABORT, 'levy täynnä'); END"},
        {true, "CREATE TRIGGER refuse BEFORE DELETE ON jmhist WHEN OLD.jmhjmID = 702 BEGIN SELECT"
               " RAISE(ABORT, 'levy täynnä'); END"},
    };
    const qint64 a = invoice(701, member, true), b = invoice(702, member, false);
    t.db.execute(QStringLiteral("UPDATE jr SET jrJasenmaksu = 0"));
    for (const auto& c : cases) {
        t.db.execute(QString::fromUtf8(c.trigger));
        tikkeli::ScriptedPrompter prompter;
        EXPECT_FALSE(ReferencePaymentMatcher::markPaid(t.db, {a, b}, c.deletePaid)) << c.deletePaid;
        t.db.execute(QStringLiteral("DROP TRIGGER refuse"));
        EXPECT_EQ(t.count(QStringLiteral("jmhist")), 2) << c.deletePaid;
        EXPECT_EQ(t.count(QStringLiteral("jmhist"), QStringLiteral("jmhjmMaksettu = 1")), 0) << c.deletePaid;
        EXPECT_EQ(t.count(QStringLiteral("jmRivi"), QStringLiteral("jmRjmID IN (701, 702)")), 4) << c.deletePaid;
        EXPECT_EQ(t.count(QStringLiteral("jmRivi"), QStringLiteral("jmRMaksettu = 1")), 0) << c.deletePaid;
        EXPECT_EQ(t.count(QStringLiteral("jr"), QStringLiteral("jrJasenmaksu = 1")), 0) << c.deletePaid;
        EXPECT_FALSE(t.db.inTransaction()) << c.deletePaid;
        ASSERT_FALSE(prompter.shown().empty());
        EXPECT_TRUE(prompter.shown().back().text.startsWith(QStringLiteral("Virhe: ")));
    }
}

} // namespace
