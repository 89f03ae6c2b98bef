#include "InvoiceTestDb.h"

#include "invoicing/InvoiceNumbering.h"

#include <gtest/gtest.h>
#include <optional>

using namespace tikkeli;

namespace {

class InvoiceNumberingTest : public ::testing::Test {
protected:
    test::InvoiceTestDb club{test::InvoiceTestDb::Template};

    void invoice(qint32 number)
    {
        club.db.execute(QStringLiteral("INSERT INTO jm (jmjrID, jmLaskunumero) VALUES (1, ?)"), {Value(number)});
    }
    void historyInvoice(qint32 number, qint64 jmId = 1)
    {
        club.db.execute(QStringLiteral("INSERT INTO jmhist (jmhjmID, jmhjmLaskunumero) VALUES (?, ?)"),
                        {Value(jmId), Value(number)});
    }
    void row(qint64 jmId)
    {
        club.db.execute(QStringLiteral("INSERT INTO jmRivi (jmRjmID, jmRTeksti) VALUES (?, 'rivi')"), {Value(jmId)});
    }
    void setSequence(qint64 seq)
    {
        club.db.execute(QStringLiteral("DELETE FROM sqlite_sequence WHERE name = 'jm'"));
        club.db.execute(QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES ('jm', ?)"), {Value(seq)});
    }
};

TEST_F(InvoiceNumberingTest, LargestNumberLooksAtHistoryAndCurrentInvoices)
{
    const struct {
        std::optional<qint32> history, current;
        qint32 largest;
    } cases[] = {
        {std::nullopt, std::nullopt, 0}, {57, 40, 57}, {40, 57, 57}, {std::nullopt, 5, 5}, {9, std::nullopt, 9},
    };
    for (const auto& c : cases) {
        club.db.execute(QStringLiteral("DELETE FROM jm"));
        club.db.execute(QStringLiteral("DELETE FROM jmhist"));
        if (c.history)
            historyInvoice(*c.history);
        if (c.current)
            invoice(*c.current);
        EXPECT_EQ(InvoiceNumbering::LargestInvoiceNumber(club.db), c.largest)
            << c.history.value_or(-1) << " " << c.current.value_or(-1);
    }
}

TEST_F(InvoiceNumberingTest, SampleClubLargestNumberIsBelowItsCounter)
{
    test::InvoiceTestDb sample;
    EXPECT_EQ(InvoiceNumbering::LargestInvoiceNumber(sample.db), 2122);
    EXPECT_EQ(sample.storedCounter(), 2123);
}

TEST_F(InvoiceNumberingTest, SeedRisesAboveRowsAndHistoryButNeverFalls)
{
    const struct {
        const char* name;
        std::optional<qint64> sequence; // nullopt: the table never had a row
        qint64 largestRowInvoice;       // 0: no rows
        qint64 largestHistoryInvoice;   // 0: no history
        qint64 next;
    } cases[] = {
        {"empty tables", std::nullopt, 0, 0, 1},
        {"rows above the sequence", 99, 120, 0, 121},
        {"rows of a never-used table", std::nullopt, 120, 0, 121},
        {"sequence already above", 200, 120, 0, 201},
        {"history invoice without rows", 99, 50, 150, 151},
        {"sequence equal to the rows", 120, 120, 0, 121},
    };
    for (const auto& c : cases) {
        club.db.execute(QStringLiteral("DELETE FROM jmRivi"));
        club.db.execute(QStringLiteral("DELETE FROM jmhist"));
        club.db.execute(QStringLiteral("DELETE FROM jm"));
        club.db.execute(QStringLiteral("DELETE FROM sqlite_sequence WHERE name = 'jm'"));
        if (c.sequence)
            setSequence(*c.sequence);
        if (c.largestRowInvoice)
            row(c.largestRowInvoice);
        if (c.largestHistoryInvoice)
            historyInvoice(1, c.largestHistoryInvoice);
        InvoiceNumbering::AdvanceInvoiceIdSeed(club.db);
        EXPECT_EQ(InvoiceNumbering::NextInvoiceId(club.db), c.next) << c.name;
        invoice(1);
        EXPECT_EQ(club.db.lastInsertId(), c.next) << c.name << ": the database hands out what was promised";
    }
}

TEST_F(InvoiceNumberingTest, SeedHoldsAfterInvoicesAreDeleted)
{
    // Invoices 1..3 with rows; deleting the invoices leaves their rows behind.
    for (int i = 0; i < 3; ++i) {
        invoice(10 + i);
        row(club.db.lastInsertId());
    }
    club.db.execute(QStringLiteral("DELETE FROM jm"));
    club.db.execute(QStringLiteral("UPDATE sqlite_sequence SET seq = 1 WHERE name = 'jm'")); // as a repair might leave it
    InvoiceNumbering::AdvanceInvoiceIdSeed(club.db);
    invoice(20);
    EXPECT_EQ(club.db.lastInsertId(), 4);
    EXPECT_EQ(club.count(QStringLiteral("jmRivi"), QStringLiteral("jmRjmID = 4")), 0);
}

} // namespace
