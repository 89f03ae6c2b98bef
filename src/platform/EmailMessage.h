#pragma once

#include "platform/EmailAttachment.h"

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

} // namespace tikkeli
