#include "InvoiceTestDb.h"

#include "db/DbError.h"
#include "db/Recordset.h"
#include "invoicing/InvoiceRun.h"
#include "support/TestThread.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdexcept>
#include <thread>

using namespace tikkeli;

namespace {

struct Written {
    qint32 number;
    QString reference;
    qint64 member;
    QString name;
};

class InvoiceRunTest : public ::testing::Test {
protected:
    test::InvoiceTestDb club;

    InvoiceRunResult run(const InvoiceRunRequest& r, const InvoiceRun::Progress& progress = {})
    {
        return InvoiceRun(club.db).run(r, progress);
    }
    std::vector<Written> invoices()
    {
        std::vector<Written> out;
        Recordset rs = club.db.openRecordset(
            QStringLiteral("SELECT jmLaskunumero, jmViitenumero, jmjrID, jmLaskOsoite2 FROM jm ORDER BY jmLaskunumero"),
            RecordsetType::Snapshot);
        for (; !rs.eof(); rs.moveNext())
            out.push_back(
                {qint32(rs.field(0).toInt64()), rs.field(1).toString(), rs.field(2).toInt64(), rs.field(3).toString()});
        return out;
    }
    // Everything a failed or refused run must leave as it was.
    QList<qint64> footprint()
    {
        return {club.count(QStringLiteral("jm")),
                club.count(QStringLiteral("jmRivi")),
                club.count(QStringLiteral("me")),
                club.count(QStringLiteral("jr"), QStringLiteral("jrJasenmaksu = 1")),
                club.count(QStringLiteral("jr"), QStringLiteral("jrMukaan = 1")),
                club.storedCounter(),
                State().InvoiceNumberCounter};
    }
};

TEST_F(InvoiceRunTest, AllMembersOfTheSampleClub)
{
    const InvoiceRunResult result = run(club.request());
    EXPECT_EQ(result.message, QStringLiteral("Lisätty 60 laskua."));
    EXPECT_EQ(result.added, 60);
    EXPECT_FALSE(result.shortReferences);
    const auto written = invoices();
    ASSERT_EQ(written.size(), 60u);
    // Numbered from the counter in name order (Finnish: Å, Ä, Ö after Z), each with its check digit.
    const Written expected[] = {
        {2123, "21238", 10, "Heikkilä Antti Petteri"}, {2124, "21241", 21, "Heikkilä Mikko"},
        {2134, "21348", 41, "Hämäläinen Markku"},      {2149, "21490", 4, "Laine Åke Kalevi"},
        {2150, "21500", 13, "Laitinen Ari"},           {2178, "21788", 23, "Ylönen Markku"},
        {2179, "21791", 11, "Åberg Antti Kristian"},   {2182, "21827", 31, "Öhman Sören Petteri"},
    };
    for (const Written& e : expected) {
        const Written& w = written[std::size_t(e.number - 2123)];
        EXPECT_EQ(w.number, e.number);
        EXPECT_EQ(w.reference, e.reference) << e.number;
        EXPECT_EQ(w.member, e.member) << e.number;
        EXPECT_EQ(w.name, e.name) << e.number;
    }
    EXPECT_EQ(club.storedCounter(), 2183);
    EXPECT_EQ(State().InvoiceNumberCounter, 2183);
    EXPECT_EQ(club.count(QStringLiteral("jm"), QStringLiteral("jmHinta = 45.5 AND jmOtsake = 'Jäsenmaksu 2027'"
                                                              " AND jmTeksti = 'Jäsenmaksu ja lehti' AND jmJasMak = 0")),
              60);
    EXPECT_EQ(club.count(QStringLiteral("jmRivi"), QStringLiteral("jmRjmID IN (SELECT jmID FROM jm)")), 120);
    EXPECT_EQ(club.count(QStringLiteral("jmRivi"),
                         QStringLiteral("jmRjmID IN (SELECT jmID FROM jm) AND jmRTeksti = 'Lehti'"
                                        " AND jmRHinta = 5.5 AND substr(jmRPaiva, 1, 10) = '2027-01-15'")),
              60);
    // Rows, invoices and the run text are tied together.
    EXPECT_EQ(club.count(QStringLiteral("jmRivi r"),
                         QStringLiteral("r.jmRjmID IN (SELECT jmID FROM jm) AND r.jmRjrID ="
                                        " (SELECT jmjrID FROM jm WHERE jmID = r.jmRjmID) AND"
                                        " r.jmRmeId = (SELECT jmmeID FROM jm WHERE jmID = r.jmRjmID)")),
              120);
    EXPECT_EQ(club.field(QStringLiteral("SELECT meTeksti FROM me WHERE meID = (SELECT MAX(jmmeID) FROM jm)")).toString(),
              QStringLiteral("Kiitos tuesta!"));
    // New invoices do not meet the rows of the history's invoices (ids up to 122).
    EXPECT_GT(club.field(QStringLiteral("SELECT MIN(jmID) FROM jm")).toInt64(), 122);
    // The address of one invoice in full.
    EXPECT_EQ(club.field(QStringLiteral("SELECT jmLaskOsoite3 || '|' || jmLaskOsoite5 || '|' || jmLaskPostinumero || '|' ||"
                                        " jmLaskJasennumero FROM jm WHERE jmLaskunumero = 2129"))
                  .toString(),
              QStringLiteral("Koivukuja 9 B 8|41990 Hirvilahti|41990|1007"));
}

TEST_F(InvoiceRunTest, RecipientKinds)
{
    const struct {
        const char* name;
        RecipientKind kind;
        qint64 id;
        bool others;
        int count;
        qint64 firstMember;
    } cases[] = {
        {"landowners", RecipientKind::Landowners, 0, false, 16, 24},
        {"not landowners", RecipientKind::Landowners, 0, true, 44, 10},
        {"feature holders", RecipientKind::Feature, 6, false, 3, 57},
        {"without the feature", RecipientKind::Feature, 6, true, 57, 10},
        {"one member", RecipientKind::Member, 35, false, 1, 35},
    };
    for (const auto& c : cases) {
        test::InvoiceTestDb fresh;
        InvoiceRunRequest r = fresh.request(c.kind, c.id);
        r.others = c.others;
        const InvoiceRunResult result = InvoiceRun(fresh.db).run(r);
        EXPECT_EQ(result.added, c.count) << c.name;
        EXPECT_EQ(fresh.count(QStringLiteral("jm")), c.count) << c.name;
        EXPECT_EQ(fresh.field(QStringLiteral("SELECT jmjrID FROM jm WHERE jmLaskunumero = 2123")).toInt64(), c.firstMember)
            << c.name;
        EXPECT_EQ(fresh.storedCounter(), 2123 + c.count) << c.name;
        EXPECT_EQ(result.message,
                  c.count == 1 ? QStringLiteral("Lisätty 1 lasku.") : QStringLiteral("Lisätty %1 laskua.").arg(c.count))
            << c.name;
    }
}

TEST_F(InvoiceRunTest, FeatureRunLeavesItsChoiceInTheSelectionFlags)
{
    for (const bool others : {false, true}) {
        test::InvoiceTestDb fresh;
        InvoiceRunRequest r = fresh.request(RecipientKind::Feature, 6);
        r.others = others;
        InvoiceRun(fresh.db).run(r);
        const QString holders = QStringLiteral("jrID IN (26, 57, 58)");
        EXPECT_EQ(fresh.count(QStringLiteral("jr"), QStringLiteral("jrMukaan = 1 AND ") + holders), others ? 0 : 3);
        EXPECT_EQ(fresh.count(QStringLiteral("jr"), QStringLiteral("jrMukaan = 1 AND NOT ") + holders), 57);
    }
}

TEST_F(InvoiceRunTest, FeatureRunGivesEachMemberOneInvoiceWhateverTheOrder)
{
    // Two members of the same name, each holding the feature in two value rows: ordered by name
    // their rows interleave.
    const qint64 a = club.member("Sama", "Nimi");
    const qint64 b = club.member("Sama", "Nimi");
    for (int i = 0; i < 2; ++i) {
        club.give(a, 6);
        club.give(b, 6);
    }
    const InvoiceRunResult result = run(club.request(RecipientKind::Feature, 6));
    EXPECT_EQ(result.added, 5);
    EXPECT_EQ(club.count(QStringLiteral("jm"), QStringLiteral("jmjrID = ?"), {Value(a)}), 1);
    EXPECT_EQ(club.count(QStringLiteral("jm"), QStringLiteral("jmjrID = ?"), {Value(b)}), 1);
    EXPECT_EQ(club.storedCounter(), 2128);
}

TEST_F(InvoiceRunTest, FeatureNobodyHoldsWritesNothing)
{
    const auto before = footprint();
    // Feature 8 is a contract feature: no member holds it.
    const InvoiceRunResult result = run(club.request(RecipientKind::Feature, 8));
    EXPECT_EQ(result.message, QStringLiteral("Ei löydy jäseniä, joille voi tehdä laskun."));
    EXPECT_EQ(result.added, 0);
    EXPECT_EQ(footprint(), before);
}

TEST_F(InvoiceRunTest, MemberWithoutSurnameIsNoRecipientButStays)
{
    const qint64 nameless = club.member(Value(), "Etunimi");
    run(club.request());
    EXPECT_EQ(club.count(QStringLiteral("jm")), 60);
    EXPECT_EQ(club.count(QStringLiteral("jr"), QStringLiteral("jrID = ?"), {Value(nameless)}), 1);
}

TEST_F(InvoiceRunTest, ReferencesPersonalAndNone)
{
    const struct {
        const char* name;
        bool personal, none;
        Value stored;           // member 35 (own reference 10359), invoice 2123
        const char* typed = {}; // the own reference as typed on the card, when not as stored
    } cases[] = {
        {"from the invoice number", false, false, "21238"},
        {"the member's own", true, false, "10359"},
        {"none", false, true, Value()},
        {"none wins over the own", true, true, Value()},
        // Written in the form banks send it back, so the payment file finds it.
        {"the own typed with blanks", true, false, "10359", "1 0359"},
        {"the own typed with leading zeros", true, false, "10359", " 0010 359 "},
    };
    for (const auto& c : cases) {
        test::InvoiceTestDb fresh;
        if (c.typed)
            fresh.db.execute(QStringLiteral("UPDATE jr SET jrViitenumero = ? WHERE jrID = 35"), {Value(c.typed)});
        InvoiceRunRequest r = fresh.request(RecipientKind::Member, 35);
        r.personalReference = c.personal;
        r.noReference = c.none;
        InvoiceRun(fresh.db).run(r);
        EXPECT_EQ(fresh.field(QStringLiteral("SELECT jmViitenumero FROM jm")), c.stored) << c.name;
        EXPECT_EQ(fresh.field(QStringLiteral("SELECT jmLaskunumero FROM jm")).toInt64(), 2123) << c.name;
        EXPECT_EQ(fresh.storedCounter(), 2124) << c.name;
    }
    // A member without an own reference gets the invoice number's. (Each copy above reset the
    // shared state when it went.)
    State().DatabasePath = club.path;
    State().InvoiceNumberCounter = club.storedCounter();
    club.db.execute(QStringLiteral("UPDATE jr SET jrViitenumero = NULL WHERE jrID = 35"));
    InvoiceRunRequest r = club.request(RecipientKind::Member, 35);
    r.personalReference = true;
    run(r);
    EXPECT_EQ(club.field(QStringLiteral("SELECT jmViitenumero FROM jm")).toString(), QStringLiteral("21238"));
}

TEST_F(InvoiceRunTest, FeeRunKeepsEachMembersFlagAndClearsIt)
{
    InvoiceRunRequest r = club.request();
    r.feeInvoice = true;
    run(r);
    // Members 7, 12, 16, 25 ... had not paid; the others had.
    EXPECT_EQ(club.count(QStringLiteral("jm"), QStringLiteral("jmJasMak = 1")), 60);
    EXPECT_EQ(club.count(QStringLiteral("jm"), QStringLiteral("jmjrJasenmaksu = 1")), 48);
    EXPECT_EQ(club.count(QStringLiteral("jm"), QStringLiteral("jmjrJasenmaksu = 0 AND jmjrID IN (7, 12, 16, 25)")), 4);
    EXPECT_EQ(club.count(QStringLiteral("jr"), QStringLiteral("jrJasenmaksu = 1")), 0);
}

TEST_F(InvoiceRunTest, ThreeRecipientsFromCounter100HaveShortFreeNumbers)
{
    test::InvoiceTestDb empty(test::InvoiceTestDb::Template);
    empty.db.execute(QStringLiteral("DELETE FROM pt"));
    empty.db.execute(QStringLiteral("DELETE FROM jr"));
    for (const char* name : {"Aalto", "Berg", "Cederlöf"})
        empty.member(name);
    const struct {
        qint32 counter;
        QStringList references;
        bool shortWarning;
    } cases[] = {
        {100, {"1009", "1012", "1025"}, false},
        {1, {"13", "26", "39"}, true},
        {98, {"987", "990", "1009"}, true},
    };
    for (const auto& c : cases) {
        empty.db.execute(QStringLiteral("DELETE FROM jm"));
        empty.db.execute(QStringLiteral("DELETE FROM jmhist"));
        empty.setCounter(c.counter);
        const InvoiceRunResult result = InvoiceRun(empty.db).run(empty.request());
        EXPECT_EQ(result.message, QStringLiteral("Lisätty 3 laskua."));
        QStringList refs;
        for (const Written& w : [&] {
                 std::vector<Written> out;
                 Recordset rs = empty.db.openRecordset(QStringLiteral("SELECT jmViitenumero FROM jm ORDER BY jmLaskunumero"),
                                                       RecordsetType::Snapshot);
                 for (; !rs.eof(); rs.moveNext())
                     out.push_back({0, rs.field(0).toString(), 0, {}});
                 return out;
             }())
            refs << w.reference;
        EXPECT_EQ(refs, c.references) << c.counter;
        EXPECT_EQ(result.shortReferences, c.shortWarning) << c.counter;
        EXPECT_EQ(empty.storedCounter(), c.counter + 3);
    }
}

TEST_F(InvoiceRunTest, ChecksInOrderWithTheirMessages)
{
    const auto base = [] { return test::InvoiceTestDb::request(); };
    const struct {
        const char* name;
        std::function<void(InvoiceRunRequest&, test::InvoiceTestDb&)> spoil;
        const char* message;
        RunField focus;
    } cases[] = {
        {"invoices waiting",
         [](InvoiceRunRequest&, test::InvoiceTestDb& db) {
             db.db.execute(QStringLiteral("INSERT INTO jm (jmjrID, jmLaskunumero) VALUES (1, 1)"));
         },
         "Siirrä jo tehdyt maksut ensin historiaan tai poista maksut ennen lisäystä!", RunField::None},
        {"counter not above the largest", [](InvoiceRunRequest&, test::InvoiceTestDb& db) { db.setCounter(2122); },
         "Tietokannasta löytyy jo isompi laskunumero (2122) kuin numero jota ollaan lisäämässä (2122)\r\n\r\n"
         "Muuta laskunumero Tikkelin asetuksiin ennen laskujen lisäystä, ensimmäinen kelvollinen on 2123",
         RunField::None},
        {"title of 31", [](InvoiceRunRequest& r, test::InvoiceTestDb&) { r.title = QString(31, QLatin1Char('x')); },
         "Otsaketekstin tulee olla korkeintaan 30 merkkiä pitkä.", RunField::Title},
        {"invoice date", [](InvoiceRunRequest& r, test::InvoiceTestDb&) { r.invoiceDate = QStringLiteral("31.2.2027"); },
         "Laskun päivämäärä on väärin kirjoitettu.", RunField::InvoiceDate},
        {"invoice date empty", [](InvoiceRunRequest& r, test::InvoiceTestDb&) { r.invoiceDate.clear(); },
         "Laskun päivämäärä on väärin kirjoitettu.", RunField::InvoiceDate},
        {"due date a time", [](InvoiceRunRequest& r, test::InvoiceTestDb&) { r.dueDate = QStringLiteral("12:30"); },
         "Laskun eräpäivä on väärin kirjoitettu.", RunField::DueDate},
        {"row without text", [](InvoiceRunRequest& r, test::InvoiceTestDb&) { r.rows[1].text.clear(); },
         "Laskurivillä: #2 pitää olla aiheteksti.", RunField::None},
        {"row 3 price with a letter",
         [](InvoiceRunRequest& r, test::InvoiceTestDb&) {
             r.rows[2] = {true, QStringLiteral("Kolmas"), QStringLiteral("1O,00")};
         },
         "Laskurivillä: #3 pitää olla hinta.", RunField::None},
        {"row without price", [](InvoiceRunRequest& r, test::InvoiceTestDb&) { r.rows[0].price.clear(); },
         "Laskurivillä: #1 pitää olla hinta.", RunField::None},
        {"no row ticked", [](InvoiceRunRequest& r, test::InvoiceTestDb&) { r.rows[0].ticked = r.rows[1].ticked = false; },
         "Laskua ei voida tehdä ilman laskurivitietoa.", RunField::None},
        {"total typed over", [](InvoiceRunRequest& r, test::InvoiceTestDb&) { r.total = QStringLiteral("45,50 euroa"); },
         "Syötetyn summan muoto ei ole kelvollinen.", RunField::Total},
        {"negative total", [](InvoiceRunRequest& r, test::InvoiceTestDb&) { r.total = QStringLiteral("-45,50 €"); },
         "Laskun summa ei voi olla negatiivinen.", RunField::Total},
        {"title checked before the dates",
         [](InvoiceRunRequest& r, test::InvoiceTestDb&) {
             r.title = QString(40, QLatin1Char('x'));
             r.invoiceDate.clear();
         },
         "Otsaketekstin tulee olla korkeintaan 30 merkkiä pitkä.", RunField::Title},
    };
    for (const auto& c : cases) {
        test::InvoiceTestDb fresh;
        InvoiceRunRequest r = base();
        c.spoil(r, fresh);
        const qint64 me = fresh.count(QStringLiteral("me"));
        const RunCheck check = InvoiceRun(fresh.db).check(r);
        EXPECT_EQ(check.message, QString::fromUtf8(c.message)) << c.name;
        EXPECT_EQ(check.focus, c.focus) << c.name;
        const InvoiceRunResult result = InvoiceRun(fresh.db).run(r);
        EXPECT_EQ(result.message, QString::fromUtf8(c.message)) << c.name;
        EXPECT_EQ(result.added, 0) << c.name;
        EXPECT_EQ(fresh.count(QStringLiteral("me")), me) << c.name;
    }
}

TEST_F(InvoiceRunTest, AcceptedEdges)
{
    const struct {
        const char* name;
        std::function<void(InvoiceRunRequest&, test::InvoiceTestDb&)> change;
    } cases[] = {
        {"title of exactly 30", [](InvoiceRunRequest& r, test::InvoiceTestDb&) { r.title = QString(30, QLatin1Char('x')); }},
        {"empty title", [](InvoiceRunRequest& r, test::InvoiceTestDb&) { r.title.clear(); }},
        {"counter one above the largest", [](InvoiceRunRequest&, test::InvoiceTestDb& db) { db.setCounter(2123); }},
        {"unticked row with rubbish",
         [](InvoiceRunRequest& r, test::InvoiceTestDb&) {
             r.rows[3] = {false, {}, QStringLiteral("abc")};
         }},
        {"due date before the invoice date",
         [](InvoiceRunRequest& r, test::InvoiceTestDb&) { r.dueDate = QStringLiteral("1.1.2020"); }},
        {"title with an apostrophe",
         [](InvoiceRunRequest& r, test::InvoiceTestDb&) { r.title = QStringLiteral("O'Brienin 'maksu'"); }},
    };
    for (const auto& c : cases) {
        test::InvoiceTestDb fresh;
        InvoiceRunRequest r = fresh.request(RecipientKind::Member, 1);
        c.change(r, fresh);
        const InvoiceRunResult result = InvoiceRun(fresh.db).run(r);
        EXPECT_EQ(result.message, QStringLiteral("Lisätty 1 lasku.")) << c.name;
    }
    test::InvoiceTestDb fresh;
    InvoiceRunRequest r = fresh.request(RecipientKind::Member, 1);
    r.title = QStringLiteral("O'Brienin 'maksu'");
    r.rows[0].text = QStringLiteral("Rivi'; DROP TABLE jm; --");
    InvoiceRun(fresh.db).run(r);
    EXPECT_EQ(fresh.field(QStringLiteral("SELECT jmOtsake FROM jm")).toString(), QStringLiteral("O'Brienin 'maksu'"));
    EXPECT_EQ(fresh.count(QStringLiteral("jmRivi"), QStringLiteral("jmRTeksti = ?"), {Value("Rivi'; DROP TABLE jm; --")}),
              1);
}

TEST_F(InvoiceRunTest, FailureMidRunLeavesNothing)
{
    const struct {
        const char* name;
        const char* trigger; // a storage failure at the third invoice, or none
        bool failInProgress;
    } cases[] = {
        {"invoice refused",
         "CREATE TEMP TRIGGER fail BEFORE INSERT ON jm WHEN NEW.jmLaskunumero = 2125"
         " BEGIN SELECT RAISE(ABORT, 'injected'); END",
         false},
        {"row refused",
         "CREATE TEMP TRIGGER fail BEFORE INSERT ON jmRivi WHEN NEW.jmRTeksti = 'Lehti' AND"
         " (SELECT COUNT(*) FROM jm) = 3 BEGIN SELECT RAISE(ABORT, 'injected'); END",
         false},
        {"fee flag refused",
         "CREATE TEMP TRIGGER fail BEFORE UPDATE OF jrJasenmaksu ON jr WHEN"
         " (SELECT COUNT(*) FROM jm) = 3 BEGIN SELECT RAISE(ABORT, 'injected'); END",
         false},
        {"counter refused",
         "CREATE TEMP TRIGGER fail BEFORE UPDATE ON Settings"
         " BEGIN SELECT RAISE(ABORT, 'injected'); END",
         false},
        {"stopped between invoices", nullptr, true},
    };
    for (const auto& c : cases) {
        test::InvoiceTestDb fresh;
        InvoiceRunRequest r = fresh.request(RecipientKind::Feature, 7);
        r.feeInvoice = true;
        // Everything a run writes or counts on.
        const auto state = [&fresh] {
            return QList<qint64>{fresh.count(QStringLiteral("jm")),
                                 fresh.count(QStringLiteral("jmRivi")),
                                 fresh.count(QStringLiteral("me")),
                                 fresh.count(QStringLiteral("jr"), QStringLiteral("jrJasenmaksu = 1")),
                                 fresh.count(QStringLiteral("jr"), QStringLiteral("jrMukaan = 1")),
                                 fresh.storedCounter(),
                                 State().InvoiceNumberCounter,
                                 fresh.field(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = 'jm'")).toInt64()};
        };
        const auto before = state();
        if (c.trigger)
            fresh.db.execute(QString::fromUtf8(c.trigger));
        int progressCalls = 0;
        const auto progress = [&](int done, int total) {
            ++progressCalls;
            EXPECT_EQ(total, 8);
            if (c.failInProgress && done == 3)
                throw DbException(DbErr::DiskFull, QStringLiteral("levy täynnä"));
        };
        EXPECT_THROW(InvoiceRun(fresh.db).run(r, progress), DbException) << c.name;
        if (c.trigger)
            fresh.db.execute(QStringLiteral("DROP TRIGGER temp.fail"));
        const auto after = state();
        EXPECT_EQ(after, before) << c.name;
        EXPECT_FALSE(fresh.db.inTransaction()) << c.name;
        // The next run goes through as if nothing had happened.
        EXPECT_EQ(InvoiceRun(fresh.db).run(r).added, 8) << c.name;
        EXPECT_EQ(fresh.field(QStringLiteral("SELECT MIN(jmLaskunumero) FROM jm")).toInt64(), 2123) << c.name;
    }
}

} // namespace

namespace {

// Another program on the same file: its own connection, its own lock.
class OtherProgram {
public:
    explicit OtherProgram(const QString& path)
    {
        EXPECT_EQ(sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        sqlite3_busy_timeout(m_db, 5000);
    }
    ~OtherProgram() { sqlite3_close(m_db); }
    void exec(const char* sql) { EXPECT_EQ(sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql; }

private:
    sqlite3* m_db = nullptr;
};

TEST_F(InvoiceRunTest, RunThatWaitedForAnotherProgramsRunIsRefused)
{
    // Both programs started at counter 2123 with an empty jm. The other one takes the write lock
    // first; this run passes its form checks and waits for the lock; the other one writes its
    // invoices and steps the counter.
    OtherProgram other(club.path);
    other.exec("BEGIN IMMEDIATE");
    InvoiceRunResult result;
    test::TestThread mine([&] { result = run(club.request()); });
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    other.exec("INSERT INTO jm (jmLaskunumero, jmViitenumero, jmjrID) VALUES (2123, '21237', 1)");
    other.exec("UPDATE Settings SET setString = '2124' WHERE setKey = 'Laskunro'");
    other.exec("COMMIT");
    mine.join();

    EXPECT_EQ(result.added, 0);
    EXPECT_TRUE(result.message.startsWith(InvoiceRun::otherRunFirstMessage())) << result.message.toStdString();
    EXPECT_EQ(club.count(QStringLiteral("jm")), 1);
    EXPECT_EQ(club.storedCounter(), 2124);

    // Once the other run has gone to the history, the next run numbers on from its counter, not
    // from the one this program loaded at start.
    club.db.execute(QStringLiteral("DELETE FROM jm"));
    club.db.execute(
        QStringLiteral("INSERT INTO jmhist (jmhjmLaskunumero, jmhjmViitenumero, jmhjmjrID) VALUES (2123, '21237', 1)"));
    ASSERT_EQ(State().InvoiceNumberCounter, 2123);
    EXPECT_EQ(run(club.request()).added, 60);
    EXPECT_EQ(club.field(QStringLiteral("SELECT MIN(jmLaskunumero) FROM jm")).toInt64(), 2124);
}

} // namespace
