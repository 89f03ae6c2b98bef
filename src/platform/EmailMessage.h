#pragma once

#include "platform/EmailAttachment.h"

#include <QList>
#include <QString>

namespace tikkeli {

// What one send says: the server it goes through, who sends it, its subject, text and attachments.
struct EmailMessage {
    QString server; // "host" or "host:port" (port 25 when none)
    QString sender;
    QString subject;
    QString text;
    EmailAttachments attachments;
};

// The subject and text of one recipient's own message (an invoice, a reminder).
struct EmailText {
    QString subject;
    QString text;
};

using EmailTexts = QList<EmailText>;

} // namespace tikkeli
