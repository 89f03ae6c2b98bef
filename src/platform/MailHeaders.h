#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

namespace tikkeli {

// The pieces of an Internet message header that the mailer writes itself: checked addresses,
// encoded words for non-ASCII text, the Date and Message-ID values.
class MailHeaders {
public:
    // The address in the form SMTP carries it (trimmed, domain in ASCII), or nullopt when it is
    // empty or malformed. Non-ASCII local parts are refused: they need a server extension we
    // cannot count on.
    static std::optional<QByteArray> smtpAddress(const QString& address);

    // Text for a header field: plain when it is printable ASCII, else RFC 2047 encoded words
    // (UTF-8, base64), folded so that no line grows past the limit.
    static QByteArray encodeText(const QString& text);
    // "Name <address>" for From/To; address must come from smtpAddress.
    static QByteArray mailbox(const QString& name, const QByteArray& address);
    // The Content-Disposition value for an attachment with the given file name.
    static QByteArray attachmentDisposition(const QString& fileName);

    static QByteArray date(const QDateTime& when);
    // A unique id under the sender's domain.
    static QByteArray messageId(const QByteArray& senderAddress);
};

} // namespace tikkeli
