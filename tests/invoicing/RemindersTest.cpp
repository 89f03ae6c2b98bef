#include "InvoiceTestDb.h"

#include "base/SharedState.h"
#include "invoicing/Reminders.h"

#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

Currency money(const char* text)
{
    return *Currency::parse(QString::fromLatin1(text));
}

TEST(ReminderInterest, ExactDecimalsRoundedOnceHalfToEven)
{
    struct Case {
        const char* open;
        qint32 days;
        double rate;
        const char* expected;
    };
    const Case cases[] = {
        {"100.00", 30, 8.0, "0.6575"},
        {"250.00", 45, 10.5, "3.2363"},
        {"45.50", 1, 7.25, "0.0090"},
        {"1000.00", 365, 8.0, "80.0000"},
        {"1.825", 1, 1.0, "0.0000"}, // 0.00005: a half, to the even 0
        {"5.475", 1, 1.0, "0.0002"}, // 0.00015: a half, to the even 2
        {"9.125", 1, 1.0, "0.0002"}, // 0.00025: a half, to the even 2
        {"100.00", 0, 8.0, "0"},     // due today
        {"100.00", -10, 8.0, "0"},   // not yet due: no negative interest
        {"0", 30, 8.0, "0"},
        {"100.00", 30, 0.0, "0"},
        {"100.00", 40000, 8.0, "876.7123"}, // more days than 16 bits hold
    };
    for (const Case& c : cases)
        EXPECT_EQ(Reminders::Interest(money(c.open), c.days, c.rate), money(c.expected))
            << c.open << " " << c.days << " " << c.rate;
}

TEST(ReminderInterest, DaysFromTheDueDate)
{
    const QDate today(2027, 3, 17);
    EXPECT_EQ(Reminders::DaysOverdue(Value(QDate(2027, 2, 15)), today), 30);
    EXPECT_EQ(Reminders::DaysOverdue(Value(QDate(2027, 3, 17)), today), 0);
    EXPECT_EQ(Reminders::DaysOverdue(Value(QDateTime(QDate(2027, 3, 16), QTime(23, 59))), today), 1);
    EXPECT_EQ(Reminders::DaysOverdue(Value(QDate(2027, 4, 1)), today), -15);
    EXPECT_EQ(Reminders::DaysOverdue(Value(), today), 0);
    EXPECT_EQ(Reminders::DaysOverdue(Value(QDate(1900, 1, 1)), today), 46461);
}

class RemindersDbTest : public ::testing::Test {
protected:
    test::InvoiceTestDb club;
    const QDate today{2027, 3, 17};

    void SetUp() override
    {
        State().ReminderFee = money("5.00");
        State().LateInterestRate = 8.0;
        State().ReminderTitle = QStringLiteral("Maksumuistutus");
    }

    qint64 historyRow(qint32 number, const char* total, const Value& due, bool paid = false)
    {
        club.db.execute(QStringLiteral("INSERT INTO jmhist (jmhjmID, jmhjmErapaiva, jmhjmLaskunumero, jmhjmHinta,"
                                       " jmhjmMaksettu, jmhjmOtsake, jmhjmjrID) VALUES (0, ?, ?, ?, ?, 'Jäsenmaksu', 1)"),
                        {due, Value(number), Value(money(total)), Value(paid)});
        return club.db.lastInsertId();
    }
    Value field(qint64 id, const char* name)
    {
        return club.field(QStringLiteral("SELECT ") + QLatin1String(name) + QStringLiteral(" FROM jmhist WHERE jmhID = ?"),
                          {Value(id)});
    }
};

TEST_F(RemindersDbTest, WorkedExampleAndASecondRunOnTheSameDay)
{
    const qint64 id = historyRow(9001, "100.00", Value(today.addDays(-30)));
    for (int run = 1; run <= 2; ++run) {
        Reminders::CreateReminder(club.db, id, today);
        EXPECT_EQ(field(id, "jmhjmAvoinSumma").toCurrency(), money("100"));
        EXPECT_EQ(field(id, "jmhjmMuistutusKulut").toCurrency(), money("5"));
        EXPECT_DOUBLE_EQ(field(id, "jmhjmMuistutusKorko").toDouble(), 8.0);
        EXPECT_EQ(field(id, "jmhjmMuistutusKorkoSumma").toCurrency(), money("0.6575"));
        EXPECT_EQ(field(id, "jmhjmMuistutusYhteensa").toCurrency(), money("105.6575"));
        EXPECT_EQ(field(id, "jmhjmMuistutusNumero").toInt64(), run);
        EXPECT_EQ(field(id, "jmhjmMuistutusOtsake").toString(), QStringLiteral("Maksumuistutus"));
        EXPECT_EQ(field(id, "jmhjmMuistutusPaiva").toDateTime(), QDateTime(today, QTime(0, 0)));
    }
}

TEST_F(RemindersDbTest, PaymentsDueDatesAndMissingRows)
{
    const qint64 partlyPaid = historyRow(9001, "250.00", Value(today.addDays(-45)));
    club.db.execute(QStringLiteral("INSERT INTO Suoritukset (Paiva, jmhID, Summa) VALUES ('2027-03-01 00:00:00', ?, 100),"
                                   " ('2027-03-02 00:00:00', ?, NULL), ('2027-03-03 00:00:00', ?, 50.25)"),
                    {Value(partlyPaid), Value(partlyPaid), Value(partlyPaid)});
    const qint64 notYetDue = historyRow(9002, "100.00", Value(today.addDays(10)));
    const qint64 dueToday = historyRow(9003, "100.00", Value(today));
    const qint64 noDueDate = historyRow(9004, "100.00", Value());
    const qint64 ancient = historyRow(9005, "100.00", Value(QDate(1900, 1, 1)));
    for (qint64 id : {partlyPaid, notYetDue, dueToday, noDueDate, ancient})
        Reminders::CreateReminder(club.db, id, today);
    EXPECT_EQ(field(partlyPaid, "jmhjmAvoinSumma").toCurrency(), money("99.75"));
    // 99.75 x 45 x 8 / 36500 = 0.98383...
    EXPECT_EQ(field(partlyPaid, "jmhjmMuistutusKorkoSumma").toCurrency(), money("0.9838"));
    EXPECT_EQ(field(partlyPaid, "jmhjmMuistutusYhteensa").toCurrency(), money("105.7338"));
    for (qint64 id : {notYetDue, dueToday, noDueDate}) {
        EXPECT_EQ(field(id, "jmhjmMuistutusKorkoSumma").toCurrency(), Currency()) << id;
        EXPECT_EQ(field(id, "jmhjmMuistutusYhteensa").toCurrency(), money("105")) << id;
        EXPECT_EQ(field(id, "jmhjmMuistutusNumero").toInt64(), 1) << id;
    }
    EXPECT_EQ(field(ancient, "jmhjmMuistutusKorkoSumma").toCurrency(), money("1018.3233"));
    // A row that is gone: nothing written, nothing thrown.
    EXPECT_NO_THROW(Reminders::CreateReminder(club.db, 999999, today));
}

// The range run reads every invoice's payments in one pass; each invoice must still get exactly its
// own payments, as a reminder written one invoice at a time does.
TEST_F(RemindersDbTest, ARangeRunCountsEachInvoicesOwnPaymentsAsOneByOneDoes)
{
    const QDate due = today.addDays(-30);
    const struct {
        qint32 number;
        std::vector<const char*> payments; // nullptr: a row without a sum
        const char* open;
    } cases[] = {
        {9001, {}, "100.00"},
        {9002, {"40.00"}, "60.00"},
        {9003, {"10.00", nullptr, "0.25"}, "89.75"},
        {9004, {"100.00", "20.00"}, "-20.00"},
    };
    std::vector<qint64> ids;
    for (const auto& c : cases) {
        ids.push_back(historyRow(c.number, "100.00", Value(due)));
        for (const char* p : c.payments)
            club.db.execute(QStringLiteral("INSERT INTO Suoritukset (jmhID, Summa) VALUES (?, ?)"),
                            {Value(ids.back()), p ? Value(money(p)) : Value()});
    }
    // Payments on invoices outside the run must not leak into it.
    const qint64 outside = historyRow(9100, "100.00", Value(due));
    const qint64 paid = historyRow(9005, "100.00", Value(due), true);
    for (qint64 other : {outside, paid, qint64(0)})
        club.db.execute(QStringLiteral("INSERT INTO Suoritukset (jmhID, Summa) VALUES (?, 7)"), {Value(other)});
    club.db.execute(QStringLiteral("INSERT INTO Suoritukset (jmhID, Summa) VALUES (NULL, 7)"));

    EXPECT_EQ(Reminders::CreateReminders(club.db, {9001, 9005}, today), int(std::size(cases)));
    std::vector<Value> fromRange;
    for (size_t i = 0; i < ids.size(); ++i) {
        EXPECT_EQ(field(ids[i], "jmhjmAvoinSumma").toCurrency(), money(cases[i].open)) << cases[i].number;
        fromRange.push_back(field(ids[i], "jmhjmMuistutusYhteensa"));
    }
    for (size_t i = 0; i < ids.size(); ++i) {
        Reminders::CreateReminder(club.db, ids[i], today);
        EXPECT_EQ(field(ids[i], "jmhjmMuistutusYhteensa").toCurrency(), fromRange[i].toCurrency()) << cases[i].number;
    }
    EXPECT_TRUE(field(outside, "jmhjmAvoinSumma").isNull());
}

TEST_F(RemindersDbTest, ARangeRemindsItsUnpaidInvoicesAndMarksExactlyThem)
{
    club.db.execute(QStringLiteral("UPDATE jmhist SET jmhTulosta = 1"));
    const QDate due = today.addDays(-1);
    const qint64 a = historyRow(9001, "10.00", Value(due));
    const qint64 paid = historyRow(9002, "10.00", Value(due), true);
    const qint64 b = historyRow(9003, "10.00", Value(due));
    const qint64 outside = historyRow(9004, "10.00", Value(due));
    EXPECT_EQ(Reminders::CreateReminders(club.db, {9001, 9003}, today), 2);
    EXPECT_EQ(club.count(QStringLiteral("jmhist"), QStringLiteral("jmhTulosta = 1")), 2);
    for (qint64 id : {a, b}) {
        EXPECT_EQ(field(id, "jmhTulosta").toInt64(), 1);
        EXPECT_EQ(field(id, "jmhjmMuistutusNumero").toInt64(), 1);
    }
    for (qint64 id : {paid, outside})
        EXPECT_TRUE(field(id, "jmhjmMuistutusNumero").isNull());
    // Open ends.
    EXPECT_EQ(Reminders::CreateReminders(club.db, {9003, std::nullopt}, today), 2);
    EXPECT_EQ(field(outside, "jmhjmMuistutusNumero").toInt64(), 1);
    EXPECT_EQ(field(b, "jmhjmMuistutusNumero").toInt64(), 2);
    EXPECT_EQ(Reminders::CreateReminders(club.db, {std::nullopt, 9001}, today),
              club.count(QStringLiteral("jmhist"),
                         QStringLiteral("jmhjmMaksettu = 0 AND jmhjmLaskunumero <= 9001 AND"
                                        " (jmhjmErapaiva IS NULL OR jmhjmErapaiva < ?)"),
                         {Value(today)}));
    // Nothing in the range.
    EXPECT_EQ(Reminders::CreateReminders(club.db, {9100, 9200}, today), 0);
    EXPECT_EQ(club.count(QStringLiteral("jmhist"), QStringLiteral("jmhTulosta = 1")), 0);
    EXPECT_EQ(Reminders::NothingToRemindText({9100, 9200}),
              QStringLiteral("Ei löydy maksamattomia laskuja väliltä: 9100 - 9200"));
    EXPECT_EQ(Reminders::NothingToRemindText({}), QStringLiteral("Ei löydy maksamattomia laskuja väliltä:  - "));
}

TEST_F(RemindersDbTest, InvoicesNotYetDueAreLeftOutOfARun)
{
    const struct {
        const char* name;
        Value due;
        bool reminded;
    } cases[] = {
        {"due a month ago", Value(today.addMonths(-1)), true},
        {"due yesterday, late in the day", Value(QDateTime(today.addDays(-1), QTime(23, 59))), true},
        {"no due date", Value(), true},
        {"due today", Value(today), false},
        {"due tomorrow", Value(today.addDays(1)), false},
        {"due next year", Value(today.addYears(1)), false},
    };
    std::vector<qint64> ids;
    int number = 9001;
    for (const auto& c : cases)
        ids.push_back(historyRow(number++, "10.00", c.due));
    const Reminders::Candidates counted = Reminders::CountCandidates(club.db, {9001, 9006}, today);
    EXPECT_EQ(counted.due, 3);
    EXPECT_EQ(counted.notYetDue, 3);
    EXPECT_EQ(Reminders::CreateReminders(club.db, {9001, 9006}, today), 3);
    for (std::size_t k = 0; k < ids.size(); ++k) {
        EXPECT_EQ(field(ids[k], "jmhjmMuistutusNumero").isNull(), !cases[k].reminded) << cases[k].name;
        EXPECT_EQ(field(ids[k], "jmhTulosta").toInt64(), cases[k].reminded ? 1 : 0) << cases[k].name;
    }
    EXPECT_EQ(Reminders::NotYetDueText(0), QString());
    EXPECT_EQ(Reminders::NotYetDueText(1),
              QStringLiteral("1 maksamaton lasku jätettiin pois, koska sen eräpäivä ei ole vielä mennyt."));
    EXPECT_EQ(Reminders::NotYetDueText(59),
              QStringLiteral("59 maksamatonta laskua jätettiin pois, koska niiden eräpäivä ei ole vielä mennyt."));
}

TEST_F(RemindersDbTest, AFailureAtTheLastStatementLeavesTheWholeRangeUnreminded)
{
    const qint64 first = historyRow(9001, "10.00", Value(today.addDays(-1)));
    const qint64 second = historyRow(9002, "10.00", Value(today.addDays(-1)));
    const qint64 elsewhere = historyRow(9100, "10.00", Value(today.addDays(-1)));
    club.db.execute(QStringLiteral("UPDATE jmhist SET jmhTulosta = 1 WHERE jmhID = ?"), {Value(elsewhere)});
    // The run's last statement marks its rows for print; it fails after every reminder was written.
    club.db.executeScript(
        QStringLiteral("CREATE TRIGGER refuse_mark BEFORE UPDATE OF jmhTulosta ON jmhist WHEN NEW.jmhTulosta = 1"
                       " BEGIN SELECT RAISE(ABORT, 'levy täynnä'); END;"));
    EXPECT_ANY_THROW(Reminders::CreateReminders(club.db, {9001, 9002}, today));
    EXPECT_TRUE(field(first, "jmhjmMuistutusNumero").isNull());
    EXPECT_TRUE(field(second, "jmhjmMuistutusNumero").isNull());
    EXPECT_TRUE(field(first, "jmhjmMuistutusPaiva").isNull());
    EXPECT_EQ(field(elsewhere, "jmhTulosta").toInt64(), 1);
    EXPECT_FALSE(club.db.inTransaction());
}

} // namespace
