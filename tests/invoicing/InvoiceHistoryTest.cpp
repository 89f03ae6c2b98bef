#include "InvoiceTestDb.h"

#include "db/DbError.h"
#include "invoicing/InvoiceHistory.h"
#include "invoicing/InvoiceNumbering.h"
#include "invoicing/InvoiceRun.h"
#include "invoicing/InvoiceTitles.h"

#include <gtest/gtest.h>
#include <functional>

using namespace tikkeli;

namespace {

class InvoiceHistoryTest : public ::testing::Test {
protected:
    test::InvoiceTestDb club;

    // A fee run over the holders of "Perhejäsen" (8 members, numbers 2123..2130).
    void feeRun()
    {
        InvoiceRunRequest r = club.request(RecipientKind::Feature, 7);
        r.feeInvoice = true;
        ASSERT_EQ(InvoiceRun(club.db).run(r).added, 8);
    }
};

TEST_F(InvoiceHistoryTest, MoveCopiesEveryInvoiceAndKeepsItsRows)
{
    feeRun();
    const qint64 history = club.count(QStringLiteral("jmhist"));
    const qint64 rows = club.count(QStringLiteral("jmRivi"));
    club.db.execute(QStringLiteral("UPDATE jm SET jmEmailed = 1, jmLaskOsoite3 = NULL WHERE jmLaskunumero = 2124"));
    std::vector<std::pair<int, int>> steps;
    EXPECT_EQ(InvoiceHistory::MoveToHistory(club.db, [&](int done, int total) { steps.emplace_back(done, total); }), 8);
    EXPECT_EQ(steps.back(), std::make_pair(8, 8));
    EXPECT_EQ(club.count(QStringLiteral("jm")), 0);
    EXPECT_EQ(club.count(QStringLiteral("jmhist")), history + 8);
    EXPECT_EQ(club.count(QStringLiteral("jmRivi")), rows);
    // Every copied field, compared with what the run wrote.
    EXPECT_EQ(club.count(QStringLiteral("jmhist"),
                         QStringLiteral(
                             "jmhjmLaskunumero BETWEEN 2123 AND 2130 AND jmhjmHinta = 45.5 AND"
                             " jmhjmOtsake = 'Jäsenmaksu 2027' AND jmhjmTeksti = 'Jäsenmaksu ja lehti' AND"
                             " jmhjmMaksettu = 0 AND jmhjmJasMak = 1 AND substr(jmhjmLaskupaiva, 1, 10) = '2027-01-15' AND"
                             " substr(jmhjmErapaiva, 1, 10) = '2027-02-15' AND jmhjmViitenumero = jmhjmLaskunumero ||"
                             " substr(jmhjmViitenumero, -1) AND jmhjmLaskOsoite2 IS NOT NULL AND"
                             " jmhjmmeID = (SELECT MAX(meID) FROM me) AND jmhjmMuistutusNumero IS NULL")),
              8);
    EXPECT_EQ(club.field(QStringLiteral("SELECT jmhjmEmailed FROM jmhist WHERE jmhjmLaskunumero = 2124")).toInt64(), 1);
    EXPECT_TRUE(club.field(QStringLiteral("SELECT jmhjmLaskOsoite3 FROM jmhist WHERE jmhjmLaskunumero = 2124")).isNull());
    EXPECT_EQ(
        club.field(QStringLiteral("SELECT jmhjmLaskOsoite5 || '/' || jmhjmLaskPostinumero || '/' || jmhjmLaskJasennumero"
                                  " FROM jmhist WHERE jmhjmjrID = 2 AND jmhjmLaskunumero >= 2123"))
            .toString(),
        QStringLiteral("41990 Hirvilahti/41990/1002"));
    // The rows are found through the history row's old invoice id.
    EXPECT_EQ(club.count(QStringLiteral("jmRivi"),
                         QStringLiteral("jmRjmID IN (SELECT jmhjmID FROM jmhist WHERE jmhjmLaskunumero >= 2123)")),
              16);
    // The counter stays where the run left it.
    EXPECT_EQ(club.storedCounter(), 2131);
}

TEST_F(InvoiceHistoryTest, MoveOfNothingStillEnds)
{
    std::vector<std::pair<int, int>> steps;
    EXPECT_EQ(InvoiceHistory::MoveToHistory(club.db, [&](int done, int total) { steps.emplace_back(done, total); }), 0);
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.front(), std::make_pair(0, 1));
}

TEST_F(InvoiceHistoryTest, FailedMoveLeavesBothTables)
{
    feeRun();
    const qint64 history = club.count(QStringLiteral("jmhist"));
    // The move's last statement, the DELETE from jm, fails after every copy was written.
    club.db.execute(QStringLiteral("CREATE TEMP TRIGGER fail BEFORE DELETE ON jm WHEN OLD.jmLaskunumero = 2127"
                                   " BEGIN SELECT RAISE(ABORT, 'injected'); END"));
    EXPECT_THROW(InvoiceHistory::MoveToHistory(club.db), DbException);
    club.db.execute(QStringLiteral("DROP TRIGGER temp.fail"));
    EXPECT_EQ(club.count(QStringLiteral("jm")), 8);
    EXPECT_EQ(club.count(QStringLiteral("jmhist")), history);
}

TEST_F(InvoiceHistoryTest, DeleteAllGivesBackNumbersAndFeeFlags)
{
    // Member 30 had not paid before the run; the others had.
    club.db.execute(QStringLiteral("UPDATE jr SET jrJasenmaksu = 0 WHERE jrID = 30"));
    const qint64 rows = club.count(QStringLiteral("jmRivi"));
    const qint64 runTexts = club.count(QStringLiteral("me"));
    feeRun();
    EXPECT_EQ(
        club.count(QStringLiteral("jr"), QStringLiteral("jrJasenmaksu = 0 AND jrID IN (2, 15, 18, 19, 30, 47, 51, 59)")), 8);
    // A fee invoice whose member has gone meanwhile is deleted like the others.
    club.db.execute(QStringLiteral("DELETE FROM jr WHERE jrID = 59"));
    EXPECT_EQ(InvoiceHistory::DeleteAll(club.db), 8);
    EXPECT_EQ(club.count(QStringLiteral("jm")), 0);
    EXPECT_EQ(club.count(QStringLiteral("jmRivi")), rows);
    EXPECT_EQ(club.count(QStringLiteral("me")), runTexts + 1); // the run text stays
    EXPECT_EQ(club.count(QStringLiteral("jr"), QStringLiteral("jrJasenmaksu = 1 AND jrID IN (2, 15, 18, 19, 47, 51)")), 6);
    EXPECT_EQ(club.count(QStringLiteral("jr"), QStringLiteral("jrJasenmaksu = 0 AND jrID = 30")), 1);
    EXPECT_EQ(club.storedCounter(), 2123);
    EXPECT_EQ(State().InvoiceNumberCounter, 2123);
    // The same numbers are handed out again.
    EXPECT_EQ(InvoiceRun(club.db).run(club.request(RecipientKind::Member, 1)).added, 1);
    EXPECT_EQ(club.field(QStringLiteral("SELECT jmLaskunumero FROM jm")).toInt64(), 2123);
}

TEST_F(InvoiceHistoryTest, DeleteAllNeverWindsTheCounterOntoAUsedNumber)
{
    const struct {
        const char* name;
        QList<qint32> current; // numbers in jm
        qint32 counter;        // the counter before the deletion
        qint32 expected;
    } cases[] = {
        {"a whole run", {2123, 2124, 2125}, 2126, 2123},
        {"interrupted before its last step", {2123, 2124, 2125}, 2125, 2123},
        {"counter set back by hand", {2123}, 2000, 2123},
        {"counter set forward by hand", {2123, 2124}, 3000, 2998},
        {"nothing to delete", {}, 2123, 2123},
    };
    for (const auto& c : cases) {
        test::InvoiceTestDb fresh;
        for (const qint32 n : c.current)
            fresh.db.execute(QStringLiteral("INSERT INTO jm (jmjrID, jmLaskunumero) VALUES (1, ?)"), {Value(n)});
        fresh.setCounter(c.counter);
        InvoiceHistory::DeleteAll(fresh.db);
        EXPECT_EQ(fresh.storedCounter(), c.expected) << c.name;
        EXPECT_EQ(State().InvoiceNumberCounter, c.expected) << c.name;
        EXPECT_GT(State().InvoiceNumberCounter, InvoiceNumbering::LargestInvoiceNumber(fresh.db)) << c.name;
    }
}

TEST_F(InvoiceHistoryTest, FailedDeleteChangesNothing)
{
    const char* const failures[] = {
        "CREATE TEMP TRIGGER fail BEFORE DELETE ON jm WHEN OLD.jmLaskunumero = 2128"
        " BEGIN SELECT RAISE(ABORT, 'injected'); END",
        // The last statement: the counter's write, after every row is gone.
        "CREATE TEMP TRIGGER fail BEFORE UPDATE ON Settings BEGIN SELECT RAISE(ABORT, 'injected'); END",
    };
    for (const char* failure : failures) {
        test::InvoiceTestDb fresh;
        InvoiceRunRequest r = fresh.request(RecipientKind::Feature, 7);
        r.feeInvoice = true;
        ASSERT_EQ(InvoiceRun(fresh.db).run(r).added, 8);
        const qint64 rows = fresh.count(QStringLiteral("jmRivi"));
        fresh.db.execute(QString::fromLatin1(failure));
        EXPECT_THROW(InvoiceHistory::DeleteAll(fresh.db), DbException) << failure;
        fresh.db.execute(QStringLiteral("DROP TRIGGER temp.fail"));
        EXPECT_EQ(fresh.count(QStringLiteral("jm")), 8) << failure;
        EXPECT_EQ(fresh.count(QStringLiteral("jmRivi")), rows) << failure;
        EXPECT_EQ(fresh.count(QStringLiteral("jr"),
                              QStringLiteral("jrJasenmaksu = 1 AND jrID IN (2, 15, 18, 19, 30, 47, 51, 59)")),
                  0)
            << failure;
        EXPECT_EQ(fresh.storedCounter(), 2131) << failure;
        EXPECT_EQ(State().InvoiceNumberCounter, 2131) << failure;
        EXPECT_FALSE(fresh.db.inTransaction()) << failure;
    }
}

TEST_F(InvoiceHistoryTest, DeleteKeepsTheNumbersOfARunThatReachedMembers)
{
    const QString plain = QStringLiteral("Haluatko varmasti poistaa kaikki lisätyt laskut?");
    const struct {
        const char* name;
        std::function<void(test::InvoiceTestDb&)> reach;
        qint32 counterAfter;
    } cases[] = {
        {"neither printed nor sent", [](test::InvoiceTestDb&) {}, 2123},
        {"one e-mailed",
         [](test::InvoiceTestDb& c) {
             c.db.execute(QStringLiteral("UPDATE jm SET jmEmailed = 1 WHERE jmLaskunumero = 2125"));
         },
         2131},
        {"printed", [](test::InvoiceTestDb& c) { InvoiceHistory::MarkRunPrinted(c.db); }, 2131},
    };
    for (const auto& c : cases) {
        test::InvoiceTestDb fresh;
        ASSERT_EQ(InvoiceRun(fresh.db).run(fresh.request(RecipientKind::Feature, 7)).added, 8);
        c.reach(fresh);
        const bool reached = c.counterAfter != 2123;
        EXPECT_EQ(InvoiceHistory::RunReachedMembers(fresh.db), reached) << c.name;
        EXPECT_EQ(InvoiceHistory::DeleteQuestion(fresh.db),
                  reached ? plain
                                + QStringLiteral("\r\n\r\nLaskuja on jo tulostettu tai lähetetty sähköpostitse, joten "
                                                 "niiden numeroita ja viitteitä ei anneta uudelleen: seuraava laskuajo "
                                                 "jatkaa numerosta 2131.")
                          : plain)
            << c.name;
        EXPECT_EQ(InvoiceHistory::DeleteAll(fresh.db), 8) << c.name;
        EXPECT_EQ(fresh.storedCounter(), c.counterAfter) << c.name;
        EXPECT_EQ(State().InvoiceNumberCounter, c.counterAfter) << c.name;
        // The next run numbers on from there and counts as not yet printed.
        ASSERT_EQ(InvoiceRun(fresh.db).run(fresh.request(RecipientKind::Feature, 7)).added, 8) << c.name;
        EXPECT_EQ(fresh.field(QStringLiteral("SELECT MIN(jmLaskunumero) FROM jm")).toInt64(), c.counterAfter) << c.name;
        EXPECT_FALSE(InvoiceHistory::RunReachedMembers(fresh.db)) << c.name;
    }
}

TEST_F(InvoiceHistoryTest, CountsOfTheRun)
{
    feeRun();
    club.db.execute(QStringLiteral("UPDATE jm SET jmEmailed = 1 WHERE jmLaskunumero IN (2123, 2130)"));
    EXPECT_EQ(InvoiceHistory::CountRunInvoices(club.db), 8);
    EXPECT_EQ(InvoiceHistory::CountEmailedInvoices(club.db), 2);
}

TEST_F(InvoiceHistoryTest, SavedTitles)
{
    auto names = [&] {
        QStringList out;
        for (const SavedTitle& t : InvoiceTitles::list(club.db))
            out << t.name;
        return out;
    };
    EXPECT_EQ(names(), (QStringList{"Ampumaratamaksu", "Hirvenlihamaksu", "Jäsenmaksu 2025", "Jäsenmaksu 2026",
                                    "Liittymismaksu", "Talkoomaksu"}));
    const struct {
        QString text;
        bool added;
    } adds[] = {
        {QStringLiteral("Talkoomaksu"), false}, // exists
        {QStringLiteral("talkoomaksu"), true},  // another title
        {QStringLiteral("O'Brienin maksu"), true}, {QStringLiteral("   "), false},         {QString(), false},
        {QString(35, QLatin1Char('x')), true},     {QString(36, QLatin1Char('y')), false}, // wider than the field
    };
    for (const auto& a : adds) {
        const auto added = InvoiceTitles::addIfNew(club.db, a.text);
        EXPECT_EQ(added.has_value(), a.added) << a.text.toStdString();
        if (added) {
            EXPECT_EQ(added->name, a.text);
            EXPECT_EQ(club.field(QStringLiteral("SELECT ltNimi FROM lt WHERE ltID = ?"), {Value(added->id)}).toString(),
                      a.text);
        }
    }
    EXPECT_EQ(club.count(QStringLiteral("lt")), 9);
    EXPECT_TRUE(InvoiceTitles::remove(club.db, QStringLiteral("O'Brienin maksu")));
    EXPECT_FALSE(InvoiceTitles::remove(club.db, QStringLiteral("Ei ole")));
    EXPECT_EQ(club.count(QStringLiteral("lt")), 8);
    // A blank name kept by an older program is not listed.
    club.db.execute(QStringLiteral("INSERT INTO lt (ltNimi) VALUES ('  ')"));
    EXPECT_EQ(names().size(), 8);
}

} // namespace
