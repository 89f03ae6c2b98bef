#include "InvoiceTestDb.h"

#include "base/SharedState.h"
#include "db/UpdateDatabase.h"
#include "invoicing/EmailSendLoop.h"
#include "invoicing/Reminders.h"
#include "platform/EmailSender.h"
#include "support/SmallDisk.h"
#include "support/SmtpTestServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QSet>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace tikkeli;
using tikkeli::test::SmtpTestServer;
using tikkeli::test::waitUntil;

namespace {

const QString templ = QStringLiteral("Hei <MAKSAJANOSOITE1:12>|<LASKUNUMERO:4>|<MUISTUTUKSENLOPPUSUMMA:6>");

class EmailSendLoopTest : public ::testing::Test {
protected:
    test::InvoiceTestDb club;

    void SetUp() override
    {
        State().SenderEmail = QStringLiteral("laskut@eramiehet.fi");
        club.db.execute(QStringLiteral("DELETE FROM jm"));
    }

    qint64 member(const char* surname, const Value& email, bool allowed)
    {
        club.db.execute(
            QStringLiteral("INSERT INTO jr (jrSukunimi, jrEtunimi, jrEmail, jrEmailLasku) VALUES (?, 'Matti', ?, ?)"),
            {Value(QString::fromUtf8(surname)), email, Value(allowed)});
        return club.db.lastInsertId();
    }
    qint64 invoice(qint64 memberId, qint32 number)
    {
        club.db.execute(QStringLiteral("INSERT INTO jm (jmjrID, jmLaskunumero, jmHinta, jmOtsake, jmLaskOsoite1, jmmeID)"
                                       " VALUES (?, ?, 10, 'Jäsenmaksu 2027', ?, 0)"),
                        {Value(memberId), Value(number), Value(QStringLiteral("Osoite %1").arg(number))});
        return club.db.lastInsertId();
    }
    // A history row of the member with its reminder title and total.
    qint64 historyRow(qint64 memberId, bool marked, bool emailedBefore)
    {
        club.db.execute(
            QStringLiteral("INSERT INTO jmhist (jmhjmID, jmhjmjrID, jmhjmLaskunumero, jmhjmHinta, jmhjmOtsake,"
                           " jmhjmMuistutusOtsake, jmhjmMuistutusYhteensa, jmhTulosta, jmhMuistutusEmailed,"
                           " jmhjmLaskOsoite1) VALUES (0, ?, 500, 10, 'Lasku', 'Muistutus', 15.5, ?, ?, 'Kotikatu 1')"),
            {Value(memberId), Value(marked), Value(emailedBefore)});
        return club.db.lastInsertId();
    }
    bool emailed(qint64 jmID)
    {
        return club.field(QStringLiteral("SELECT jmEmailed FROM jm WHERE jmID = ?"), {Value(jmID)}).toBool();
    }
    // n members who take e-mail ("Jäsen00 Matti", jasen0@example.fi, ...), each with an invoice or
    // a history row marked for its reminder (the only one marked); the rows.
    QList<qint64> rowsToSend(EmailSendLoop::Kind kind, int n)
    {
        club.db.execute(QStringLiteral("UPDATE jmhist SET jmhTulosta = 0"));
        QList<qint64> rows;
        for (int i = 0; i < n; ++i) {
            const qint64 m = member(QStringLiteral("Jäsen%1").arg(i, 2, 10, QLatin1Char('0')).toUtf8().constData(),
                                    QStringLiteral("jasen%1@example.fi").arg(i), true);
            rows << (kind == EmailSendLoop::Kind::Invoices ? invoice(m, 700 + i) : historyRow(m, true, false));
        }
        return rows;
    }
    // The rows the file marks e-mailed (a reminder: with its reminder recorded).
    static QString markedSql(EmailSendLoop::Kind kind)
    {
        return kind == EmailSendLoop::Kind::Invoices
                   ? QStringLiteral("SELECT COUNT(*) FROM jm WHERE jmEmailed = 1")
                   : QStringLiteral("SELECT COUNT(*) FROM jmhist WHERE jmhTulosta = 1 AND jmhMuistutusEmailed = 1"
                                    " AND jmhjmMuistutusNumero > 0");
    }
    static int marked(Database& db, EmailSendLoop::Kind kind) { return int(db.scalar(markedSql(kind)).toInt64()); }
    // Reminders recorded on the marked rows, whether or not their mark was written.
    int recorded()
    {
        return int(club.count(QStringLiteral("jmhist"), QStringLiteral("jmhTulosta = 1 AND jmhjmMuistutusNumero > 0")));
    }
    // Makes the server the program's; fails with the reason when it did not start.
    static ::testing::AssertionResult use(const SmtpTestServer& smtp)
    {
        if (!smtp.started())
            return ::testing::AssertionFailure() << smtp.startError().toStdString();
        State().SmtpServer = smtp.server();
        return ::testing::AssertionSuccess();
    }
    // Runs a loop to its end with the event loop turning, as the window does.
    void run(EmailSendLoop& loop, int limitMs = 60000)
    {
        bool done = false;
        QObject::connect(&loop, &EmailSendLoop::finished, [&] { done = true; });
        loop.start();
        ASSERT_TRUE(waitUntil([&] { return done; }, limitMs));
        ASSERT_TRUE(loop.error().isEmpty()) << loop.error().toStdString();
    }
};

TEST_F(EmailSendLoopTest, EveryAllowedMemberGetsOneMessageAndTheRefusedOneStaysUnsent)
{
    SmtpTestServer smtp({QStringLiteral("torjuttu@example.fi")});
    ASSERT_TRUE(smtp.started()) << smtp.startError().toStdString();
    State().SmtpServer = smtp.server();
    const qint64 aho = member("Äijälä", QStringLiteral("aijala@example.fi"), true);
    const qint64 noPermission = member("Ei", QStringLiteral("ei@example.fi"), false);
    const qint64 refused = member("Torjuttu", QStringLiteral("torjuttu@example.fi"), true);
    const qint64 twice = member("Kaksi", QStringLiteral("kaksi@example.fi"), true);
    const qint64 i1 = invoice(aho, 101);
    const qint64 i2 = invoice(noPermission, 102);
    const qint64 i3 = invoice(refused, 103);
    const qint64 i4 = invoice(twice, 104);
    const qint64 i5 = invoice(twice, 105);
    const qint64 i6 = invoice(999999, 106); // the member is gone
    const qint64 already = invoice(aho, 107);
    club.db.execute(QStringLiteral("UPDATE jm SET jmEmailed = 1 WHERE jmID = ?"), {Value(already)});

    EmailSendLoop loop(club.db, EmailSendLoop::Kind::Invoices, templ);
    std::vector<std::pair<int, int>> steps;
    QObject::connect(&loop, &EmailSendLoop::progress, [&](int done, int total) { steps.emplace_back(done, total); });
    run(loop);

    EXPECT_EQ(loop.counts().sent, 3);
    EXPECT_EQ(loop.counts().failed, 1);
    EXPECT_EQ(loop.counts().blocked, 2);
    EXPECT_EQ(steps.back(), std::make_pair(6, 6));
    const std::map<qint64, bool> expected = {{i1, true}, {i2, false}, {i3, false},    {i4, true},
                                             {i5, true}, {i6, false}, {already, true}};
    for (const auto& [id, sent] : expected)
        EXPECT_EQ(emailed(id), sent) << id;
    const auto messages = smtp.messages();
    ASSERT_EQ(messages.size(), 3);
    std::map<QString, QStringList> texts;
    for (const QJsonObject& m : messages) {
        EXPECT_EQ(m[QStringLiteral("subject")].toString(), QStringLiteral("Jäsenmaksu 2027"));
        EXPECT_EQ(m[QStringLiteral("mail_from")].toString(), QStringLiteral("laskut@eramiehet.fi"));
        texts[m[QStringLiteral("rcpt_tos")].toArray().at(0).toString()] << m[QStringLiteral("text")].toString();
    }
    EXPECT_EQ(texts[QStringLiteral("aijala@example.fi")],
              QStringList{QStringLiteral("Hei Osoite 101  |101 |<MUISTUTUKSENLOPPUSUMMA:6>")});
    EXPECT_EQ(texts[QStringLiteral("kaksi@example.fi")].size(), 2);
    EXPECT_EQ(messages[0][QStringLiteral("to_names")].toArray().at(0).toString(), QStringLiteral("Äijälä Matti"));
    // The refusal in the server's own words, for the address it refused.
    EXPECT_EQ(loop.summary(),
              QStringLiteral("Lasku lähetettiin 3 jäsenelle.\r\nLaskun lähetys ei onnistunut 1 jäsenelle.\r\n"
                             "Laskun lähetys oli estetty 2 jäsenelle.\r\n\r\n"
                             "Torjuttu Matti: Palvelin ei hyväksynyt vastaanottajaa: 550 5.1.1 <torjuttu@example.fi>:"
                             " Mailbox unavailable\r\n\r\n"
                             "Voit tulostaa lähettämättömät Tulosta painikkeella."));
    EXPECT_TRUE(EmailSendLoop::AnyInvoicesEmailed(club.db));

    // A second run goes only to the unsent ones: the refused address fails again, nothing else is sent.
    EmailSendLoop again(club.db, EmailSendLoop::Kind::Invoices, templ);
    run(again);
    EXPECT_EQ(again.counts().sent, 0);
    EXPECT_EQ(again.counts().failed, 1);
    EXPECT_EQ(again.counts().blocked, 2);
    EXPECT_EQ(smtp.messages().size(), 3u);
}

TEST_F(EmailSendLoopTest, NothingWaitingSendsNothing)
{
    EmailSendLoop loop(club.db, EmailSendLoop::Kind::Invoices, templ);
    run(loop);
    EXPECT_EQ(loop.counts().sent + loop.counts().failed + loop.counts().blocked, 0);
    EXPECT_FALSE(EmailSendLoop::AnyInvoicesEmailed(club.db));
}

TEST_F(EmailSendLoopTest, ACancelLeavesExactlyTheSentOnesMarked)
{
    // A server that takes a tenth of a second over each message: the run is still going when the
    // cancel comes, however busy the machine.
    SmtpTestServer smtp({}, {}, -1, 100);
    ASSERT_TRUE(smtp.started()) << smtp.startError().toStdString();
    State().SmtpServer = smtp.server();
    const qint64 m = member("Moni", QStringLiteral("moni@example.fi"), true);
    QList<qint64> ids;
    for (int i = 0; i < 30; ++i)
        ids << invoice(m, 200 + i);
    EmailSendLoop loop(club.db, EmailSendLoop::Kind::Invoices, templ);
    QObject::connect(&loop, &EmailSendLoop::progress, [&](int done, int) {
        if (done == 2)
            loop.cancel();
    });
    run(loop);
    EXPECT_TRUE(loop.wasCancelled());
    // The messages go on the mailer's worker: the one on its way when the cancel came may have
    // gone too. Exactly those that went are marked; the rest are left unsent, not failed.
    const int sent = loop.counts().sent;
    EXPECT_GE(sent, 2);
    EXPECT_EQ(loop.counts().failed, 0);
    EXPECT_EQ(loop.counts().leftUnsent, 30 - sent);
    EXPECT_GT(loop.counts().leftUnsent, 0);
    EXPECT_EQ(club.count(QStringLiteral("jm"), QStringLiteral("jmEmailed = 1")), sent);
    EXPECT_TRUE(emailed(ids[0]));
    EXPECT_TRUE(emailed(ids[1]));
    EXPECT_EQ(smtp.messages().size(), size_t(sent));
    EXPECT_EQ(loop.summary(),
              QStringLiteral("Lasku lähetettiin %1 jäsenelle.\r\nLaskun lähetys ei onnistunut 0 jäsenelle.\r\n"
                             "Lasku jäi lähettämättä %2 jäsenelle.\r\nLaskun lähetys oli estetty 0 jäsenelle.\r\n\r\n"
                             "Lähetys keskeytettiin.\r\n\r\nVoit tulostaa lähettämättömät Tulosta painikkeella.")
                  .arg(sent)
                  .arg(30 - sent));
    ASSERT_TRUE(test::waitUntilSendsEnd(30000));
}

TEST_F(EmailSendLoopTest, ASilentServerTimesOutWhileEventsKeepRunning)
{
    // Takes connections and never says a word.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    QList<QTcpSocket*> held;
    QObject::connect(&silent, &QTcpServer::newConnection, [&] { held << silent.nextPendingConnection(); });
    State().SmtpServer = QStringLiteral("127.0.0.1:%1").arg(silent.serverPort());
    invoice(member("Hiljainen", QStringLiteral("h@example.fi"), true), 300);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(20);
    EmailSendLoop loop(club.db, EmailSendLoop::Kind::Invoices, templ);
    loop.setTimeoutMs(1500);
    run(loop);
    EXPECT_EQ(loop.counts().failed, 1);
    EXPECT_EQ(club.count(QStringLiteral("jm"), QStringLiteral("jmEmailed = 1")), 0);
    EXPECT_GT(ticks, 5);
    ASSERT_TRUE(test::waitUntilSendsEnd(30000));
}

TEST_F(EmailSendLoopTest, ASilentServerEndsTheRunAfterOneTimeOutAndTheRestAreLeftUnsent)
{
    test::SilentServer silent;
    ASSERT_TRUE(silent.server.isListening());
    const QString server = silent.name();
    State().SmtpServer = server;
    club.db.execute(QStringLiteral("UPDATE jmhist SET jmhTulosta = 0"));
    QList<qint64> rows;
    for (int i = 0; i < 20; ++i) {
        const qint64 m = member(QStringLiteral("Jäsen%1").arg(i, 2, 10, QLatin1Char('0')).toUtf8().constData(),
                                QStringLiteral("jasen%1@example.fi").arg(i), true);
        invoice(m, 600 + i);
        // Every other reminder went by e-mail before.
        rows << historyRow(m, true, i % 2 == 1);
    }
    const int timeoutMs = 700;
    for (const auto kind : {EmailSendLoop::Kind::Invoices, EmailSendLoop::Kind::Reminders}) {
        const bool invoices = kind == EmailSendLoop::Kind::Invoices;
        silent.held.clear();
        EmailSendLoop loop(club.db, kind, templ);
        loop.setTimeoutMs(timeoutMs);
        loop.recordRemindersOn(QDate(2027, 3, 17));
        QElapsedTimer clock;
        clock.start();
        run(loop);
        // One time-out for the run, not one for each of the twenty.
        EXPECT_LT(clock.elapsed(), 5 * timeoutMs) << invoices;
        EXPECT_EQ(silent.held.size(), 1) << invoices;
        EXPECT_EQ(loop.counts().sent, 0);
        EXPECT_EQ(loop.counts().failed, 1);
        EXPECT_EQ(loop.counts().leftUnsent, 19);
        EXPECT_EQ(loop.counts().blocked, 0);
        const QString timedOut = QStringLiteral("SMTP-palvelin %1 ei vastannut ajoissa.").arg(server);
        const QString what = invoices ? QStringLiteral("Lasku") : QStringLiteral("Muistutus");
        const QString of = invoices ? QStringLiteral("Laskun") : QStringLiteral("Muistutuksen");
        EXPECT_EQ(loop.summary(),
                  QStringLiteral("%1 lähetettiin 0 jäsenelle.\r\n%2 lähetys ei onnistunut 1 jäsenelle.\r\n"
                                 "%1 jäi lähettämättä 19 jäsenelle.\r\n%2 lähetys oli estetty 0 jäsenelle.\r\n\r\n"
                                 "Lähetys keskeytyi: %3\r\nJäsen00 Matti: %3\r\n\r\n"
                                 "Voit tulostaa lähettämättömät %4 painikkeella.")
                      .arg(what, of, timedOut, invoices ? QStringLiteral("Tulosta") : QStringLiteral("Muistut.")));
    }
    EXPECT_EQ(club.count(QStringLiteral("jm"), QStringLiteral("jmEmailed = 1")), 0);
    // The failed reminder is unmarked; those left unsent keep their marks; none was recorded.
    for (int i = 0; i < 20; ++i) {
        const qint64 id = rows[i];
        EXPECT_EQ(club.field(QStringLiteral("SELECT jmhMuistutusEmailed FROM jmhist WHERE jmhID = ?"), {Value(id)}).toBool(),
                  i > 0 && i % 2 == 1)
            << i;
        EXPECT_EQ(
            club.count(QStringLiteral("jmhist"), QStringLiteral("jmhID = ? AND jmhjmMuistutusNumero > 0"), {Value(id)}), 0)
            << i;
    }
    ASSERT_TRUE(test::waitUntilSendsEnd(30000));
}

TEST_F(EmailSendLoopTest, ARowDeletedWhileSendingIsCountedFailedAndNoEmptyMessageGoes)
{
    SmtpTestServer smtp;
    ASSERT_TRUE(smtp.started()) << smtp.startError().toStdString();
    State().SmtpServer = smtp.server();
    const qint64 m = member("Poistuva", QStringLiteral("p@example.fi"), true);
    const qint64 kept = invoice(m, 400);
    const qint64 gone = invoice(m, 401);
    EmailSendLoop loop(club.db, EmailSendLoop::Kind::Invoices, templ);
    bool done = false;
    QObject::connect(&loop, &EmailSendLoop::finished, [&] { done = true; });
    loop.start();
    club.db.execute(QStringLiteral("DELETE FROM jm WHERE jmID = ?"), {Value(gone)});
    ASSERT_TRUE(waitUntil([&] { return done; }, 60000));
    EXPECT_EQ(loop.counts().sent, 1);
    EXPECT_EQ(loop.counts().failed, 1);
    EXPECT_TRUE(emailed(kept));
    ASSERT_EQ(smtp.messages().size(), 1u);
    EXPECT_FALSE(smtp.messages()[0][QStringLiteral("text")].toString().trimmed().isEmpty());
}

TEST_F(EmailSendLoopTest, RemindersGoToTheMarkedRowsAndAFailedResendClearsTheMark)
{
    SmtpTestServer smtp({QStringLiteral("torjuttu@example.fi")});
    ASSERT_TRUE(smtp.started()) << smtp.startError().toStdString();
    State().SmtpServer = smtp.server();
    club.db.execute(QStringLiteral("UPDATE jmhist SET jmhTulosta = 0"));
    const qint64 ok = member("Hyvä", QStringLiteral("hyva@example.fi"), true);
    const qint64 refused = member("Torjuttu", QStringLiteral("torjuttu@example.fi"), true);
    const qint64 sent = historyRow(ok, true, true);
    const qint64 failed = historyRow(refused, true, true);
    const qint64 unmarked = historyRow(ok, false, false);
    EmailSendLoop loop(club.db, EmailSendLoop::Kind::Reminders, templ);
    run(loop);
    EXPECT_EQ(loop.counts().sent, 1);
    EXPECT_EQ(loop.counts().failed, 1);
    const auto flag = [&](qint64 id) {
        return club.field(QStringLiteral("SELECT jmhMuistutusEmailed FROM jmhist WHERE jmhID = ?"), {Value(id)}).toBool();
    };
    EXPECT_TRUE(flag(sent));
    EXPECT_FALSE(flag(failed));
    EXPECT_FALSE(flag(unmarked));
    ASSERT_EQ(smtp.messages().size(), 1u);
    EXPECT_EQ(smtp.messages()[0][QStringLiteral("subject")].toString(), QStringLiteral("Muistutus"));
    EXPECT_EQ(smtp.messages()[0][QStringLiteral("text")].toString(), QStringLiteral("Hei Kotikatu 1  |500 |15,50"));
    EXPECT_TRUE(loop.summary().startsWith(QStringLiteral("Muistutus lähetettiin 1 jäsenelle.\r\n")));
    EXPECT_TRUE(loop.summary().endsWith(QStringLiteral("Voit tulostaa lähettämättömät Muistut. painikkeella.")));
}

TEST_F(EmailSendLoopTest, SendOneEmailUsesAFreshMailerEachTime)
{
    SmtpTestServer smtp({QStringLiteral("torjuttu@example.fi")});
    ASSERT_TRUE(smtp.started()) << smtp.startError().toStdString();
    State().SmtpServer = smtp.server();
    EmailRecipient first{1, QStringLiteral("Eka"), QStringLiteral("eka@example.fi"), false, {}};
    EXPECT_TRUE(EmailSendLoop::SendOneEmail(QStringLiteral("Yksi"), QStringLiteral("teksti 1"), first));
    EmailRecipient second{2, QStringLiteral("Toka"), QStringLiteral("torjuttu@example.fi"), false, {}};
    EXPECT_FALSE(EmailSendLoop::SendOneEmail(QStringLiteral("Kaksi"), QStringLiteral("teksti 2"), second));
    EmailRecipient empty{3, QStringLiteral("Tyhjä"), QString(), false, {}};
    EXPECT_FALSE(EmailSendLoop::SendOneEmail(QStringLiteral("Kolme"), QStringLiteral("teksti 3"), empty));
    ASSERT_EQ(smtp.messages().size(), 1u);
    EXPECT_EQ(smtp.messages()[0][QStringLiteral("rcpt_tos")].toArray().size(), 1);
}

// A stop at any moment of a run leaves every message the server took marked, but at most the one
// in flight: each message waits until the answer for the one before it is in the file, also while
// another program holds the file's write lock for a moment. The server reads the file as each
// message begins, which is what a run killed at that moment would leave.
TEST_F(EmailSendLoopTest, EachMessageWaitsUntilTheOneBeforeItIsMarkedInTheFile)
{
    for (const auto kind : {EmailSendLoop::Kind::Invoices, EmailSendLoop::Kind::Reminders}) {
        const char* name = kind == EmailSendLoop::Kind::Invoices ? "invoices" : "reminders";
        const QList<qint64> rows = rowsToSend(kind, 12);
        test::SmtpScript script;
        script.database = club.path;
        script.marksSql = markedSql(kind);
        script.lockAt = 4;
        script.lockMs = 800;
        SmtpTestServer smtp(script);
        ASSERT_TRUE(use(smtp));
        EmailSendLoop loop(club.db, kind, templ);
        loop.recordRemindersOn(QDate(2027, 3, 17));
        run(loop);
        const auto messages = smtp.messages();
        ASSERT_EQ(messages.size(), rows.size()) << name;
        for (int k = 0; k < messages.size(); ++k)
            EXPECT_EQ(messages[k][QStringLiteral("marks_at_start")].toInt(-1), k) << name << ", message " << k + 1;
        EXPECT_EQ(marked(club.db, kind), rows.size()) << name;
    }
}

// The program's side of the test below, in a process of its own that the server kills.
TEST(EmailSendLoopKilled, RunsUntilKilled)
{
    const QString path = qEnvironmentVariable("TIKKELI_KILLED_RUN_DB");
    if (path.isEmpty())
        GTEST_SKIP() << "run by ARunKilledAfterTheTenthMessageLeavesTheTenMarked";
    QFile pid(qEnvironmentVariable("TIKKELI_KILLED_RUN_PID_FILE"));
    ASSERT_TRUE(pid.open(QIODevice::WriteOnly));
    pid.write(QByteArray::number(QCoreApplication::applicationPid()));
    pid.close();
    State().SmtpServer = qEnvironmentVariable("TIKKELI_KILLED_RUN_SERVER");
    State().SenderEmail = QStringLiteral("laskut@eramiehet.fi");
    Database db = Database::open(path);
    EmailSendLoop loop(db,
                       qEnvironmentVariable("TIKKELI_KILLED_RUN_KIND") == QLatin1String("invoices")
                           ? EmailSendLoop::Kind::Invoices
                           : EmailSendLoop::Kind::Reminders,
                       templ);
    loop.recordRemindersOn(QDate(2027, 3, 17));
    bool done = false;
    QObject::connect(&loop, &EmailSendLoop::finished, [&] { done = true; });
    loop.start();
    waitUntil([&] { return done; }, 60000);
}

// A run of forty killed right after the server took its tenth message: the file marks the ten (or
// nine, the tenth's answer still on its way), and only the others are left to send: the next
// invoice run sends them alone, and "Muistut." prints the reminders of the others alone.
TEST_F(EmailSendLoopTest, ARunKilledAfterTheTenthMessageLeavesTheTenMarked)
{
    for (const auto kind : {EmailSendLoop::Kind::Invoices, EmailSendLoop::Kind::Reminders}) {
        const bool invoices = kind == EmailSendLoop::Kind::Invoices;
        const char* name = invoices ? "invoices" : "reminders";
        rowsToSend(kind, 40);
        QTemporaryDir scratch;
        test::SmtpScript script;
        script.killAfter = 10;
        script.killPidFile = scratch.filePath(QStringLiteral("pid"));
        SmtpTestServer smtp(script);
        ASSERT_TRUE(smtp.started()) << smtp.startError().toStdString();
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TIKKELI_KILLED_RUN_DB"), club.path);
        env.insert(QStringLiteral("TIKKELI_KILLED_RUN_PID_FILE"), script.killPidFile);
        env.insert(QStringLiteral("TIKKELI_KILLED_RUN_SERVER"), smtp.server());
        env.insert(QStringLiteral("TIKKELI_KILLED_RUN_KIND"), QString::fromLatin1(name));
        // The killed process cannot clean up its own temporary folders.
        env.insert(QStringLiteral("TMPDIR"), scratch.path());
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=EmailSendLoopKilled.*")});
        ASSERT_TRUE(child.waitForFinished(60000)) << name;
        EXPECT_EQ(child.exitStatus(), QProcess::CrashExit) << name << child.readAllStandardOutput().toStdString();
        const auto taken = smtp.messages();
        ASSERT_EQ(taken.size(), 10) << name;
        const int marks = marked(club.db, kind);
        EXPECT_TRUE(marks == 10 || marks == 9) << name << " marks " << marks;
        if (invoices) {
            SmtpTestServer next;
            ASSERT_TRUE(use(next));
            EmailSendLoop loop(club.db, kind, templ);
            run(loop);
            QSet<QString> reached;
            for (const auto& runMessages : {taken, next.messages()}) {
                for (const QJsonObject& m : runMessages)
                    reached << m[QStringLiteral("text")].toString();
            }
            EXPECT_EQ(next.messages().size(), 40 - marks) << name;
            EXPECT_EQ(reached.size(), 40) << name;
        } else {
            EXPECT_EQ(recorded(), marks) << name;
            EXPECT_EQ(Reminders::CreateReminders(club.db, {500, 500}, QDate(2027, 3, 18), true), 40 - marks) << name;
        }
    }
}

// A run of forty stopped part-way (the server closing after its tenth message, or the user's
// cancel after the tenth) and started again the same day: the second run sends only what the
// first did not, and no member gets the invoice or the reminder twice. Reminders go to the rows
// the e-mail command marks again, as it does at every run.
TEST_F(EmailSendLoopTest, ARunStoppedPartWayAndStartedAgainTheSameDaySendsEachMemberOneMessage)
{
    const QDate day(2027, 3, 17);
    for (const auto kind : {EmailSendLoop::Kind::Invoices, EmailSendLoop::Kind::Reminders}) {
        for (const bool cancelled : {false, true}) {
            const bool invoices = kind == EmailSendLoop::Kind::Invoices;
            SCOPED_TRACE(std::string(invoices ? "invoices" : "reminders") + (cancelled ? ", cancelled" : ", server closed"));
            rowsToSend(kind, 40);
            test::SmtpScript script;
            script.closeAfter = cancelled ? -1 : 10;
            SmtpTestServer first(script);
            ASSERT_TRUE(use(first));
            {
                EmailSendLoop loop(club.db, kind, templ);
                loop.recordRemindersOn(day);
                QObject::connect(&loop, &EmailSendLoop::progress, [&](int done, int) {
                    if (cancelled && done == 10)
                        loop.cancel();
                });
                run(loop);
            }
            const int marks = marked(club.db, kind);
            ASSERT_GE(marks, 10);
            ASSERT_LT(marks, 40);
            if (!invoices) {
                EXPECT_EQ(Reminders::EmailedToday(club.db, {500, 500}, day), marks);
                EXPECT_EQ(Reminders::MarkDue(club.db, {500, 500}, day), 40 - marks);
            }
            SmtpTestServer next;
            ASSERT_TRUE(use(next));
            EmailSendLoop again(club.db, kind, templ);
            again.recordRemindersOn(day);
            run(again);
            std::map<QString, int> reached;
            for (const auto& messages : {first.messages(), next.messages()})
                for (const QJsonObject& m : messages)
                    ++reached[m[QStringLiteral("rcpt_tos")].toArray().first().toString()];
            EXPECT_EQ(next.messages().size(), size_t(40 - marks));
            EXPECT_EQ(reached.size(), 40u);
            for (const auto& [address, times] : reached)
                EXPECT_EQ(times, 1) << address.toStdString();
            club.db.execute(QStringLiteral("DELETE FROM jm"));
            club.db.execute(QStringLiteral("DELETE FROM jmhist WHERE jmhjmLaskunumero = 500"));
        }
    }
    ASSERT_TRUE(test::waitUntilSendsEnd(30000));
}

// Reminders e-mailed on a day, then given again on paper today (the print answered "Ei" to only
// those not e-mailed), keep their e-mail mark, and their reminder now bears today's date: the
// e-mail command today leaves them out only when the e-mail went today, and otherwise sends each
// member one message and records its reminder.
TEST_F(EmailSendLoopTest, AReminderOnPaperTodayIsLeftOutOfTheEmailOnlyWhenItsEmailWentToday)
{
    const QDate today(2027, 3, 17);
    const struct {
        const char* what;
        QDate emailedOn;
        int leftOut;
    } roads[] = {
        {"e-mailed yesterday, on paper today", today.addDays(-1), 0},
        {"e-mailed today, on paper too", today, 5},
    };
    for (const auto& road : roads) {
        SCOPED_TRACE(road.what);
        rowsToSend(EmailSendLoop::Kind::Reminders, 5);
        SmtpTestServer first;
        ASSERT_TRUE(use(first));
        {
            EmailSendLoop loop(club.db, EmailSendLoop::Kind::Reminders, templ);
            loop.recordRemindersOn(road.emailedOn);
            run(loop);
        }
        ASSERT_EQ(first.messages().size(), 5u);
        ASSERT_EQ(Reminders::CreateReminders(club.db, {500, 500}, today, false), 5);
        ASSERT_EQ(club.count(QStringLiteral("jmhist"), QStringLiteral("jmhjmMuistutusNumero = 2 AND jmhMuistutusEmailed = 1"
                                                                      " AND date(jmhjmMuistutusPaiva) = '2027-03-17'")),
                  5);

        EXPECT_EQ(Reminders::EmailedToday(club.db, {500, 500}, today), road.leftOut);
        EXPECT_EQ(Reminders::MarkDue(club.db, {500, 500}, today), 5 - road.leftOut);
        SmtpTestServer next;
        ASSERT_TRUE(use(next));
        EmailSendLoop again(club.db, EmailSendLoop::Kind::Reminders, templ);
        again.recordRemindersOn(today);
        run(again);
        EXPECT_EQ(next.messages().size(), size_t(5 - road.leftOut));
        EXPECT_EQ(club.count(QStringLiteral("jmhist"), QStringLiteral("jmhjmMuistutusNumero = 3")), 5 - road.leftOut);
        // Once e-mailed today, every one of them is left out of a third run the same day.
        EXPECT_EQ(Reminders::EmailedToday(club.db, {500, 500}, today), 5);
        club.db.execute(QStringLiteral("DELETE FROM jmhist WHERE jmhjmLaskunumero = 500"));
    }
    ASSERT_TRUE(test::waitUntilSendsEnd(30000));
}

// A file from before reminders kept the day of their e-mail, where the older program e-mailed
// some reminders (the mark and no day), brought up to date by the upgrade itself: on a later day
// the reminder e-mail sends every reminder that is due, those e-mailed before too, and once they
// went that day, a run again the same day leaves them out.
TEST_F(EmailSendLoopTest, RemindersEmailedBeforeTheUpgradeAreSentWhenDueOnALaterDay)
{
    const QDate later(2027, 3, 17);
    const struct {
        bool emailedBefore;
        QDate due;
        bool sent;
    } rows[] = {
        {true, later.addDays(-30), true},  {true, later.addDays(-1), true},   {true, later, false},
        {false, later.addDays(-30), true}, {false, later.addDays(10), false},
    };
    const QList<qint64> ids = rowsToSend(EmailSendLoop::Kind::Reminders, int(std::size(rows)));
    club.db.execute(QStringLiteral("ALTER TABLE jmhist DROP COLUMN jmhMuistutusEmailedPaiva"));
    std::set<std::string> due;
    for (int i = 0; i < int(std::size(rows)); ++i) {
        club.db.execute(QStringLiteral("UPDATE jmhist SET jmhjmErapaiva = ? WHERE jmhID = ?"),
                        {Value(rows[i].due), Value(ids[i])});
        if (rows[i].emailedBefore)
            EmailSendLoop::SetReminderEmailed(ids[i], club.db, true);
        if (rows[i].sent)
            due.insert("jasen" + std::to_string(i) + "@example.fi");
    }
    ASSERT_EQ(UpdateDatabase(club.db), std::vector<int>{77});

    EXPECT_EQ(Reminders::EmailedToday(club.db, {500, 500}, later), 0);
    EXPECT_EQ(Reminders::MarkDue(club.db, {500, 500}, later), int(due.size()));
    SmtpTestServer smtp;
    ASSERT_TRUE(use(smtp));
    {
        EmailSendLoop loop(club.db, EmailSendLoop::Kind::Reminders, templ);
        loop.recordRemindersOn(later);
        run(loop);
    }
    std::set<std::string> reached;
    for (const QJsonObject& m : smtp.messages())
        reached.insert(m[QStringLiteral("rcpt_tos")].toArray().first().toString().toStdString());
    EXPECT_EQ(reached, due);
    EXPECT_EQ(smtp.messages().size(), due.size());
    EXPECT_EQ(Reminders::EmailedToday(club.db, {500, 500}, later), int(due.size()));
    EXPECT_EQ(Reminders::MarkDue(club.db, {500, 500}, later), 0);
    ASSERT_TRUE(test::waitUntilSendsEnd(30000));
}

// Reading the rows of a run takes about a slice's time on a large club: what the window was asked
// meanwhile (an event queued right after the start) is answered before the first message is made,
// so reading the rows and making messages never add up to one long wait.
TEST_F(EmailSendLoopTest, TheWindowIsAnsweredBetweenReadingTheRowsAndMakingTheFirstMessages)
{
    for (const auto kind : {EmailSendLoop::Kind::Invoices, EmailSendLoop::Kind::Reminders}) {
        SCOPED_TRACE(kind == EmailSendLoop::Kind::Invoices ? "invoices" : "reminders");
        rowsToSend(kind, 3);
        SmtpTestServer smtp;
        ASSERT_TRUE(use(smtp));
        EmailSendLoop loop(club.db, kind, templ);
        loop.recordRemindersOn(QDate(2027, 3, 17));
        int made = -1, madeWhenAnswered = -1;
        bool done = false;
        QObject::connect(&loop, &EmailSendLoop::preparing, [&](int n, int) { made = n; });
        QObject::connect(&loop, &EmailSendLoop::finished, [&] { done = true; });
        loop.start();
        QTimer::singleShot(0, [&] { madeWhenAnswered = made; });
        ASSERT_TRUE(waitUntil([&] { return done; }, 60000));
        EXPECT_EQ(madeWhenAnswered, 0);
        EXPECT_EQ(smtp.messages().size(), 3u);
        club.db.execute(QStringLiteral("DELETE FROM jm"));
    }
    ASSERT_TRUE(test::waitUntilSendsEnd(30000));
}

// A database that stops taking the marks mid-run (another program holding the write lock past the
// wait, a full disk) stops the sending: beyond the rows marked, the server has taken only the
// message whose mark failed, and the closing message names the database's error and that member.
TEST_F(EmailSendLoopTest, ADatabaseThatStopsTakingTheMarksStopsTheSending)
{
    test::SmallDisk disk("16m");
    struct Case {
        const char* what;
        EmailSendLoop::Kind kind;
        bool fullDisk;
        QString error;
    };
    const Case cases[] = {
        {"locked by another program", EmailSendLoop::Kind::Invoices, false,
         QStringLiteral("Tietokanta on lukittu: toinen käyttäjä tai ohjelma käsittelee sitä. (database is locked)")},
        {"full disk", EmailSendLoop::Kind::Reminders, true,
         QStringLiteral("Levyllä ei ole tarpeeksi tilaa. (database or disk is full)")},
    };
    std::string skipped;
    for (const Case& c : cases) {
        if (c.fullDisk && !disk.mounted()) {
            skipped = std::string(c.what) + ": no real full disk to test on: " + disk.why();
            continue;
        }
        const bool invoices = c.kind == EmailSendLoop::Kind::Invoices;
        rowsToSend(c.kind, 12);
        QString path = club.path;
        if (c.fullDisk) {
            path = disk.path("club.mdb");
            ASSERT_TRUE(QFile::copy(club.path, path));
        }
        Database db = Database::open(path);
        test::SmtpScript script;
        if (!c.fullDisk) {
            script.database = path;
            script.lockAt = 3;
            script.lockMs = 8000;
        }
        SmtpTestServer smtp(script);
        ASSERT_TRUE(use(smtp));
        EmailSendLoop loop(db, c.kind, templ);
        loop.recordRemindersOn(QDate(2027, 3, 17));
        QObject::connect(&loop, &EmailSendLoop::progress, [&](int done, int) {
            if (c.fullDisk && done == 2)
                disk.fill();
        });
        bool done = false;
        QObject::connect(&loop, &EmailSendLoop::finished, [&] { done = true; });
        loop.start();
        ASSERT_TRUE(waitUntil([&] { return done; }, 60000)) << c.what;
        EXPECT_EQ(smtp.messages().size(), 3) << c.what;
        EXPECT_EQ(marked(db, c.kind), 2) << c.what;
        EXPECT_EQ(loop.error(), c.error) << c.what;
        const QString what = invoices ? QStringLiteral("Lasku") : QStringLiteral("Muistutus");
        const QString of = invoices ? QStringLiteral("Laskun") : QStringLiteral("Muistutuksen");
        EXPECT_EQ(loop.summary(),
                  QStringLiteral("%1 lähetettiin 3 jäsenelle.\r\n%2 lähetys ei onnistunut 0 jäsenelle.\r\n"
                                 "%1 jäi lähettämättä 9 jäsenelle.\r\n%2 lähetys oli estetty 0 jäsenelle.\r\n\r\n"
                                 "Lähetys keskeytyi virheeseen: %3\r\n"
                                 "Jäsen02 Matti: viesti lähti, mutta lähetystä ei voitu merkitä.\r\n\r\n"
                                 "Voit tulostaa lähettämättömät %4 painikkeella.")
                      .arg(what, of, c.error, invoices ? QStringLiteral("Tulosta") : QStringLiteral("Muistut.")))
            << c.what;
        db = Database();
        ConnectionRegistry::closeAll(path);
    }
    ASSERT_TRUE(test::waitUntilSendsEnd(30000));
    if (!skipped.empty())
        GTEST_SKIP() << skipped;
}

// A message the loop could not make (the template gives nothing for the member) goes nowhere: it
// is counted failed and named in the closing message beside the server's refusals.
TEST_F(EmailSendLoopTest, AMessageThatCouldNotBeMadeIsCountedAndNamed)
{
    SmtpTestServer smtp({QStringLiteral("torjuttu@example.fi")});
    ASSERT_TRUE(use(smtp));
    const qint64 empty = invoice(member("Tyhjä", QStringLiteral("tyhja@example.fi"), true), 801);
    const qint64 refused = invoice(member("Torjuttu", QStringLiteral("torjuttu@example.fi"), true), 802);
    const qint64 good = invoice(member("Hyvä", QStringLiteral("hyva@example.fi"), true), 803);
    club.db.execute(QStringLiteral("UPDATE jm SET jmLaskOsoite2 = 'Rivi 2' WHERE jmID <> ?"), {Value(empty)});
    EmailSendLoop loop(club.db, EmailSendLoop::Kind::Invoices, QStringLiteral("<MAKSAJANOSOITE2:20>"));
    run(loop);
    EXPECT_EQ(loop.counts().sent, 1);
    EXPECT_EQ(loop.counts().failed, 2);
    EXPECT_EQ(smtp.messages().size(), 1u);
    EXPECT_FALSE(emailed(empty));
    EXPECT_FALSE(emailed(refused));
    EXPECT_TRUE(emailed(good));
    EXPECT_EQ(loop.summary(),
              QStringLiteral("Lasku lähetettiin 1 jäsenelle.\r\nLaskun lähetys ei onnistunut 2 jäsenelle.\r\n"
                             "Laskun lähetys oli estetty 0 jäsenelle.\r\n\r\n"
                             "Torjuttu Matti: Palvelin ei hyväksynyt vastaanottajaa: 550 5.1.1 <torjuttu@example.fi>:"
                             " Mailbox unavailable\r\n"
                             "Tyhjä Matti: Viestin teksti on tyhjä.\r\n\r\n"
                             "Voit tulostaa lähettämättömät Tulosta painikkeella."));
}

// A reminder e-mailed by an earlier run is not left marked when this run does not deliver it: its
// member no longer takes e-mail, or the server refused the message (its recipient, or its sender).
// "Muistut.", printing only the reminders that did not go by e-mail, then prints it.
TEST_F(EmailSendLoopTest, AReminderThatDidNotGoThisTimeIsNotLeftMarkedFromAnEarlierRun)
{
    struct Case {
        const char* what;
        bool takesEmail;
        QStringList refused;
        bool emailed;
    };
    const Case cases[] = {
        {"no longer takes e-mail", false, {}, false},
        {"recipient refused", true, {QStringLiteral("jasen0@example.fi")}, false},
        {"sender refused", true, {QStringLiteral("laskut@eramiehet.fi")}, false},
        {"sent", true, {}, true},
    };
    for (const Case& c : cases) {
        const qint64 row = rowsToSend(EmailSendLoop::Kind::Reminders, 1).first();
        club.db.execute(QStringLiteral("UPDATE jmhist SET jmhMuistutusEmailed = 1 WHERE jmhID = ?"), {Value(row)});
        club.db.execute(QStringLiteral("UPDATE jr SET jrEmailLasku = ? WHERE jrID = (SELECT jmhjmjrID FROM jmhist"
                                       " WHERE jmhID = ?)"),
                        {Value(c.takesEmail), Value(row)});
        SmtpTestServer smtp(c.refused);
        ASSERT_TRUE(use(smtp));
        EmailSendLoop loop(club.db, EmailSendLoop::Kind::Reminders, templ);
        run(loop);
        EXPECT_EQ(
            club.field(QStringLiteral("SELECT jmhMuistutusEmailed FROM jmhist WHERE jmhID = ?"), {Value(row)}).toBool(),
            c.emailed)
            << c.what;
        EXPECT_EQ(Reminders::CreateReminders(club.db, {500, 500}, QDate(2027, 3, 18), true), c.emailed ? 0 : 1) << c.what;
        club.db.execute(QStringLiteral("DELETE FROM jmhist WHERE jmhID = ?"), {Value(row)});
    }
}

// A message refused for its content ends only its member's message; a connection lost in the
// middle of a message ends the run, the rest left unsent and unmarked.
TEST_F(EmailSendLoopTest, ARefusedMessageEndsOnlyItsMemberAndALostConnectionEndsTheRun)
{
    struct Case {
        const char* what;
        QString rejectedBody;
        int dropAfter;
        int sent, failed, leftUnsent;
        QList<bool> emailed;
        QString reasons; // with %1 for the server
    };
    const Case cases[] = {
        {"refused for its content",
         QStringLiteral("Osoite 702"),
         -1,
         4,
         1,
         0,
         {true, true, false, true, true},
         QStringLiteral("Jäsen02 Matti: Palvelin ei hyväksynyt viestiä: 554 5.6.0 Message rejected")},
        {"connection lost",
         QString(),
         2,
         2,
         1,
         2,
         {true, true, false, false, false},
         QStringLiteral("Lähetys keskeytyi: Yhteys SMTP-palvelimeen %1 katkesi.\r\n"
                        "Jäsen02 Matti: Yhteys SMTP-palvelimeen %1 katkesi.")},
    };
    for (const Case& c : cases) {
        club.db.execute(QStringLiteral("DELETE FROM jm"));
        const QList<qint64> rows = rowsToSend(EmailSendLoop::Kind::Invoices, 5);
        test::SmtpScript script;
        script.rejectedBody = c.rejectedBody;
        script.dropAfter = c.dropAfter;
        SmtpTestServer smtp(script);
        ASSERT_TRUE(use(smtp));
        EmailSendLoop loop(club.db, EmailSendLoop::Kind::Invoices, templ);
        run(loop);
        EXPECT_EQ(loop.counts().sent, c.sent) << c.what;
        EXPECT_EQ(loop.counts().failed, c.failed) << c.what;
        EXPECT_EQ(loop.counts().leftUnsent, c.leftUnsent) << c.what;
        EXPECT_EQ(smtp.messages().size(), c.sent) << c.what;
        for (int i = 0; i < rows.size(); ++i)
            EXPECT_EQ(emailed(rows[i]), c.emailed[i]) << c.what << " row " << i;
        EXPECT_TRUE(loop.summary().contains(QStringLiteral("\r\n\r\n")
                                            + QString(c.reasons).replace(QStringLiteral("%1"), smtp.server())
                                            + QStringLiteral("\r\n\r\n")))
            << c.what << "\n"
            << loop.summary().toStdString();
    }
    ASSERT_TRUE(test::waitUntilSendsEnd(30000));
}

} // namespace
