#pragma once

#include <QList>
#include <QString>

namespace tikkeli {

// One addressee of an EmailSender. Callers set Id, Name, Address and Sent = false before the send
// and read Sent (and Error, when it is false) afterwards.
struct EmailRecipient {
    qint32 Id = 0;
    QString Name;
    QString Address;
    bool Sent = false;
    // Why the message did not reach this recipient, in Finnish; empty when Sent.
    QString Error;
    // The send stopped (cancelled, or the server could not be reached) before this recipient's
    // message went through: neither sent nor failed, it may simply be sent again.
    bool LeftUnsent = false;
};

using EmailRecipients = QList<EmailRecipient>;

} // namespace tikkeli
