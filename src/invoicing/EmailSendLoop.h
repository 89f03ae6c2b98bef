#pragma once

#include "db/Database.h"
#include "platform/EmailMessage.h"
#include "platform/EmailRecipient.h"
#include "platform/EmailRunReport.h"

#include <QDate>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>

namespace tikkeli {

class EmailSender;

struct EmailSendCounts {
    int sent = 0;
    int failed = 0;
    int blocked = 0;
    // Not tried: the run stopped before them (a cancel, a server that could not be reached).
    int leftUnsent = 0;
};

// Sends the current run's invoices (not yet e-mailed) or the reminders of the history rows marked
// for print, one message per row, to members who accept invoices by e-mail. The messages are made
// first, a slice at a time between turns of the caller's event loop (preparing() tells how far,
// and cancel() stops it), then go out over one connection on the mailer's worker while the event
// loop keeps running. Each row's e-mail mark (and reminder) is written as soon as the server has
// answered for it, and the next message waits until it is: a run stopped at any moment leaves
// every row the server took marked, but at most the one in flight. A database that no longer
// takes the marks ends the run. A server that cannot be reached (silent, gone, refusing the
// connection, unknown) ends the run at the first member: the rest are left unsent and unmarked
// rather than each waiting for it again.
class EmailSendLoop : public QObject {
    Q_OBJECT
public:
    enum class Kind { Invoices, Reminders };

    EmailSendLoop(Database db, Kind kind, QString templateText, QObject* parent = nullptr);
    ~EmailSendLoop() override;

    // How long the server may stay silent before the run ends with that member failed.
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }
    // Reminders: each row's reminder is recorded (dated day) together with its e-mail mark once
    // the server has taken the message, and never for a row whose message did not go out. The
    // message shows the reminder as it will be recorded. Without this the rows are sent as they
    // stand.
    void recordRemindersOn(const QDate& day) { m_recordOn = day; }
    // Reads the rows to send and starts; finished() follows (also for no rows at all).
    void start();
    // Stops now: while the messages are being made, before the next slice, nothing sent; while
    // they go, a message still going out is abandoned (one whose whole text is out waits for the
    // server's answer); it and the rest are left unsent and keep their marks.
    void cancel();
    bool running() const { return m_running; }
    bool wasCancelled() const { return m_cancelled; }
    const EmailSendCounts& counts() const { return m_counts; }
    // A database error that ended the run early; empty when none.
    const QString& error() const { return m_error; }
    // The closing message of the run: the counts, that it was cancelled or why it stopped, the
    // failures in the server's own words and a database error that ended it (naming the member
    // whose message went but could not be marked).
    QString summary() const;

    // One message to one recipient over the configured server; whether the server accepted it.
    static bool SendOneEmail(const QString& subject, const QString& message, EmailRecipient& recipient,
                             int timeoutMs = 30000);

    static void SetInvoiceEmailed(qint64 id, Database& db, bool sent);
    static void SetReminderEmailed(qint64 id, Database& db, bool sent);
    // The day the row's reminder went by e-mail; the e-mail mark stays set after a later reminder
    // given on paper, the day tells whether the member was e-mailed today.
    static void SetReminderEmailedOn(qint64 id, Database& db, const QDate& day);
    static bool AnyInvoicesEmailed(Database& db);
    static bool AnyRemindersEmailed(Database& db);

signals:
    // The messages made (or the rows settled without one) so far, while they are being made.
    void preparing(int done, int total);
    // The rows through, while the messages go out.
    void progress(int done, int total);
    void finished();

private:
    // Makes the messages of the next rows for a moment, then lets the event loop turn.
    void prepareSome();
    void startSending();
    void recipientDone(int index, const EmailRecipient& result);
    void delivered(const EmailRecipients& results, bool cancelled);
    void mark(qint64 id, bool sent);
    void finish();

    Database m_db;
    Kind m_kind;
    QString m_template;
    QDate m_recordOn;
    int m_timeoutMs = 30000;
    QList<qint64> m_ids;
    // The rows whose message has been made (or settled without one).
    qsizetype m_prepared = 0;
    // Rows settled without a message (blocked, gone, nothing to send).
    int m_settled = 0;
    // The rows to hand to the mailer, by its recipient index, with their recipients and texts.
    QList<qint64> m_sending;
    EmailRecipients m_recipients;
    EmailTexts m_texts;
    EmailSendCounts m_counts;
    EmailRunReport m_report;
    bool m_running = false;
    bool m_cancelled = false;
    QString m_error;
    // Whose message went out but could not be marked, when the database stopped the run.
    QString m_unmarked;
    std::unique_ptr<EmailSender> m_sender;
};

} // namespace tikkeli
