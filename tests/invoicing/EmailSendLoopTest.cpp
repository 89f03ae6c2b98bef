#include "InvoiceTestDb.h"

#include "base/SharedState.h"
#include "invoicing/EmailSendLoop.h"
#include "platform/EmailSender.h"
#include "support/SmtpTestServer.h"

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
    EXPECT_EQ(loop.summary(),
              QStringLiteral("Lasku lähetettiin 3 jäsenelle.\r\nLaskun lähetys ei onnistunut 1 jäsenelle.\r\n"
                             "Laskun lähetys oli estetty 2 jäsenelle.\r\n\r\n"
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
    SmtpTestServer smtp;
    ASSERT_TRUE(smtp.started()) << smtp.startError().toStdString();
    State().SmtpServer = smtp.server();
    const qint64 m = member("Moni", QStringLiteral("moni@example.fi"), true);
    QList<qint64> ids;
    for (int i = 0; i < 6; ++i)
        ids << invoice(m, 200 + i);
    EmailSendLoop loop(club.db, EmailSendLoop::Kind::Invoices, templ);
    QObject::connect(&loop, &EmailSendLoop::progress, [&](int done, int) {
        if (done == 2)
            loop.cancel();
    });
    run(loop);
    EXPECT_TRUE(loop.wasCancelled());
    EXPECT_EQ(loop.counts().sent, 2);
    EXPECT_EQ(club.count(QStringLiteral("jm"), QStringLiteral("jmEmailed = 1")), 2);
    EXPECT_TRUE(emailed(ids[0]));
    EXPECT_TRUE(emailed(ids[1]));
    EXPECT_EQ(smtp.messages().size(), 2u);
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
    const auto row = [&](qint64 memberId, bool marked, bool emailedBefore) {
        club.db.execute(
            QStringLiteral("INSERT INTO jmhist (jmhjmID, jmhjmjrID, jmhjmLaskunumero, jmhjmHinta, jmhjmOtsake,"
                           " jmhjmMuistutusOtsake, jmhjmMuistutusYhteensa, jmhTulosta, jmhMuistutusEmailed,"
                           " jmhjmLaskOsoite1) VALUES (0, ?, 500, 10, 'Lasku', 'Muistutus', 15.5, ?, ?, 'Kotikatu 1')"),
            {Value(memberId), Value(marked), Value(emailedBefore)});
        return club.db.lastInsertId();
    };
    const qint64 sent = row(ok, true, true);
    const qint64 failed = row(refused, true, true);
    const qint64 unmarked = row(ok, false, false);
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
