#include "platform/EmailSender.h"
#include "platform/MailHeaders.h"
#include "platform/SmtpSession.h"
#include "support/SmtpTestServer.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimeZone>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>
#include "support/TestFiles.h"

#include <gtest/gtest.h>

using namespace tikkeli;
using tikkeli::test::SmtpTestServer;

namespace {

EmailRecipient recipient(qint32 id, const QString& name, const QString& address)
{
    EmailRecipient r;
    r.Id = id;
    r.Name = name;
    r.Address = address;
    return r;
}

// A port that nothing listens on.
quint16 closedPort()
{
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    const quint16 port = s.serverPort();
    s.close();
    return port;
}

} // namespace

TEST(MailHeaders, AcceptsOrdinaryAddressesAndRefusesMalformedOnes)
{
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"matti.meikalainen@example.fi", "matti.meikalainen@example.fi"},
        {"  Erä.Mies@Example.FI ", nullptr}, // non-ASCII local part
        {"era.mies@Example.FI ", "era.mies@example.fi"},
        {"jäsen@erämiehet.fi", nullptr},
        {"sihteeri@erämiehet.fi", "sihteeri@xn--ermiehet-1za.fi"},
        {"", nullptr},
        {"   ", nullptr},
        {"ei osoite", nullptr},
        {"a@b@c.fi", nullptr},
        {"@example.fi", nullptr},
        {"matti@", nullptr},
        {"matti@example..fi", nullptr},
        {"matti@-example.fi", nullptr},
        {"matti..m@example.fi", nullptr},
        {"matti@exa mple.fi", nullptr},
        {"matti@example.fi\r\nRCPT TO:<x@y.fi>", nullptr},
        {"<matti@example.fi>", nullptr},
        {"matti+jasen@localhost", "matti+jasen@localhost"},
    };
    for (const Case& c : cases) {
        const auto got = MailHeaders::smtpAddress(QString::fromUtf8(c.in));
        if (c.out)
            EXPECT_EQ(got.value_or("<refused>"), QByteArray(c.out)) << c.in;
        else
            EXPECT_FALSE(got.has_value()) << c.in;
    }
}

TEST(MailHeaders, EncodesNonAsciiTextInShortWordsWithoutSplittingLetters)
{
    EXPECT_EQ(MailHeaders::encodeText(QStringLiteral("Jasenmaksu 2026")), QByteArray("Jasenmaksu 2026"));
    const QString subject = QStringLiteral("Jäsenmaksu ja metsästysvuokra – ÄÖÅ äöå, muistutus vuodelta 2026 ääää");
    const QByteArray encoded = MailHeaders::encodeText(subject);
    QString decoded;
    for (QByteArray line : encoded.split('\n')) {
        line = line.trimmed();
        EXPECT_LE(line.size(), 76);
        ASSERT_TRUE(line.startsWith("=?UTF-8?B?") && line.endsWith("?=")) << line.constData();
        // Each word must decode on its own to whole characters.
        const QByteArray bytes = QByteArray::fromBase64(line.mid(10, line.size() - 12));
        const QString part = QString::fromUtf8(bytes);
        EXPECT_EQ(part.toUtf8(), bytes);
        EXPECT_FALSE(part.contains(QChar::ReplacementCharacter));
        decoded += part;
    }
    EXPECT_EQ(decoded, subject);
    EXPECT_TRUE(MailHeaders::encodeText(QStringLiteral("a=?b")).startsWith("=?UTF-8?B?"));
}

TEST(MailHeaders, DateAndMessageIdHaveTheirFormats)
{
    const QDateTime when(QDate(2026, 3, 5), QTime(8, 4, 9), QTimeZone(2 * 3600));
    EXPECT_EQ(MailHeaders::date(when), QByteArray("Thu, 05 Mar 2026 08:04:09 +0200"));
    const QByteArray id = MailHeaders::messageId("sihteeri@eramiehet.fi");
    EXPECT_TRUE(id.startsWith('<') && id.endsWith("@eramiehet.fi>")) << id.constData();
    EXPECT_NE(id, MailHeaders::messageId("sihteeri@eramiehet.fi"));
}

TEST(SmtpSession, ServerNamesTakeAnOptionalPort)
{
    EXPECT_EQ(SmtpSession::serverUrl(QStringLiteral("mail.example.fi")).value_or(""),
              QByteArray("smtp://mail.example.fi:25"));
    EXPECT_EQ(SmtpSession::serverUrl(QStringLiteral(" 127.0.0.1:2525 ")).value_or(""), QByteArray("smtp://127.0.0.1:2525"));
    EXPECT_EQ(SmtpSession::serverUrl(QStringLiteral("[::1]:587")).value_or(""), QByteArray("smtp://[::1]:587"));
    for (const char* bad : {"", "  ", "mail.example.fi:0", "mail.example.fi:70000", "smtp://x", "a b", "host:"})
        EXPECT_FALSE(SmtpSession::serverUrl(QString::fromUtf8(bad)).has_value()) << bad;
}

class EmailSenderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(smtp.started()) << smtp.startError().toStdString();
        sender.Server = smtp.server();
        sender.Sender = QStringLiteral("sihteeri@eramiehet.fi");
        sender.Subject = QStringLiteral("Jäsenmaksu – Erämiehet ÅÄÖ");
        sender.Message = QStringLiteral("Hyvä jäsen,\r\n\r\nmaksa jäsenmaksu 25,00 € eräpäivään mennessä.\r\n"
                                        ".piste rivin alussa\nrivi jonka lopussa on välilyönti \n")
                         + QString(200, QLatin1Char('x')) + QStringLiteral("=yhtäsuuri\r\nTerveisin Öhman");
    }

    SmtpTestServer smtp{{QStringLiteral("kielletty@example.fi")}};
    EmailSender sender;
    QTemporaryDir dir;
};

TEST_F(EmailSenderTest, OneMessageToAllCarriesHeadersBodyAndAttachments)
{
    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary.append(static_cast<char>(i % 256));
    const QString binPath = dir.filePath(QStringLiteral("tietokanta.bin"));
    const QString txtPath = dir.filePath(QStringLiteral("Jäsenluettelo ö.txt"));
    test::WriteFileBytes(binPath, binary);
    test::WriteFileBytes(txtPath, QStringLiteral("Äänestys\r\n").toUtf8());
    sender.Attachments = {{binPath}, {QString()}, {txtPath}};
    sender.Recipients = {recipient(1, QStringLiteral("Öhman Äijä"), QStringLiteral("aijo@example.fi")),
                         recipient(2, QStringLiteral("Virtanen \"Ville\""), QStringLiteral("ville@example.fi"))};
    QSignalSpy items(&sender, &EmailSender::ItemsSent);

    const EmailRecipients results = sender.Send(false);

    ASSERT_EQ(results.size(), 2);
    EXPECT_TRUE(results[0].Sent) << results[0].Error.toStdString();
    EXPECT_TRUE(results[1].Sent);
    EXPECT_EQ(results[1].Id, 2);
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items.last().at(0).toInt(), 2);
    EXPECT_EQ(items.last().at(1).toInt(), 2);

    const auto messages = smtp.messages();
    ASSERT_EQ(messages.size(), 1);
    const QJsonObject m = messages[0];
    EXPECT_EQ(m[QStringLiteral("subject")].toString(), sender.Subject);
    EXPECT_EQ(m[QStringLiteral("mail_from")].toString(), sender.Sender);
    EXPECT_EQ(m[QStringLiteral("rcpt_tos")].toArray().size(), 2);
    EXPECT_EQ(m[QStringLiteral("to_names")].toArray().at(0).toString(), QStringLiteral("Öhman Äijä"));
    EXPECT_EQ(m[QStringLiteral("to_names")].toArray().at(1).toString(), QStringLiteral("Virtanen \"Ville\""));
    EXPECT_TRUE(m[QStringLiteral("defects")].toArray().isEmpty()) << QJsonDocument(m).toJson().constData();
    // The body arrives with CR LF line ends whatever the caller used.
    QString expected = sender.Message;
    expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    EXPECT_EQ(m[QStringLiteral("text")].toString().toStdString(), expected.toStdString());

    const QJsonArray att = m[QStringLiteral("attachments")].toArray();
    ASSERT_EQ(att.size(), 2);
    EXPECT_EQ(att[0][QStringLiteral("filename")].toString(), QStringLiteral("tietokanta.bin"));
    EXPECT_EQ(QByteArray::fromBase64(att[0][QStringLiteral("data")].toString().toLatin1()), binary);
    EXPECT_EQ(att[1][QStringLiteral("filename")].toString(), QStringLiteral("Jäsenluettelo ö.txt"));
    EXPECT_EQ(QByteArray::fromBase64(att[1][QStringLiteral("data")].toString().toLatin1()), test::ReadFileBytes(txtPath));

    const QByteArray raw = smtp.raw(0);
    EXPECT_TRUE(raw.contains("\r\nDate: ") || raw.startsWith("Date: "));
    EXPECT_TRUE(raw.contains("Message-ID: <"));
    EXPECT_TRUE(raw.contains("Content-Transfer-Encoding: quoted-printable"));
    EXPECT_TRUE(raw.contains("Content-Transfer-Encoding: base64"));
    EXPECT_FALSE(m[QStringLiteral("date")].toString().isEmpty());
    for (qsizetype i = raw.indexOf('\n'); i >= 0; i = raw.indexOf('\n', i + 1))
        ASSERT_EQ(raw[i - 1], '\r') << "bare LF at " << i;
    for (const QByteArray& line : raw.split('\n'))
        EXPECT_LE(line.size(), 999);
}

TEST_F(EmailSenderTest, SeparateMessagesMarkOnlyTheAcceptedRecipients)
{
    sender.Recipients = {recipient(10, QStringLiteral("Hyvä"), QStringLiteral("hyva@example.fi")),
                         recipient(11, QStringLiteral("Kielletty"), QStringLiteral("kielletty@example.fi")),
                         recipient(12, QStringLiteral("Huono"), QStringLiteral("ei osoite")),
                         recipient(13, QStringLiteral("Tyhjä"), QString()),
                         recipient(14, QStringLiteral("Toinen"), QStringLiteral("toinen@example.fi"))};
    QSignalSpy items(&sender, &EmailSender::ItemsSent);
    const EmailRecipients results = sender.Send(true);
    ASSERT_EQ(results.size(), 5);
    const bool expected[] = {true, false, false, false, true};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(results[i].Sent, expected[i]) << i << results[i].Error.toStdString();
        EXPECT_EQ(results[i].Error.isEmpty(), expected[i]) << i;
    }
    EXPECT_TRUE(results[1].Error.contains(QStringLiteral("ei hyväksynyt")));
    EXPECT_TRUE(results[2].Error.contains(QStringLiteral("ei kelpaa")));
    const auto messages = smtp.messages();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[0][QStringLiteral("rcpt_tos")].toArray().at(0).toString(), QStringLiteral("hyva@example.fi"));
    EXPECT_EQ(messages[1][QStringLiteral("to")].toArray().at(0).toString(), QStringLiteral("Toinen <toinen@example.fi>"));
    ASSERT_EQ(items.size(), 6);
    EXPECT_EQ(items.last().at(0).toInt(), 5);
}

TEST_F(EmailSenderTest, OneMessageToAllLeavesARefusedRecipientUnsent)
{
    sender.Recipients = {recipient(1, {}, QStringLiteral("eka@example.fi")),
                         recipient(2, {}, QStringLiteral("KIELLETTY@example.fi")),
                         recipient(3, {}, QStringLiteral("kolmas@example.fi"))};
    const EmailRecipients results = sender.Send(false);
    EXPECT_TRUE(results[0].Sent);
    EXPECT_FALSE(results[1].Sent);
    EXPECT_TRUE(results[2].Sent);
    const auto messages = smtp.messages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0][QStringLiteral("rcpt_tos")].toArray().size(), 2);

    sender.Recipients = {recipient(1, {}, QStringLiteral("kielletty@example.fi"))};
    EXPECT_FALSE(sender.Send(false)[0].Sent);
    EXPECT_EQ(smtp.messages().size(), 1);
}

TEST_F(EmailSenderTest, BadSenderServerOrAttachmentFailsEveryoneWithoutSending)
{
    sender.Recipients = {recipient(1, {}, QStringLiteral("eka@example.fi"))};
    sender.Sender = QStringLiteral("   ");
    EXPECT_FALSE(sender.Send(true)[0].Sent);
    sender.Sender = QStringLiteral("sihteeri@eramiehet.fi");
    sender.Server = QString();
    EXPECT_TRUE(sender.Send(true)[0].Error.contains(QStringLiteral("puuttuu")));
    sender.Server = smtp.server();
    sender.Attachments = {{dir.filePath(QStringLiteral("puuttuu.zip"))}};
    EXPECT_TRUE(sender.Send(true)[0].Error.contains(QStringLiteral("puuttuu.zip")));
    EXPECT_TRUE(smtp.messages().isEmpty());
    EXPECT_TRUE(sender.Send(true).size() == 1);
    sender.Recipients.clear();
    EXPECT_TRUE(sender.Send(true).isEmpty());
}

TEST(EmailSenderFailures, SilentServerTimesOutAndClosedPortFailsAtOnce)
{
    QTcpServer silent; // accepts connections but never says a word
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    EmailSender sender;
    sender.setTimeoutMs(2000);
    sender.Sender = QStringLiteral("sihteeri@eramiehet.fi");
    sender.Recipients = {recipient(1, {}, QStringLiteral("eka@example.fi"))};

    // The error says which way the send failed; how long each took is the machine's business.
    sender.Server = QStringLiteral("127.0.0.1:%1").arg(silent.serverPort());
    EmailRecipients results = sender.Send(true);
    ASSERT_EQ(results.size(), 1);
    EXPECT_FALSE(results[0].Sent);
    EXPECT_TRUE(results[0].Error.contains(QStringLiteral("ei vastannut ajoissa"))) << results[0].Error.toStdString();

    sender.Server = QStringLiteral("127.0.0.1:%1").arg(closedPort());
    results = sender.Send(true);
    ASSERT_EQ(results.size(), 1);
    EXPECT_FALSE(results[0].Sent);
    EXPECT_TRUE(results[0].Error.contains(QStringLiteral("Yhteyttä"))) << results[0].Error.toStdString();
}

TEST_F(EmailSenderTest, AsyncSendReportsOnTheCallersThread)
{
    sender.Recipients = {recipient(1, {}, QStringLiteral("eka@example.fi")),
                         recipient(2, {}, QStringLiteral("toka@example.fi"))};
    QSignalSpy finished(&sender, &EmailSender::Finished);
    QList<int> progress;
    QObject::connect(&sender, &EmailSender::ItemsSent, [&](int sent, int) {
        EXPECT_EQ(QThread::currentThread(), qApp->thread());
        progress.append(sent);
    });
    ASSERT_TRUE(sender.SendAsync(true));
    EXPECT_FALSE(sender.SendAsync(true));
    EXPECT_TRUE(sender.isSending());
    ASSERT_TRUE(finished.wait(15000));
    EXPECT_FALSE(sender.isSending());
    const auto results = finished.first().at(0).value<EmailRecipients>();
    ASSERT_EQ(results.size(), 2);
    EXPECT_TRUE(results[0].Sent && results[1].Sent);
    EXPECT_FALSE(finished.first().at(1).toBool());
    EXPECT_EQ(progress, (QList<int>{0, 1, 2}));
    EXPECT_EQ(smtp.messages().size(), 2);
}

// A sender told to await the caller's recording sends no next message before recorded(), and one
// destroyed while its worker waits lets that worker end at once.
TEST_F(EmailSenderTest, TheNextMessageWaitsUntilTheCallerHasRecordedTheOneBefore)
{
    auto* waiting = new EmailSender;
    waiting->Server = smtp.server();
    waiting->Sender = sender.Sender;
    waiting->Subject = QStringLiteral("Lasku");
    waiting->Message = QStringLiteral("Teksti");
    for (int i = 1; i <= 3; ++i)
        waiting->Recipients << recipient(i, {}, QStringLiteral("jasen%1@example.fi").arg(i));
    waiting->setAwaitsRecording(true);
    int through = 0;
    QObject::connect(waiting, &EmailSender::RecipientDone, [&] { ++through; });
    ASSERT_TRUE(waiting->SendAsync(true));
    ASSERT_TRUE(tikkeli::test::waitUntil([&] { return through == 1; }, 15000));
    QTest::qWait(300);
    EXPECT_EQ(through, 1);
    EXPECT_EQ(smtp.messages().size(), 1);
    waiting->recorded();
    ASSERT_TRUE(tikkeli::test::waitUntil([&] { return through == 2; }, 15000));
    delete waiting;
    EXPECT_TRUE(tikkeli::test::waitUntilSendsEnd(5000));
    EXPECT_EQ(smtp.messages().size(), 2);
}

TEST(EmailSenderFailures, DestroyedSenderCancelsAndIsNeverCalledBack)
{
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    int callbacks = 0;
    QObject witness;
    {
        auto* sender = new EmailSender;
        sender->setTimeoutMs(20000);
        sender->Server = QStringLiteral("127.0.0.1:%1").arg(silent.serverPort());
        sender->Sender = QStringLiteral("sihteeri@eramiehet.fi");
        sender->Recipients = {recipient(1, {}, QStringLiteral("eka@example.fi"))};
        QObject::connect(sender, &EmailSender::Finished, &witness, [&] { ++callbacks; });
        QObject::connect(sender, &EmailSender::ItemsSent, &witness, [&] { ++callbacks; });
        ASSERT_TRUE(sender->SendAsync(true));
        ASSERT_TRUE(silent.waitForNewConnection(20000)); // the send is under way
        QCoreApplication::sendPostedEvents();            // its start is reported before the delete
        callbacks = 0;
        delete sender;
    }
    // Ended by the delete, well before the send's own 20 s time-out.
    EXPECT_TRUE(tikkeli::test::waitUntilSendsEnd(15000));
    // Whatever the ended send queued for this thread is delivered now; none of it may arrive.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(callbacks, 0);
}

TEST(EmailSenderFailures, CancelEndsTheSendAndSaysSo)
{
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    EmailSender sender;
    sender.setTimeoutMs(20000);
    sender.Server = QStringLiteral("127.0.0.1:%1").arg(silent.serverPort());
    sender.Sender = QStringLiteral("sihteeri@eramiehet.fi");
    sender.Recipients = {recipient(1, {}, QStringLiteral("eka@example.fi")),
                         recipient(2, {}, QStringLiteral("toka@example.fi"))};
    QSignalSpy finished(&sender, &EmailSender::Finished);
    ASSERT_TRUE(sender.SendAsync(true));
    ASSERT_TRUE(silent.waitForNewConnection(20000)); // the send is under way
    sender.Cancel();
    // Ended by the cancel, well before the send's own 20 s time-out.
    ASSERT_TRUE(finished.wait(15000));
    EXPECT_TRUE(finished.first().at(1).toBool());
    const auto results = finished.first().at(0).value<EmailRecipients>();
    EXPECT_FALSE(results[0].Sent || results[1].Sent);
    EXPECT_EQ(results[1].Error, QStringLiteral("Lähetys peruttiin."));
}

TEST(EmailSenderFailures, BadAddressesFailWithoutAConnection)
{
    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost, 0));
    EmailSender sender;
    sender.Server = QStringLiteral("127.0.0.1:%1").arg(listener.serverPort());
    sender.Sender = QStringLiteral("sihteeri@eramiehet.fi");
    sender.Recipients = {recipient(1, {}, QString()), recipient(2, {}, QStringLiteral("matti@@example.fi"))};
    for (bool separately : {true, false}) {
        const EmailRecipients results = sender.Send(separately);
        EXPECT_FALSE(results[0].Sent || results[1].Sent);
        EXPECT_TRUE(results[1].Error.contains(QStringLiteral("matti@@example.fi")));
    }
    sender.Sender = QStringLiteral("ei osoite");
    sender.Recipients = {recipient(1, {}, QStringLiteral("eka@example.fi"))};
    EXPECT_FALSE(sender.Send(true)[0].Sent);
    // The send has returned: a connection it made would be waiting already.
    EXPECT_FALSE(listener.waitForNewConnection(0));
}

TEST(EmailSenderFailures, AMessageRefusedAfterItsDataReachesNobody)
{
    SmtpTestServer smtp({}, QStringLiteral("HYLKAA"));
    ASSERT_TRUE(smtp.started()) << smtp.startError().toStdString();
    EmailSender sender;
    sender.Server = smtp.server();
    sender.Sender = QStringLiteral("sihteeri@eramiehet.fi");
    sender.Subject = QStringLiteral("Jäsenmaksu");
    sender.Recipients = {recipient(1, {}, QStringLiteral("eka@example.fi")),
                         recipient(2, {}, QStringLiteral("toka@example.fi"))};
    sender.Message = QStringLiteral("Palvelin HYLKAA taman viestin.");
    for (bool separately : {true, false}) {
        const EmailRecipients results = sender.Send(separately);
        ASSERT_EQ(results.size(), 2);
        for (const EmailRecipient& r : results) {
            EXPECT_FALSE(r.Sent) << separately;
            EXPECT_FALSE(r.Error.isEmpty()) << separately;
        }
    }
    EXPECT_TRUE(smtp.messages().isEmpty());

    sender.Message = QStringLiteral("Tämä kelpaa.");
    const EmailRecipients results = sender.Send(true);
    EXPECT_TRUE(results[0].Sent && results[1].Sent);
    EXPECT_EQ(smtp.messages().size(), 2);
}

TEST_F(EmailSenderTest, CancelFromAProgressHandlerStopsABlockingSend)
{
    sender.Recipients = {recipient(1, {}, QStringLiteral("eka@example.fi")),
                         recipient(2, {}, QStringLiteral("toka@example.fi")),
                         recipient(3, {}, QStringLiteral("kolmas@example.fi"))};
    const auto connection = QObject::connect(&sender, &EmailSender::ItemsSent, [&](int sent, int) {
        if (sent == 1)
            sender.Cancel();
    });
    const EmailRecipients results = sender.Send(true);
    QObject::disconnect(connection);
    ASSERT_EQ(results.size(), 3);
    EXPECT_TRUE(results[0].Sent);
    EXPECT_FALSE(results[1].Sent || results[2].Sent);
    EXPECT_EQ(results[2].Error, QStringLiteral("Lähetys peruttiin."));
    EXPECT_EQ(smtp.messages().size(), 1);

    // The cancel belonged to that send only.
    sender.Recipients = {recipient(4, {}, QStringLiteral("neljas@example.fi"))};
    EXPECT_TRUE(sender.Send(true)[0].Sent);
    EXPECT_EQ(smtp.messages().size(), 2);
}

TEST_F(EmailSenderTest, ARefusedRecipientIsReportedWithTheServersRefusalLine)
{
    for (bool separately : {true, false}) {
        sender.Recipients = {recipient(1, {}, QStringLiteral("kielletty@example.fi"))};
        const EmailRecipients results = sender.Send(separately);
        ASSERT_EQ(results.size(), 1);
        EXPECT_FALSE(results[0].Sent);
        EXPECT_EQ(
            results[0].Error,
            QStringLiteral("Palvelin ei hyväksynyt vastaanottajaa: 550 5.1.1 <kielletty@example.fi>: Mailbox unavailable"))
            << separately;
    }
}

TEST(EmailSenderRefusals, EachRefusedRecipientOfOneMessageGetsTheLineForItsOwnAddress)
{
    SmtpTestServer smtp({QStringLiteral("eka.kielletty@example.fi"), QStringLiteral("toka.kielletty@example.fi")});
    ASSERT_TRUE(smtp.started()) << smtp.startError().toStdString();
    EmailSender sender;
    sender.Server = smtp.server();
    sender.Sender = QStringLiteral("sihteeri@eramiehet.fi");
    sender.Recipients = {recipient(1, {}, QStringLiteral("eka.kielletty@example.fi")),
                         recipient(2, {}, QStringLiteral("hyva@example.fi")),
                         recipient(3, {}, QStringLiteral("toka.kielletty@example.fi"))};
    const EmailRecipients results = sender.Send(false);
    ASSERT_EQ(results.size(), 3);
    EXPECT_TRUE(results[1].Sent);
    for (int i : {0, 2}) {
        EXPECT_FALSE(results[i].Sent);
        EXPECT_EQ(results[i].Error,
                  QStringLiteral("Palvelin ei hyväksynyt vastaanottajaa: 550 5.1.1 <%1>: Mailbox unavailable")
                      .arg(results[i].Address));
    }
}

TEST(EmailSenderFailures, EachRecipientGetsItsOwnTextOverOneConnectionUntilTheServerCloses)
{
    // Takes two messages, then answers 421 and closes.
    SmtpTestServer smtp({}, {}, 2);
    ASSERT_TRUE(smtp.started()) << smtp.startError().toStdString();
    EmailSender sender;
    sender.Server = smtp.server();
    sender.Sender = QStringLiteral("sihteeri@eramiehet.fi");
    EmailTexts texts;
    for (int i = 1; i <= 5; ++i) {
        sender.Recipients.append(recipient(i, {}, QStringLiteral("jasen%1@example.fi").arg(i)));
        texts.append({QStringLiteral("Lasku %1").arg(i), QStringLiteral("Laskun %1 teksti").arg(i)});
    }
    sender.Texts = texts;
    QList<std::pair<int, bool>> done;
    QObject::connect(&sender, &EmailSender::RecipientDone, [&](int index, const EmailRecipient& r) {
        done.append({index, r.Sent});
    });
    const EmailRecipients results = sender.Send(true);
    ASSERT_EQ(results.size(), 5);
    const auto messages = smtp.messages();
    ASSERT_EQ(messages.size(), 2);
    for (int i : {0, 1}) {
        EXPECT_TRUE(results[i].Sent);
        EXPECT_EQ(messages[i][QStringLiteral("subject")].toString(), QStringLiteral("Lasku %1").arg(i + 1));
        EXPECT_EQ(messages[i][QStringLiteral("text")].toString().trimmed(), QStringLiteral("Laskun %1 teksti").arg(i + 1));
    }
    // The third met the closing server and failed with its words; nobody after it was tried.
    const QString closed =
        QStringLiteral("SMTP-palvelin %1 sulki yhteyden: 421 4.3.2 Service shutting down").arg(smtp.server());
    EXPECT_FALSE(results[2].Sent || results[2].LeftUnsent);
    EXPECT_EQ(results[2].Error, closed);
    for (int i : {3, 4}) {
        EXPECT_TRUE(results[i].LeftUnsent) << i;
        EXPECT_EQ(results[i].Error, QStringLiteral("Lähetys keskeytyi: ") + closed);
    }
    EXPECT_EQ(done, (QList<std::pair<int, bool>>{{0, true}, {1, true}, {2, false}, {3, false}, {4, false}}));
}

TEST(EmailSenderFailures, ACancelOnceTheWholeMessageIsOutWaitsForTheServersAnswer)
{
    // The server takes its time over the data: the cancel comes while the answer is awaited.
    SmtpTestServer smtp({}, {}, -1, 1500);
    ASSERT_TRUE(smtp.started()) << smtp.startError().toStdString();
    EmailSender sender;
    sender.Server = smtp.server();
    sender.Sender = QStringLiteral("sihteeri@eramiehet.fi");
    sender.Message = QStringLiteral("Lasku");
    sender.Recipients = {recipient(1, {}, QStringLiteral("eka@example.fi")),
                         recipient(2, {}, QStringLiteral("toka@example.fi"))};
    QSignalSpy finished(&sender, &EmailSender::Finished);
    QObject::connect(&sender, &EmailSender::BytesSent, [&](qint64 sent, qint64) {
        if (sent > 0)
            QTimer::singleShot(500, &sender, [&] { sender.Cancel(); });
    });
    ASSERT_TRUE(sender.SendAsync(true));
    ASSERT_TRUE(finished.wait(20000));
    const auto results = finished.first().at(0).value<EmailRecipients>();
    ASSERT_EQ(results.size(), 2);
    // The server took the first: it is sent, not left unsent to go twice; the second never went.
    EXPECT_TRUE(results[0].Sent) << results[0].Error.toStdString();
    EXPECT_TRUE(results[1].LeftUnsent);
    EXPECT_EQ(smtp.messages().size(), 1);
}

TEST(EmailSenderFailures, AServerThatStopsAnsweringEndsTheRunAndTheRestAreLeftUnsent)
{
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    int connections = 0;
    QList<QTcpSocket*> held;
    QObject::connect(&silent, &QTcpServer::newConnection, [&] {
        ++connections;
        held << silent.nextPendingConnection();
    });
    EmailSender sender;
    sender.setTimeoutMs(500);
    sender.Server = QStringLiteral("127.0.0.1:%1").arg(silent.serverPort());
    sender.Sender = QStringLiteral("sihteeri@eramiehet.fi");
    for (int i = 1; i <= 4; ++i)
        sender.Recipients.append(recipient(i, {}, QStringLiteral("jasen%1@example.fi").arg(i)));
    QSignalSpy finished(&sender, &EmailSender::Finished);
    ASSERT_TRUE(sender.SendAsync(true));
    ASSERT_TRUE(finished.wait(20000));
    const auto results = finished.first().at(0).value<EmailRecipients>();
    ASSERT_EQ(results.size(), 4);
    // The first waited its time-out and failed; nobody else waited for the silent server.
    EXPECT_FALSE(results[0].Sent || results[0].LeftUnsent);
    EXPECT_TRUE(results[0].Error.contains(QStringLiteral("ei vastannut ajoissa"))) << results[0].Error.toStdString();
    for (int i = 1; i < 4; ++i) {
        EXPECT_FALSE(results[i].Sent);
        EXPECT_TRUE(results[i].LeftUnsent) << i;
    }
    EXPECT_EQ(connections, 1);
}
