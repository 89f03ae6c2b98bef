#include "CardTestDb.h"

#include "base/Currency.h"
#include "db/DbError.h"
#include "members/MemberInvoices.h"

#include <gtest/gtest.h>

namespace tikkeli {

using test::CardTestDb;

TEST(MemberInvoicesTest, ListIsOldestFirstWithAmountAndText)
{
    CardTestDb t;
    const qint32 m = t.addMember(QStringLiteral("Virtanen"));
    const qint32 other = t.addMember(QStringLiteral("Aho"));
    t.addInvoice(m, 1, QStringLiteral("13"), QDate(2025, 2, 1), Value(Currency::fromRaw(125000)),
                 Value(QStringLiteral("Vuosi")));
    t.addInvoice(m, 2, QStringLiteral("24"), QDate(2024, 2, 1), Value(Currency::fromUnits(30)), Value());
    t.addInvoice(other, 3, QStringLiteral("35"), QDate(2024, 1, 1), Value(Currency::fromUnits(1)), Value());

    const auto list = MemberInvoices::list(t.db(), m);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].line, QStringLiteral("30 - "));
    EXPECT_EQ(list[1].line, QStringLiteral("12,5 - Vuosi"));
    EXPECT_TRUE(MemberInvoices::list(t.db(), 999).empty());
}

TEST(MemberInvoicesTest, DetailsShowFlagsAsWords)
{
    CardTestDb t;
    const qint32 m = t.addMember(QStringLiteral("Virtanen"));
    const qint32 a = t.addInvoice(m, 1, QStringLiteral("13"), QDate(2025, 2, 1), Value(Currency::fromUnits(20)),
                                  Value(QStringLiteral("Maksu")));
    const qint32 b = t.addInvoice(m, 2, QStringLiteral("24"), QDate(2025, 2, 1), Value(), Value(), Value(true));
    t.db().execute(QStringLiteral("UPDATE jmhist SET jmhjmOtsake = 'Lasku', jmhjmLaskunumero = 1, "
                                  "jmhjmErapaiva = ?, jmhjmMaksettu = 1 WHERE jmhID = ?"),
                   {QDate(2025, 3, 1), a});
    auto d = MemberInvoices::details(t.db(), a);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->otsake, QStringLiteral("Lasku"));
    EXPECT_EQ(d->erapaiva, QStringLiteral("1.3.2025"));
    EXPECT_EQ(d->laskupaiva, QStringLiteral("1.2.2025"));
    EXPECT_EQ(d->laskunumero, QStringLiteral("1"));
    EXPECT_EQ(d->viitenumero, QStringLiteral("13"));
    EXPECT_EQ(d->hinta, QStringLiteral("20"));
    EXPECT_EQ(d->jasenmaksu, QStringLiteral("Ei"));
    EXPECT_EQ(d->maksettu, QStringLiteral("Kyllä"));
    d = MemberInvoices::details(t.db(), b);
    EXPECT_EQ(d->jasenmaksu, QStringLiteral("Kyllä"));
    EXPECT_EQ(d->maksettu, QStringLiteral("Ei"));
    EXPECT_TRUE(d->hinta.isEmpty());
    EXPECT_FALSE(MemberInvoices::details(t.db(), 999));
}

TEST(MemberInvoicesTest, MarkingFeeInvoiceSetsMemberFeeAndRows)
{
    CardTestDb t;
    const qint32 m = t.addMember(QStringLiteral("Virtanen"));
    const qint32 fee = t.addInvoice(m, 7, QStringLiteral("13"), QDate(2025, 2, 1), Value(), Value(), Value(true));
    const qint32 plain = t.addInvoice(m, 8, QStringLiteral("24"), QDate(2025, 2, 1), Value(), Value(), Value(false));
    for (int run : {7, 7, 8})
        t.db().execute(QStringLiteral("INSERT INTO jmRivi (jmRjmID) VALUES (?)"), {run});

    auto out = MemberInvoices::markPaid(t.db(), plain);
    EXPECT_TRUE(out.found);
    EXPECT_EQ(out.invoiceId, plain);
    EXPECT_EQ(out.feePaidMemberId, 0);
    EXPECT_FALSE(t.field(QStringLiteral("SELECT jrJasenmaksu FROM jr WHERE jrID = ?"), {m}).toBool());
    EXPECT_EQ(t.field(QStringLiteral("SELECT COUNT(*) FROM jmRivi WHERE jmRMaksettu = 1")).toInt64(), 1);

    out = MemberInvoices::markPaid(t.db(), fee);
    EXPECT_EQ(out.invoiceId, fee);
    EXPECT_EQ(out.feePaidMemberId, m);
    EXPECT_TRUE(t.field(QStringLiteral("SELECT jrJasenmaksu FROM jr WHERE jrID = ?"), {m}).toBool());
    EXPECT_EQ(t.field(QStringLiteral("SELECT COUNT(*) FROM jmRivi WHERE jmRMaksettu = 1")).toInt64(), 3);
    EXPECT_EQ(t.field(QStringLiteral("SELECT COUNT(*) FROM jmhist WHERE jmhjmMaksettu = 1")).toInt64(), 2);

    // Marking again asks nothing and changes nothing more.
    EXPECT_TRUE(MemberInvoices::markPaid(t.db(), fee).found);
}

TEST(MemberInvoicesTest, TheChosenInvoiceIsMarkedWhateverItsReference)
{
    CardTestDb t;
    const qint32 m = t.addMember(QStringLiteral("Virtanen"));
    // Empty, padded and shared references: each invoice is still the one marked when chosen.
    const qint32 empty = t.addInvoice(m, 1, QString(), QDate(2025, 2, 1), Value(), Value());
    const qint32 padded = t.addInvoice(m, 2, QStringLiteral("55 "), QDate(2025, 2, 1), Value(), Value());
    const qint32 sharedA = t.addInvoice(m, 3, QStringLiteral("66"), QDate(2024, 2, 1), Value(), Value());
    const qint32 sharedB = t.addInvoice(m, 4, QStringLiteral("66"), QDate(2025, 2, 1), Value(), Value(), Value(true));
    t.db().execute(QStringLiteral("UPDATE jmhist SET jmhjmViitenumero = NULL WHERE jmhID = ?"), {empty});
    const auto paid = [&](qint32 id) {
        return t.field(QStringLiteral("SELECT jmhjmMaksettu FROM jmhist WHERE jmhID = ?"), {id}).toBool();
    };
    for (qint32 id : {empty, padded, sharedB}) {
        const auto out = MemberInvoices::markPaid(t.db(), id);
        EXPECT_TRUE(out.found);
        EXPECT_EQ(out.invoiceId, id);
        EXPECT_TRUE(paid(id));
    }
    EXPECT_FALSE(paid(sharedA));
    EXPECT_EQ(t.field(QStringLiteral("SELECT COUNT(*) FROM jmhist WHERE jmhjmMaksettu = 1")).toInt64(), 3);
    EXPECT_FALSE(MemberInvoices::markPaid(t.db(), 999).found);
    EXPECT_FALSE(MemberInvoices::markPaid(t.db(), 0).found);
    EXPECT_EQ(MemberInvoices::notFoundMessage(QString()), QStringLiteral("Laskua viitenumerolla:  ei löydy."));
}

TEST(MemberInvoicesTest, MemberGoneStillMarksInvoice)
{
    CardTestDb t;
    const qint32 inv = t.addInvoice(4711, 1, QStringLiteral("13"), QDate(2025, 2, 1), Value(), Value(), Value(true));
    const auto out = MemberInvoices::markPaid(t.db(), inv);
    EXPECT_EQ(out.invoiceId, inv);
    EXPECT_EQ(out.feePaidMemberId, 0);
}

} // namespace tikkeli

namespace tikkeli {

TEST(MemberInvoicesTest, FailedMarkingLeavesNothingHalfDone)
{
    test::CardTestDb t;
    const qint32 m = t.addMember(QStringLiteral("Virtanen"));
    t.addInvoice(m, 7, QStringLiteral("13"), QDate(2025, 2, 1), Value(), Value(), Value(true));
    t.db().execute(QStringLiteral("INSERT INTO jmRivi (jmRjmID) VALUES (7)"));
    t.db().execute(QStringLiteral("CREATE TRIGGER estä BEFORE UPDATE ON jmRivi BEGIN SELECT RAISE(ABORT, 'lukittu'); END"));
    const qint32 inv = qint32(t.field(QStringLiteral("SELECT jmhID FROM jmhist")).toInt64());
    EXPECT_THROW(MemberInvoices::markPaid(t.db(), inv), DbException);
    EXPECT_FALSE(t.field(QStringLiteral("SELECT jrJasenmaksu FROM jr WHERE jrID = ?"), {m}).toBool());
    EXPECT_FALSE(t.field(QStringLiteral("SELECT jmhjmMaksettu FROM jmhist")).toBool());
    EXPECT_FALSE(t.db().inTransaction());
}

} // namespace tikkeli
