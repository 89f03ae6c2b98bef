#pragma once

#include "db/Database.h"
#include "platform/EmailAttachment.h"
#include "platform/EmailMessage.h"
#include "platform/EmailRecipient.h"
#include "platform/EmailRunReport.h"

#include <QDateTime>
#include <QObject>
#include <QSet>
#include <QString>

#include <memory>
#include <vector>

namespace tikkeli {

class EmailSender;

// The member rows of the group e-mail's recipient list, read without changing anything: a member
// without a surname is listed by the rest of the name and the address.
struct GroupEmailMember {
    qint32 id = 0;
    QString text; // "surname first name - address"
};

class GroupEmail {
public:
    // Every member, by surname and first name.
    static std::vector<GroupEmailMember> Members(Database& db);
    // The members who hold the feature.
    // The recipients of the chosen members, in the order given: Id the jrID, Name "surname first
    // name", Address the member's e-mail address.
    static EmailRecipients Recipients(Database& db, const QList<qint32>& memberIds);
    // The question after a run in which some messages failed: the counts (members without an
    // address apart, those left unsent when the run stopped early), why the run stopped and the
    // server's refusals.
    static QString TallyQuestion(const EmailRunReport& report);
    // What a run without failures says: how many it sent to, and how many it left unsent.
    static QString ClosingText(const EmailRunReport& report);
    // What starting a group e-mail says while another is being sent.
    static QString SendUnderWayText();
    // A new member feature "Epäonn. email:<subject>" (cut to the width of piNimi) held by the
    // failed members, written in one transaction; its piID.
    static qint64 CreateFailedGroup(Database& db, const QString& subject, const QList<qint32>& memberIds,
                                    const QDateTime& sentAt);

    static constexpr int FeatureNameWidth = 50;
};

// One group send: one message of its own to each recipient over one connection, on the mailer's
// worker while the caller's event loop runs. A recipient without an address fails at once without
// a connection. progress() follows every recipient; finished() comes once, also after cancel().
class GroupEmailRun : public QObject {
    Q_OBJECT
public:
    using Message = EmailMessage;

    explicit GroupEmailRun(QObject* parent = nullptr);
    ~GroupEmailRun() override;

    void setTimeoutMs(int ms) { m_timeoutMs = ms; }
    // False (nothing started) while a run is going.
    bool start(const Message& message, const EmailRecipients& recipients);
    void cancel();
    bool running() const { return m_running; }
    bool wasCancelled() const { return m_cancelled; }
    // What this run sends (its subject names its failed group).
    const Message& message() const { return m_message; }
    // The recipients with Sent, Error and LeftUnsent, in the order given (valid after finished()).
    const EmailRecipients& results() const { return m_results; }
    int succeeded() const;
    // Those whose message was tried and did not go through (not those left unsent).
    QList<qint32> failedIds() const;
    // Those the run stopped before (a cancel, a server that could not be reached).
    int leftUnsent() const;
    // The counts and reasons of the run for its closing message.
    EmailRunReport report() const;

signals:
    void progress(int done, int total);
    void finished();

private:
    void delivered(const EmailRecipients& results, bool cancelled);

    int m_timeoutMs = 30000;
    bool m_running = false;
    bool m_cancelled = false;
    int m_withoutAddress = 0;
    Message m_message;
    QList<int> m_sentIndexes; // into m_results: those handed to the mailer
    EmailRecipients m_results;
    std::unique_ptr<EmailSender> m_sender;
};

} // namespace tikkeli
