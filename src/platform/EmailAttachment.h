#pragma once

#include <QList>
#include <QString>

namespace tikkeli {

// One file attached to an EmailSender's message, sent under its own file name.
struct EmailAttachment {
    QString Path;
};

using EmailAttachments = QList<EmailAttachment>;

} // namespace tikkeli
