#pragma once

#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <functional>

namespace tikkeli::test {

// What a test server does besides taking messages (see the constructor below and
// tests/platform/smtp_test_server.py).
struct SmtpScript {
    QStringList refused; // as recipients and as the sender
    QString rejectedBody;
    int closeAfter = -1;
    int dataDelayMs = 0;
    // >= 0: the server takes that many messages and drops the connection after the next one's
    // data, without an answer.
    int dropAfter = -1;
    // A run that writes down each message it sends in this database file:
    QString database;
    // As each message begins, the number this query reads from the file (what a program stopped
    // at that moment would leave) is saved with the message as "marks_at_start".
    QString marksSql;
    // On taking message lockAt, another connection holds the file's write lock for lockMs.
    int lockAt = 0;
    int lockMs = 0;
    // Right after answering message killAfter, the process whose id the file killPidFile holds is
    // killed.
    int killAfter = 0;
    QString killPidFile;
};

// A real SMTP server for tests: aiosmtpd on 127.0.0.1, on a free port, saving what it accepts.
// Each accepted message is available raw and as parsed by Python's e-mail package.
class SmtpTestServer {
public:
    explicit SmtpTestServer(const SmtpScript& script);
    // Each refused recipient is answered "550 5.1.1 <address>: Mailbox unavailable". rejectedBody:
    // a message whose body contains it is refused after its data. closeAfter >= 0: the server takes
    // that many messages, then answers each further one "421 4.3.2 Service shutting down" and
    // closes the connection. dataDelayMs: the server waits that long after each message's data
    // before it takes the message and answers.
    explicit SmtpTestServer(const QStringList& refusedRecipients = {}, const QString& rejectedBody = {}, int closeAfter = -1,
                            int dataDelayMs = 0);
    ~SmtpTestServer();

    bool started() const { return m_port != 0; }
    quint16 port() const { return m_port; }
    // The value for EmailSender::Server.
    QString server() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }

    QList<QJsonObject> messages() const;
    QByteArray raw(int index) const;
    QString startError() const { return m_error; }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    QString m_error;
};

// A server that takes connections on 127.0.0.1 and never says a word; it holds each connection
// until it is destroyed.
struct SilentServer {
    QTcpServer server;
    QList<QTcpSocket*> held;
    SilentServer();
    // The value for EmailSender::Server.
    QString name() const { return QStringLiteral("127.0.0.1:%1").arg(server.serverPort()); }
};

// Lets events run until done() holds or ms have passed; whether it holds.
bool waitUntil(const std::function<bool()>& done, int ms);
// Until every mail send of the process has ended (cancelled sends included).
bool waitUntilSendsEnd(int ms);

} // namespace tikkeli::test
