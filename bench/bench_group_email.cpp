// A group e-mail to 1,000 members with a small attachment, each member a message of their own,
// against raw libcurl sending the same messages (one handle, its connection reused, a MIME body
// with the same text and attachment) to the same local aiosmtpd server.
#include "lists/GroupEmail.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include "PairedRatio.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>

using namespace tikkeli;

namespace {

constexpr int Members = 1000;

struct Setup {
    QTemporaryDir dir;
    QProcess server;
    quint16 port = 0;
    QString attachment;
    EmailRecipients recipients;

    Setup()
    {
        attachment = dir.filePath(QStringLiteral("ohjelma.txt"));
        QFile f(attachment);
        f.open(QIODevice::WriteOnly);
        f.write(QByteArray("Syyskokouksen ohjelma\n").repeated(40));
        f.close();
        server.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral(TIKKELI_SOURCE_DIR "/tests/platform/smtp_test_server.py"), QStringLiteral("--outdir"),
                      dir.filePath(QStringLiteral("mail"))});
        QDir().mkpath(dir.filePath(QStringLiteral("mail")));
        if (server.waitForStarted(10000) && server.waitForReadyRead(15000))
            port = quint16(server.readLine().trimmed().toUInt());
        for (int i = 0; i < Members; ++i)
            recipients.append({i + 1, QStringLiteral("Jäsen %1").arg(i), QStringLiteral("j%1@seura.fi").arg(i), false, {}});
    }
    ~Setup()
    {
        server.closeWriteChannel();
        if (!server.waitForFinished(3000))
            server.kill();
    }
};

Setup& setup()
{
    static Setup s;
    return s;
}

const QString Subject = QStringLiteral("Syyskokous 2027");
const QString Text = QStringLiteral("Hyvä jäsen,\r\n\r\ntervetuloa syyskokoukseen lauantaina kello 12.\r\n\r\nHallitus");

void ours()
{
    GroupEmailRun run;
    QEventLoop wait;
    QObject::connect(&run, &GroupEmailRun::finished, &wait, &QEventLoop::quit);
    run.start({QStringLiteral("127.0.0.1:%1").arg(setup().port),
               QStringLiteral("seura@eramiehet.fi"),
               Subject,
               Text,
               {{setup().attachment}}},
              setup().recipients);
    if (run.running())
        wait.exec();
    if (run.succeeded() != Members)
        std::fprintf(stderr, "group e-mail: %d of %d sent\n", run.succeeded(), Members);
}

void rawCurl()
{
    CURL* curl = curl_easy_init();
    const QByteArray url = QStringLiteral("smtp://127.0.0.1:%1").arg(setup().port).toUtf8();
    const QByteArray file = setup().attachment.toUtf8();
    const QByteArray text = Text.toUtf8();
    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, "<seura@eramiehet.fi>");
    int sent = 0;
    for (const EmailRecipient& r : setup().recipients) {
        const QByteArray to = "<" + r.Address.toUtf8() + ">";
        curl_slist* rcpt = curl_slist_append(nullptr, to.constData());
        const QByteArray toHeader = "To: " + r.Address.toUtf8();
        curl_slist* headers = curl_slist_append(nullptr, toHeader.constData());
        headers = curl_slist_append(headers, "From: seura@eramiehet.fi");
        headers = curl_slist_append(headers, "Subject: =?UTF-8?B?U3l5c2tva291cyAyMDI3?=");
        curl_mime* mime = curl_mime_init(curl);
        curl_mimepart* part = curl_mime_addpart(mime);
        curl_mime_data(part, text.constData(), size_t(text.size()));
        curl_mime_type(part, "text/plain; charset=UTF-8");
        part = curl_mime_addpart(mime);
        curl_mime_filedata(part, file.constData());
        curl_mime_encoder(part, "base64");
        curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, rcpt);
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(curl, CURLOPT_MIMEPOST, mime);
        if (curl_easy_perform(curl) == CURLE_OK)
            ++sent;
        curl_mime_free(mime);
        curl_slist_free_all(headers);
        curl_slist_free_all(rcpt);
    }
    curl_easy_cleanup(curl);
    if (sent != Members)
        std::fprintf(stderr, "raw libcurl: %d of %d sent\n", sent, Members);
}

void BM_GroupEmailVsRawCurl(benchmark::State& state)
{
    RunPaired(state, "group e-mail to 1000 members with an attachment vs raw libcurl", 1.3, rawCurl, ours);
}
BENCHMARK(BM_GroupEmailVsRawCurl)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    curl_global_init(CURL_GLOBAL_DEFAULT);
    return RunPairedBenchmarks(argc, argv, [] {
        if (setup().port == 0)
            std::fprintf(stderr, "no SMTP test server: %s\n", setup().server.readAllStandardError().constData());
    });
}
