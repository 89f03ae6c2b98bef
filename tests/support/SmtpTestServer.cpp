#include "support/SmtpTestServer.h"

#include "platform/EmailSender.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QTest>

namespace tikkeli::test {

SmtpTestServer::SmtpTestServer(const QStringList& refusedRecipients, const QString& rejectedBody, int closeAfter,
                               int dataDelayMs)
    : SmtpTestServer([&] {
          SmtpScript script;
          script.refused = refusedRecipients;
          script.rejectedBody = rejectedBody;
          script.closeAfter = closeAfter;
          script.dataDelayMs = dataDelayMs;
          return script;
      }())
{
}

SmtpTestServer::SmtpTestServer(const SmtpScript& script)
{
    QStringList args{QStringLiteral(TIKKELI_SOURCE_DIR "/tests/platform/smtp_test_server.py"), QStringLiteral("--outdir"),
                     m_dir.path()};
    for (const QString& r : script.refused)
        args << QStringLiteral("--refuse") << r;
    const auto option = [&args](const char* name, const QString& value) {
        if (!value.isEmpty())
            args << QString::fromLatin1(name) << value;
    };
    const auto number = [&](const char* name, int value, int none) {
        option(name, value == none ? QString() : QString::number(value));
    };
    option("--reject-body", script.rejectedBody);
    number("--close-after", script.closeAfter, -1);
    number("--data-delay-ms", script.dataDelayMs, 0);
    number("--drop-after", script.dropAfter, -1);
    option("--db", script.database);
    option("--marks-sql", script.marksSql);
    number("--lock-at", script.lockAt, 0);
    number("--lock-ms", script.lockMs, 0);
    number("--kill-after", script.killAfter, 0);
    option("--kill-pid-file", script.killPidFile);
    // Debian's interpreter is the one with aiosmtpd.
    m_process.start(QStringLiteral("/usr/bin/python3"), args);
    if (!m_process.waitForStarted(10000) || !m_process.waitForReadyRead(15000)) {
        m_error = QString::fromUtf8(m_process.readAllStandardError());
        return;
    }
    m_port = static_cast<quint16>(m_process.readLine().trimmed().toUInt());
}

SmtpTestServer::~SmtpTestServer()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

QList<QJsonObject> SmtpTestServer::messages() const
{
    QList<QJsonObject> result;
    const QStringList files = QDir(m_dir.path()).entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
    for (const QString& name : files) {
        QFile f(m_dir.filePath(name));
        if (f.open(QIODevice::ReadOnly))
            result.append(QJsonDocument::fromJson(f.readAll()).object());
    }
    return result;
}

QByteArray SmtpTestServer::raw(int index) const
{
    QFile f(m_dir.filePath(QStringLiteral("%1.eml").arg(index + 1, 3, 10, QLatin1Char('0'))));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

SilentServer::SilentServer()
{
    server.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server, &QTcpServer::newConnection, [this] { held << server.nextPendingConnection(); });
}

bool waitUntil(const std::function<bool()>& done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QTest::qWait(20);
    return done();
}

bool waitUntilSendsEnd(int ms)
{
    return waitUntil([] { return EmailSender::runningSends() == 0; }, ms);
}

} // namespace tikkeli::test
