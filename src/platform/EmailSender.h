#pragma once

#include "platform/EmailAttachment.h"
#include "platform/EmailMessage.h"
#include "platform/EmailRecipient.h"
#include "platform/ReceiverGuard.h"

#include <QObject>

#include <atomic>
#include <memory>

namespace tikkeli {

// The program's mailer: one text message with attachments to a list of recipients over SMTP.
// Fill the properties, then either Send (blocks; for worker threads and short sends) or SendAsync
// (returns at once; progress and the outcome arrive as queued signals on this object's thread).
// Destroying the sender cancels a running send; no signal arrives after that.
class EmailSender : public QObject {
    Q_OBJECT
public:
    explicit EmailSender(QObject* parent = nullptr);
    ~EmailSender() override;

    QString Server; // "host" or "host:port" (port 25 when none)
    QString Sender;
    QString Subject;
    QString Message;
    EmailRecipients Recipients;
    EmailAttachments Attachments;
    // Separate messages only: recipient i gets Texts[i] in place of Subject and Message (each
    // member's own invoice). Empty: one subject and text for all.
    EmailTexts Texts;

    // Sets every property of one send at once, so no caller forgets one.
    void compose(const EmailMessage& message, const EmailRecipients& recipients, int timeoutMs,
                 const EmailTexts& texts = {});

    // How long the server may stay silent (connecting, answering, taking data) before the
    // message counts as failed.
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }
    int timeoutMs() const { return m_timeoutMs; }

    // separately: a message of its own to each recipient; otherwise one message addressed to all.
    // Returns the recipients with Sent true exactly for those the server accepted. Separate
    // messages go over one connection and stop once the server cannot be reached (or on Cancel):
    // the recipients not yet through come back LeftUnsent, their Error "Lähetys keskeytyi: " and
    // the reason.
    EmailRecipients Send(bool separately);
    // False (and nothing started) while a send is already running.
    bool SendAsync(bool separately);
    bool isSending() const { return m_link != nullptr; }
    // Abandons the message on its way (unless its whole text is out: then the server's answer
    // decides it) and sends no more; the rest come back unsent. SendAsync still emits Finished; a
    // blocking Send (cancelled from an ItemsSent handler) returns.
    void Cancel();

    // Separate messages of SendAsync only: once a recipient is through, no further message goes out
    // until the caller has called recorded() for it (or cancelled). A caller that writes each
    // answer down on its own thread thereby has it written before the server is given the next
    // message, so a stop at any moment leaves at most the message in flight unrecorded.
    void setAwaitsRecording(bool on) { m_awaitsRecording = on; }
    // The caller has written down what RecipientDone told it, for one more recipient in order.
    void recorded();

    // Sends started by any sender whose worker has not yet ended (tests wait on this).
    static int runningSends();

signals:
    void ItemsSent(int sent, int total);
    // Recipient index (of Recipients) is through, with its outcome; comes before the ItemsSent
    // that counts it, so a caller can record each message as the server answers for it.
    void RecipientDone(int index, const tikkeli::EmailRecipient& result);
    void BytesSent(qint64 sent, qint64 total);
    void Finished(const tikkeli::EmailRecipients& results, bool cancelled);

private:
    struct Job;
    struct Recording;
    struct Progress {
        std::function<void(int, int)> items;
        std::function<void(int, const EmailRecipient&)> recipient;
        std::function<void(qint64, qint64)> bytes;
    };
    static EmailRecipients run(const Job& job, const std::atomic<bool>* cancel, const Progress& progress);
    Job snapshot(bool separately) const;
    // Lets a worker waiting for recorded() see a cancel.
    void wakeRecording();

    int m_timeoutMs = 30000;
    bool m_awaitsRecording = false;
    std::atomic<bool> m_blockingCancel{false};
    std::shared_ptr<ReceiverGuard> m_link;
    std::shared_ptr<Recording> m_recording;
};

} // namespace tikkeli
