#pragma once

#include "platform/EmailAttachment.h"

#include <QString>

class QListWidget;
class QWidget;

namespace tikkeli {

// The attachment list both e-mail windows keep (one full path per entry) and the checks they make
// before anything is sent.
namespace EmailWindowParts {

// Asks a file through the prompter (starting in the program folder) and appends it.
void AddAttachment(QListWidget* list);
// Removes the selected entry; nothing without one.
void RemoveAttachment(QListWidget* list);
// One attachment per non-empty entry, in list order.
EmailAttachments Attachments(const QListWidget* list);
// What stops a send before it starts (no SMTP server, an attachment that is gone); "" when nothing.
QString CheckBeforeSend(const EmailAttachments& attachments);
// Whether a window may close without sending: at once when nothing was typed, else when the user
// says so (the answer that keeps the message is the default).
bool MayDiscard(bool typed);

} // namespace EmailWindowParts

} // namespace tikkeli
