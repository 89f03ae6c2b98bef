#pragma once

#include "platform/EmailAttachment.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QHash>
#include <QString>

#include <atomic>
#include <functional>
#include <optional>

typedef void CURL;

namespace tikkeli {

// One SMTP connection (libcurl) that carries any number of messages in turn. STARTTLS is used
// whenever the server offers it. A server that stays silent longer than the time-out, or a cancel
// request, ends the current message at once.
class SmtpSession {
public:
    struct Message {
        QByteArray from; // bare addresses, as MailHeaders::smtpAddress gives them
        QByteArrayList to;
        QByteArrayList headers; // complete "Field: value" lines, without CR LF
        QString text;           // the body
        EmailAttachments attachments;
    };
    struct Result {
        bool ok = false;
        QString error; // Finnish, when !ok or when some addressee was refused
        // The addressees the server turned down, each with the error its own refusal line makes.
        QHash<QByteArray, QString> refused;
        // The server could not be reached or stopped answering: a further message would only wait
        // for it again.
        bool unreachable = false;
    };

    SmtpSession(const QString& server, int timeoutMs, const std::atomic<bool>* cancel);
    ~SmtpSession();
    SmtpSession(const SmtpSession&) = delete;
    SmtpSession& operator=(const SmtpSession&) = delete;

    // "smtp://host:port" for "host" or "host:port" (port 25 when none), nullopt when unusable.
    static std::optional<QByteArray> serverUrl(const QString& server);

    Result send(const Message& message, const std::function<void(qint64 sent, qint64 total)>& onBytes = {});

private:
    QString m_server;
    int m_timeoutMs;
    const std::atomic<bool>* m_cancel;
    CURL* m_curl = nullptr;
};

} // namespace tikkeli
