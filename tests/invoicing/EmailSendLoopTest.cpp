#include "InvoiceTestDb.h"

#include "base/SharedState.h"
#include "invoicing/EmailSendLoop.h"
#include "platform/EmailSender.h"
#include "support/SmtpTestServer.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include <map>

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

} // namespace
