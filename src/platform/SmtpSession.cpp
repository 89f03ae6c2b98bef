#include "platform/SmtpSession.h"

#include "platform/MailHeaders.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QRegularExpression>

#include <curl/curl.h>

#include <mutex>

namespace tikkeli {

namespace {

void initCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// What the callbacks of one transfer share with send().
struct Transfer {
    const std::atomic<bool>* cancel = nullptr;
    qint64 timeoutMs = 0;
    QElapsedTimer sinceActivity;
    bool timedOut = false;
    QByteArray pendingRcpt;
    bool awaitingRcptReply = false;
    // Each refused addressee with the server's own words for it, and the first of them; later
    // replies (the goodbye of QUIT) say nothing about why.
    QHash<QByteArray, QByteArray> refused;
    QByteArray refusal;
    // The last reply that turned something down: libcurl keeps only its code, and a reply after
    // it (the goodbye of QUIT) says nothing about why.
    QByteArray failureReply;
    curl_off_t lastUploaded = -1;
    // The multipart body ends with its closing boundary; once that is out, the message is whole
    // and only the server's answer is awaited.
    QByteArray closingBoundary;
    QByteArray sentTail;
    bool allOut = false;
    const std::function<void(qint64, qint64)>* onBytes = nullptr;
};

// The dialogue itself tells which addressees the server refused; libcurl only says whether the
// message as a whole went out.
int onDebug(CURL*, curl_infotype type, char* data, size_t size, void* user)
{
    auto* t = static_cast<Transfer*>(user);
    if (type != CURLINFO_HEADER_IN && type != CURLINFO_HEADER_OUT && type != CURLINFO_DATA_IN && type != CURLINFO_DATA_OUT)
        return 0;
    t->sinceActivity.restart();
    const QByteArray chunk(data, static_cast<qsizetype>(size));
    if (type == CURLINFO_DATA_OUT) {
        if (t->closingBoundary.isEmpty()) {
            static const QByteArray key("boundary=");
            // The message's first line names it; a chunk that cuts that line leaves a cancel as abrupt as ever.
            const qsizetype at = chunk.indexOf(key);
            const qsizetype end = at < 0 ? -1 : chunk.indexOf("\r\n", at);
            if (end >= 0)
                t->closingBoundary = "\r\n--" + chunk.mid(at + key.size(), end - at - key.size()) + "--\r\n";
        }
        t->sentTail = (t->sentTail + chunk).right(t->closingBoundary.size());
        t->allOut = !t->closingBoundary.isEmpty() && t->sentTail == t->closingBoundary;
    } else if (type == CURLINFO_HEADER_OUT) {
        t->awaitingRcptReply = chunk.startsWith("RCPT TO:");
        if (t->awaitingRcptReply) {
            const qsizetype open = chunk.indexOf('<');
            const qsizetype close = chunk.indexOf('>', open + 1);
            t->pendingRcpt = open >= 0 && close > open ? chunk.mid(open + 1, close - open - 1) : QByteArray();
        }
    } else if (type == CURLINFO_HEADER_IN) {
        for (QByteArray line : chunk.split('\n')) {
            line = line.trimmed();
            const bool final = line.size() >= 3 && (line.size() == 3 || line[3] == ' ');
            if (!final)
                continue;
            if (t->awaitingRcptReply) {
                // 421 refuses the connection rather than the addressee.
                if (line.startsWith("421"))
                    t->failureReply = line;
                if (!line.startsWith('2')) {
                    t->refused.insert(t->pendingRcpt, line);
                    if (t->refusal.isEmpty())
                        t->refusal = line;
                }
                t->awaitingRcptReply = false;
            } else if (line.startsWith('4') || line.startsWith('5')) {
                t->failureReply = line;
            }
        }
    }
    return 0;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t ultotal, curl_off_t ulnow)
{
    auto* t = static_cast<Transfer*>(user);
    // Once the whole message is out, the server's answer decides whether it went: a cancel waits
    // for that answer (the time-out still holds), so a message the server took is never reported
    // as left unsent and sent again later.
    if (t->cancel && t->cancel->load() && !t->allOut)
        return 1;
    if (ulnow != t->lastUploaded) {
        t->lastUploaded = ulnow;
        t->sinceActivity.restart();
        if (t->onBytes && *t->onBytes)
            (*t->onBytes)(ulnow, ultotal);
    }
    if (t->sinceActivity.elapsed() > t->timeoutMs) {
        t->timedOut = true;
        return 1;
    }
    return 0;
}

QByteArray crlfLines(const QString& text)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    t.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return t.toUtf8();
}

struct SlistDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

void append(Slist& list, const QByteArray& line)
{
    curl_slist* grown = curl_slist_append(list.get(), line.constData());
    if (grown) {
        (void)list.release();
        list.reset(grown);
    }
}

} // namespace

SmtpSession::SmtpSession(const QString& server, int timeoutMs, const std::atomic<bool>* cancel)
    : m_server(server), m_timeoutMs(timeoutMs), m_cancel(cancel)
{
    initCurlOnce();
    m_curl = curl_easy_init();
}

SmtpSession::~SmtpSession()
{
    if (m_curl)
        curl_easy_cleanup(m_curl);
}

std::optional<QByteArray> SmtpSession::serverUrl(const QString& server)
{
    const QString s = server.trimmed();
    static const QRegularExpression re(QStringLiteral("^(\\[[0-9A-Fa-f:.]+\\]|[A-Za-z0-9._-]+)(:([0-9]{1,5}))?$"));
    const auto m = re.match(s);
    if (!m.hasMatch())
        return std::nullopt;
    int port = 25;
    if (m.hasCaptured(3)) {
        port = m.captured(3).toInt();
        if (port < 1 || port > 65535)
            return std::nullopt;
    }
    return "smtp://" + m.captured(1).toLatin1() + ':' + QByteArray::number(port);
}

SmtpSession::Result SmtpSession::send(const Message& message, const std::function<void(qint64, qint64)>& onBytes)
{
    Result result;
    const auto url = serverUrl(m_server);
    if (!url) {
        result.error = m_server.trimmed().isEmpty() ? QStringLiteral("SMTP-palvelimen nimi puuttuu.")
                                                    : QStringLiteral("SMTP-palvelimen nimi \"%1\" ei kelpaa.").arg(m_server);
        result.unreachable = true;
        return result;
    }
    if (!m_curl) {
        result.error = QStringLiteral("Sähköpostiyhteyttä ei voitu alustaa.");
        return result;
    }
    for (const EmailAttachment& a : message.attachments) {
        QFileInfo fi(a.Path);
        if (!fi.isFile() || !fi.isReadable()) {
            result.error = QStringLiteral("Liitetiedostoa ei voi lukea: %1").arg(a.Path);
            return result;
        }
    }

    curl_easy_reset(m_curl);
    Transfer t;
    t.cancel = m_cancel;
    t.timeoutMs = m_timeoutMs;
    t.onBytes = &onBytes;
    char errbuf[CURL_ERROR_SIZE] = {};

    Slist rcpt;
    for (const QByteArray& to : message.to)
        append(rcpt, '<' + to + '>');
    Slist headers;
    for (const QByteArray& h : message.headers)
        append(headers, h);

    curl_mime* mime = curl_mime_init(m_curl);
    curl_mimepart* textPart = curl_mime_addpart(mime);
    const QByteArray body = crlfLines(message.text);
    curl_mime_data(textPart, body.constData(), static_cast<size_t>(body.size()));
    curl_mime_type(textPart, "text/plain; charset=UTF-8");
    curl_mime_encoder(textPart, "quoted-printable");
    QMimeDatabase mimeTypes;
    for (const EmailAttachment& a : message.attachments) {
        curl_mimepart* part = curl_mime_addpart(mime);
        curl_mime_filedata(part, QFile::encodeName(a.Path).constData());
        // The disposition below names the file; libcurl's own would send the raw bytes of a
        // non-ASCII name.
        curl_mime_filename(part, nullptr);
        curl_mime_type(part, mimeTypes.mimeTypeForFile(a.Path, QMimeDatabase::MatchExtension).name().toLatin1().constData());
        curl_mime_encoder(part, "base64");
        curl_slist* partHeaders = curl_slist_append(
            nullptr, QByteArray("Content-Disposition: " + MailHeaders::attachmentDisposition(QFileInfo(a.Path).fileName()))
                         .constData());
        curl_mime_headers(part, partHeaders, 1);
    }

    curl_easy_setopt(m_curl, CURLOPT_URL, url->constData());
    curl_easy_setopt(m_curl, CURLOPT_MAIL_FROM, ('<' + message.from + '>').constData());
    curl_easy_setopt(m_curl, CURLOPT_MAIL_RCPT, rcpt.get());
    curl_easy_setopt(m_curl, CURLOPT_MAIL_RCPT_ALLLOWFAILS, 1L);
    curl_easy_setopt(m_curl, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_TRY));
    curl_easy_setopt(m_curl, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(m_curl, CURLOPT_MIMEPOST, mime);
    curl_easy_setopt(m_curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(m_timeoutMs));
    curl_easy_setopt(m_curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(m_curl, CURLOPT_ERRORBUFFER, errbuf);
    curl_easy_setopt(m_curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(m_curl, CURLOPT_XFERINFOFUNCTION, &onProgress);
    curl_easy_setopt(m_curl, CURLOPT_XFERINFODATA, &t);
    curl_easy_setopt(m_curl, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(m_curl, CURLOPT_DEBUGFUNCTION, &onDebug);
    curl_easy_setopt(m_curl, CURLOPT_DEBUGDATA, &t);

    t.sinceActivity.start();
    const CURLcode rc = curl_easy_perform(m_curl);
    curl_easy_setopt(m_curl, CURLOPT_MIMEPOST, nullptr);
    curl_mime_free(mime);

    const QString server = m_server.trimmed();
    const auto refusedRecipient = [](const QByteArray& line) {
        return QStringLiteral("Palvelin ei hyväksynyt vastaanottajaa: %1").arg(QString::fromUtf8(line));
    };
    for (auto i = t.refused.cbegin(); i != t.refused.cend(); ++i)
        result.refused.insert(i.key(), refusedRecipient(i.value()));
    if (rc == CURLE_OK) {
        result.ok = true;
        if (!t.refused.isEmpty())
            result.error = refusedRecipient(t.refusal);
        return result;
    }
    const QString said = QString::fromUtf8(t.failureReply);
    const bool allRefused = !t.refused.isEmpty() && t.refused.size() >= message.to.size();
    // Every further message would meet the same: the run ends rather than wait for the server again.
    result.unreachable = true;
    if (m_cancel && m_cancel->load()) {
        result.error = QStringLiteral("Lähetys peruttiin.");
        result.unreachable = false;
    } else if (said.startsWith(QLatin1String("421"))) {
        // 421: the server is closing the connection and takes nothing more now.
        result.error = QStringLiteral("SMTP-palvelin %1 sulki yhteyden: %2").arg(server, said);
    } else if (allRefused) {
        // libcurl reports a wholly refused envelope as a send error; the connection itself is fine.
        result.error = refusedRecipient(t.refusal);
        result.unreachable = false;
    } else if (t.timedOut || rc == CURLE_OPERATION_TIMEDOUT) {
        result.error = QStringLiteral("SMTP-palvelin %1 ei vastannut ajoissa.").arg(server);
    } else if (rc == CURLE_COULDNT_RESOLVE_HOST) {
        result.error = QStringLiteral("SMTP-palvelinta %1 ei löydy.").arg(server);
    } else if (rc == CURLE_COULDNT_CONNECT) {
        result.error = QStringLiteral("Yhteyttä SMTP-palvelimeen %1 ei saatu.").arg(server);
    } else if (rc == CURLE_RECV_ERROR || rc == CURLE_GOT_NOTHING || (rc == CURLE_SEND_ERROR && said.isEmpty())) {
        result.error = QStringLiteral("Yhteys SMTP-palvelimeen %1 katkesi.").arg(server);
    } else if (!said.isEmpty()) {
        result.error = QStringLiteral("Palvelin ei hyväksynyt viestiä: %1").arg(said);
        result.unreachable = false;
    } else {
        result.error = QStringLiteral("Sähköpostin lähetys ei onnistunut: %1")
                           .arg(errbuf[0] ? QString::fromUtf8(errbuf) : QString::fromUtf8(curl_easy_strerror(rc)));
        result.unreachable = false;
    }
    return result;
}

} // namespace tikkeli
