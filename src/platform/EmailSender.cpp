#include "platform/EmailSender.h"

#include "base/Clock.h"
#include "platform/MailHeaders.h"
#include "platform/SmtpSession.h"

#include <QDateTime>
#include <QMutex>
#include <QThreadPool>
#include <QWaitCondition>

namespace tikkeli {

namespace {
std::atomic<int> g_running{0};
}

struct EmailSender::Job {
    QString server;
    QString sender;
    QString subject;
    QString message;
    EmailRecipients recipients;
    EmailAttachments attachments;
    EmailTexts texts;
    bool separately = true;
    int timeoutMs = 30000;
    // Set when each next message waits for the caller's recorded().
    std::shared_ptr<Recording> recording;
};

struct EmailSender::Recording {
    QMutex mutex;
    QWaitCondition changed;
    int recorded = 0;

    void add()
    {
        QMutexLocker lock(&mutex);
        ++recorded;
        changed.wakeAll();
    }
    void wake()
    {
        QMutexLocker lock(&mutex);
        changed.wakeAll();
    }
    // Until count recipients are recorded, or the send is cancelled.
    void waitFor(int count, const std::atomic<bool>& cancel)
    {
        QMutexLocker lock(&mutex);
        while (recorded < count && !cancel.load())
            changed.wait(&mutex);
    }
};

EmailSender::EmailSender(QObject* parent) : QObject(parent) {}

EmailSender::~EmailSender()
{
    if (m_link)
        m_link->detach();
    wakeRecording();
}

void EmailSender::wakeRecording()
{
    if (m_recording)
        m_recording->wake();
}

void EmailSender::recorded()
{
    if (m_recording)
        m_recording->add();
}

void EmailSender::compose(const EmailMessage& message, const EmailRecipients& recipients, int timeoutMs,
                          const EmailTexts& texts)
{
    Server = message.server;
    Sender = message.sender;
    Subject = message.subject;
    Message = message.text;
    Attachments = message.attachments;
    Recipients = recipients;
    Texts = texts;
    m_timeoutMs = timeoutMs;
}

int EmailSender::runningSends()
{
    return g_running.load();
}

EmailSender::Job EmailSender::snapshot(bool separately) const
{
    Job job;
    job.server = Server;
    job.sender = Sender;
    job.subject = Subject;
    job.message = Message;
    job.recipients = Recipients;
    job.attachments = Attachments;
    job.texts = Texts;
    job.separately = separately;
    job.timeoutMs = m_timeoutMs;
    return job;
}

EmailRecipients EmailSender::Send(bool separately)
{
    m_blockingCancel = false;
    return run(snapshot(separately), &m_blockingCancel,
               {[this](int sent, int total) { emit ItemsSent(sent, total); },
                [this](int index, const EmailRecipient& result) { emit RecipientDone(index, result); },
                [this](qint64 sent, qint64 total) { emit BytesSent(sent, total); }});
}

bool EmailSender::SendAsync(bool separately)
{
    if (m_link)
        return false;
    auto link = ReceiverGuard::attach(this);
    m_link = link;
    Job job = snapshot(separately);
    m_recording = m_awaitsRecording ? std::make_shared<Recording>() : nullptr;
    job.recording = m_recording;
    ++g_running;
    QThreadPool::globalInstance()->start([link, job = std::move(job)] {
        const EmailRecipients results = run(
            job, &link->cancel,
            {[link](int sent, int total) {
                 link->post<EmailSender>([sent, total](EmailSender* target) { emit target->ItemsSent(sent, total); });
             },
             [link](int index, const EmailRecipient& result) {
                 link->post<EmailSender>(
                     [index, result](EmailSender* target) { emit target->RecipientDone(index, result); });
             },
             [link](qint64 sent, qint64 total) {
                 link->post<EmailSender>([sent, total](EmailSender* target) { emit target->BytesSent(sent, total); });
             }});
        const bool cancelled = link->cancel.load();
        link->post<EmailSender>([link, results, cancelled](EmailSender* target) {
            if (target->m_link == link)
                target->m_link.reset();
            emit target->Finished(results, cancelled);
        });
        --g_running;
    });
    return true;
}

void EmailSender::Cancel()
{
    m_blockingCancel = true;
    if (m_link)
        m_link->cancel = true;
    wakeRecording();
}

EmailRecipients EmailSender::run(const Job& job, const std::atomic<bool>* cancel, const Progress& progress)
{
    const auto& onItems = progress.items;
    const auto& onBytes = progress.bytes;
    EmailRecipients results = job.recipients;
    const int total = static_cast<int>(results.size());
    for (EmailRecipient& r : results) {
        r.Sent = false;
        r.Error.clear();
        r.LeftUnsent = false;
    }
    onItems(0, total);
    if (results.isEmpty())
        return results;

    auto failAll = [&](const QString& error) {
        for (EmailRecipient& r : results) {
            if (r.Error.isEmpty())
                r.Error = error;
        }
    };
    const auto from = MailHeaders::smtpAddress(job.sender);
    if (!from) {
        failAll(QStringLiteral("Lähettäjän sähköpostiosoite \"%1\" ei kelpaa.").arg(job.sender));
        for (int i = 0; i < total; ++i)
            progress.recipient(i, results[i]);
        return results;
    }
    // A bad address fails only its own recipient, before any connection is made.
    QList<QByteArray> addresses;
    for (EmailRecipient& r : results) {
        const auto a = MailHeaders::smtpAddress(r.Address);
        addresses.append(a.value_or(QByteArray()));
        if (!a)
            r.Error = r.Address.trimmed().isEmpty() ? QStringLiteral("Sähköpostiosoite puuttuu.")
                                                    : QStringLiteral("Sähköpostiosoite \"%1\" ei kelpaa.").arg(r.Address);
    }

    SmtpSession session(job.server, job.timeoutMs, cancel);
    auto compose = [&](const QList<int>& which) {
        SmtpSession::Message m;
        m.from = *from;
        QByteArrayList to;
        for (int i : which) {
            m.to.append(addresses[i]);
            to.append(MailHeaders::mailbox(results[i].Name, addresses[i]));
        }
        // A recipient's own text goes only in a message of its own.
        const bool own = job.separately && which.size() == 1 && which.first() < job.texts.size();
        const EmailText text = own ? job.texts[which.first()] : EmailText{job.subject, job.message};
        m.headers = {
            "Date: " + MailHeaders::date(Now()),
            "From: " + MailHeaders::mailbox(QString(), *from),
            "To: " + to.join(",\r\n "),
            "Subject: " + MailHeaders::encodeText(text.subject),
            "Message-ID: " + MailHeaders::messageId(*from),
        };
        m.text = text.text;
        for (const EmailAttachment& a : job.attachments) {
            if (!a.Path.isEmpty())
                m.attachments.append(a);
        }
        return m;
    };
    // Whether the server is still worth asking for the next message.
    auto deliver = [&](const QList<int>& which) {
        const SmtpSession::Result r = session.send(compose(which), onBytes);
        const bool cancelled = !r.ok && cancel->load();
        for (int i : which) {
            const bool refused = r.refused.contains(addresses[i]);
            results[i].Sent = r.ok && !refused;
            // A refused recipient gets the server's line for its own address, not another's.
            if (!results[i].Sent)
                results[i].Error = r.refused.value(addresses[i], r.error);
            // A message abandoned on the user's word did not fail: it was left unsent.
            results[i].LeftUnsent = cancelled;
        }
        return !r.unreachable;
    };

    QList<int> valid;
    for (int i = 0; i < total; ++i) {
        if (!addresses[i].isEmpty())
            valid.append(i);
    }
    if (job.separately) {
        // Once the server cannot be reached, every further message would wait the whole time-out
        // for it again: the rest are left unsent, to be sent again later.
        QString stopped;
        int done = 0;
        for (int i = 0; i < total; ++i) {
            if (!addresses[i].isEmpty()) {
                // Nothing more goes out before the caller has written down every answer so far.
                if (stopped.isEmpty() && job.recording)
                    job.recording->waitFor(done, *cancel);
                if (stopped.isEmpty() && cancel->load())
                    stopped = QStringLiteral("Lähetys peruttiin.");
                if (!stopped.isEmpty()) {
                    results[i].Error = stopped;
                    results[i].LeftUnsent = true;
                } else if (!deliver({i})) {
                    stopped = QStringLiteral("Lähetys keskeytyi: ") + results[i].Error;
                }
            }
            progress.recipient(i, results[i]);
            onItems(++done, total);
        }
    } else {
        if (!valid.isEmpty())
            deliver(valid);
        for (int i = 0; i < total; ++i)
            progress.recipient(i, results[i]);
        onItems(total, total);
    }
    return results;
}

} // namespace tikkeli
