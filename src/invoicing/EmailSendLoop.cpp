#include "invoicing/EmailSendLoop.h"

#include "base/Clock.h"
#include "base/NullConversions.h"
#include "base/SharedState.h"
#include "db/Recordset.h"
#include "db/Transaction.h"
#include "invoicing/EmailTemplate.h"
#include "invoicing/Reminders.h"
#include "platform/EmailSender.h"

#include <QElapsedTimer>
#include <QTimer>

#include <optional>

namespace tikkeli {

EmailSendLoop::EmailSendLoop(Database db, Kind kind, QString templateText, QObject* parent)
    : QObject(parent), m_db(std::move(db)), m_kind(kind), m_template(std::move(templateText))
{
}

EmailSendLoop::~EmailSendLoop() = default;

bool EmailSendLoop::SendOneEmail(const QString& subject, const QString& message, EmailRecipient& recipient, int timeoutMs)
{
    // A new mailer for every message: nothing of one message reaches the next.
    EmailSender sender;
    sender.compose({State().SmtpServer, State().SenderEmail, subject, message, {}}, {recipient}, timeoutMs);
    const EmailRecipients results = sender.Send(true);
    recipient.Sent = !results.isEmpty() && results.first().Sent;
    if (!results.isEmpty())
        recipient.Error = results.first().Error;
    return recipient.Sent;
}

void EmailSendLoop::SetInvoiceEmailed(qint64 id, Database& db, bool sent)
{
    db.execute(QStringLiteral("UPDATE jm SET jmEmailed = ? WHERE jmID = ?"), {Value(sent), Value(id)});
}

void EmailSendLoop::SetReminderEmailed(qint64 id, Database& db, bool sent)
{
    db.execute(QStringLiteral("UPDATE jmhist SET jmhMuistutusEmailed = ? WHERE jmhID = ?"), {Value(sent), Value(id)});
}

void EmailSendLoop::SetReminderEmailedOn(qint64 id, Database& db, const QDate& day)
{
    db.execute(QStringLiteral("UPDATE jmhist SET jmhMuistutusEmailedPaiva = ? WHERE jmhID = ?"), {Value(day), Value(id)});
}

bool EmailSendLoop::AnyInvoicesEmailed(Database& db)
{
    return !db.scalar(QStringLiteral("SELECT jmID FROM jm WHERE jmEmailed = True LIMIT 1")).isNull();
}

bool EmailSendLoop::AnyRemindersEmailed(Database& db)
{
    return !db.scalar(QStringLiteral("SELECT jmhID FROM jmhist WHERE jmhMuistutusEmailed = True LIMIT 1")).isNull();
}

QString EmailSendLoop::summary() const
{
    const bool invoices = m_kind == Kind::Invoices;
    const EmailSendCounts& c = m_counts;
    const QString member = QStringLiteral(" jäsenelle.");
    QString text = (invoices ? QStringLiteral("Lasku lähetettiin ") : QStringLiteral("Muistutus lähetettiin "))
                   + QString::number(c.sent) + member + QStringLiteral("\r\n")
                   + (invoices ? QStringLiteral("Laskun lähetys ei onnistunut ")
                               : QStringLiteral("Muistutuksen lähetys ei onnistunut "))
                   + QString::number(c.failed) + member + QStringLiteral("\r\n");
    if (c.leftUnsent > 0)
        text += (invoices ? QStringLiteral("Lasku jäi lähettämättä ") : QStringLiteral("Muistutus jäi lähettämättä "))
                + QString::number(c.leftUnsent) + member + QStringLiteral("\r\n");
    text += (invoices ? QStringLiteral("Laskun lähetys oli estetty ") : QStringLiteral("Muistutuksen lähetys oli estetty "))
            + QString::number(c.blocked) + member + QStringLiteral("\r\n\r\n");
    QString why = m_report.reasons();
    if (!m_error.isEmpty())
        why += (why.isEmpty() ? QString() : QStringLiteral("\r\n")) + QStringLiteral("Lähetys keskeytyi virheeseen: ")
               + m_error;
    // The one message the server took whose mark the database refused: the user can tell it from
    // the unsent ones that "Tulosta" or "Muistut." prints.
    if (!m_unmarked.isEmpty())
        why += QStringLiteral("\r\n") + m_unmarked + QStringLiteral(": viesti lähti, mutta lähetystä ei voitu merkitä.");
    if (!why.isEmpty())
        text += why + QStringLiteral("\r\n\r\n");
    return text
           + (invoices ? QStringLiteral("Voit tulostaa lähettämättömät Tulosta painikkeella.")
                       : QStringLiteral("Voit tulostaa lähettämättömät Muistut. painikkeella."));
}

void EmailSendLoop::start()
{
    if (m_running)
        return;
    m_running = true;
    m_cancelled = false;
    m_counts = {};
    m_report = {};
    m_error.clear();
    m_unmarked.clear();
    m_ids.clear();
    m_sending.clear();
    m_recipients.clear();
    m_texts.clear();
    m_prepared = 0;
    m_settled = 0;
    try {
        const QString sql = m_kind == Kind::Invoices
                                ? QStringLiteral("SELECT jmID FROM jm WHERE jmEmailed = False ORDER BY jmID")
                                : QStringLiteral("SELECT jmhID FROM jmhist WHERE jmhTulosta = True ORDER BY jmhID");
        m_ids = m_db.wholeNumbers(sql);
    } catch (const std::exception& e) {
        m_error = QString::fromStdString(e.what());
    }
    emit preparing(0, int(m_ids.size()));
    if (!m_error.isEmpty()) {
        QTimer::singleShot(0, this, &EmailSendLoop::finish);
        return;
    }
    // Reading the rows of a large club takes about a slice's time itself: the first slice waits
    // for the turn of the event loop after this one, or the two together would keep the window
    // from answering twice as long.
    QTimer::singleShot(0, this, [this] { QTimer::singleShot(0, this, &EmailSendLoop::prepareSome); });
}

void EmailSendLoop::cancel()
{
    if (!m_running)
        return;
    m_cancelled = true;
    if (m_sender)
        m_sender->Cancel();
}

void EmailSendLoop::mark(qint64 id, bool sent)
{
    if (m_kind == Kind::Invoices) {
        SetInvoiceEmailed(id, m_db, sent);
        return;
    }
    SetReminderEmailed(id, m_db, sent);
    if (sent)
        SetReminderEmailedOn(id, m_db, m_recordOn.isValid() ? m_recordOn : Today());
}

void EmailSendLoop::prepareSome()
{
    if (!m_running)
        return;
    if (m_cancelled) {
        m_counts.leftUnsent = int(m_ids.size()) - m_settled;
        m_report.cancelled = true;
        finish();
        return;
    }
    // Short enough that the window answers its user between two slices.
    constexpr qint64 SliceMs = 25;
    const bool invoices = m_kind == Kind::Invoices;
    QElapsedTimer slice;
    slice.start();
    // Every message is made before the first goes, so that all of them share one connection.
    while (m_prepared < m_ids.size() && slice.elapsed() < SliceMs) {
        const qint64 id = m_ids[m_prepared];
        try {
            enum class Found { Gone, Blocked, Ready } found = Found::Ready;
            EmailText message;
            EmailRecipient recipient;
            recipient.Id = qint32(id);
            {
                // The message shows the reminder as it will be recorded; until the server has
                // taken it, nothing of it stays in the database.
                std::optional<Transaction> unrecorded;
                if (!invoices && m_recordOn.isValid()) {
                    unrecorded.emplace(m_db);
                    Reminders::CreateReminder(m_db, id, m_recordOn);
                }
                Recordset row = m_db.openRecordset(
                    invoices ? QStringLiteral("SELECT jmjrID AS memberId, jmOtsake AS subject FROM jm WHERE jmID = ?")
                             : QStringLiteral("SELECT jmhjmjrID AS memberId, jmhjmMuistutusOtsake AS subject FROM jmhist"
                                              " WHERE jmhID = ?"),
                    RecordsetType::Snapshot, {Value(id)});
                if (row.eof()) {
                    found = Found::Gone;
                } else {
                    const qint64 memberId = NullToLong(row.field(QStringLiteral("memberId")));
                    message.subject = NullToString(row.field(QStringLiteral("subject")));
                    Recordset member = m_db.openRecordset(
                        QStringLiteral("SELECT jrEmailLasku, jrEmail, jrSukunimi, jrEtunimi FROM jr WHERE jrID = ?"),
                        RecordsetType::Snapshot, {Value(memberId)});
                    if (member.eof() || !NullToBoolean(member.field(QStringLiteral("jrEmailLasku")))) {
                        found = Found::Blocked;
                    } else {
                        recipient.Name = NullToString(member.field(QStringLiteral("jrSukunimi"))) + QLatin1Char(' ')
                                         + NullToString(member.field(QStringLiteral("jrEtunimi")));
                        recipient.Address = NullToString(member.field(QStringLiteral("jrEmail")));
                        message.text = invoices ? EmailTemplate::FillInvoiceTemplate(m_template, id, m_db)
                                                : EmailTemplate::FillReminderTemplate(m_template, id, m_db);
                    }
                }
            }
            if (found == Found::Gone) {
                // A row that vanished has no text to send: an empty message never goes out.
                ++m_counts.failed;
                ++m_settled;
            } else if (found == Found::Blocked) {
                ++m_counts.blocked;
                ++m_settled;
                mark(id, false);
            } else if (message.text.isEmpty()) {
                ++m_counts.failed;
                ++m_settled;
                m_report.addFailure(recipient.Name.trimmed(), QStringLiteral("Viestin teksti on tyhjä."));
                mark(id, false);
            } else {
                m_sending.append(id);
                m_recipients.append(recipient);
                m_texts.append(message);
            }
        } catch (const std::exception& e) {
            m_error = QString::fromStdString(e.what());
            m_counts.leftUnsent = int(m_ids.size()) - m_settled;
            finish();
            return;
        }
        ++m_prepared;
    }
    emit preparing(int(m_prepared), int(m_ids.size()));
    if (m_prepared < m_ids.size()) {
        QTimer::singleShot(0, this, &EmailSendLoop::prepareSome);
        return;
    }
    startSending();
}

void EmailSendLoop::startSending()
{
    emit progress(m_settled, int(m_ids.size()));
    if (m_recipients.isEmpty()) {
        finish();
        return;
    }
    m_sender = std::make_unique<EmailSender>();
    m_sender->compose({State().SmtpServer, State().SenderEmail, QString(), QString(), {}}, m_recipients, m_timeoutMs,
                      m_texts);
    // The mark of each message is written before the next one goes.
    m_sender->setAwaitsRecording(true);
    connect(m_sender.get(), &EmailSender::RecipientDone, this, &EmailSendLoop::recipientDone);
    connect(m_sender.get(), &EmailSender::ItemsSent, this,
            [this](int sent, int) { emit progress(m_settled + sent, int(m_ids.size())); });
    connect(m_sender.get(), &EmailSender::Finished, this, &EmailSendLoop::delivered);
    m_sender->SendAsync(true);
    m_recipients.clear();
    m_texts.clear();
}

void EmailSendLoop::recipientDone(int index, const EmailRecipient& result)
{
    if (index < 0 || index >= m_sending.size())
        return;
    const qint64 id = m_sending[index];
    try {
        if (result.LeftUnsent) {
            ++m_counts.leftUnsent;
        } else if (result.Sent) {
            ++m_counts.sent;
            // The reminder and its mark together: a row is reminded exactly when its message went.
            Transaction t(m_db);
            if (m_kind == Kind::Reminders && m_recordOn.isValid())
                Reminders::CreateReminder(m_db, id, m_recordOn);
            mark(id, true);
            t.commit();
        } else {
            ++m_counts.failed;
            mark(id, false);
        }
    } catch (const std::exception& e) {
        // The database no longer takes what the server was told: send no more.
        if (m_error.isEmpty())
            m_error = QString::fromStdString(e.what());
        if (result.Sent)
            m_unmarked = result.Name.trimmed();
        if (m_sender)
            m_sender->Cancel();
        return;
    }
    if (m_sender)
        m_sender->recorded();
}

void EmailSendLoop::delivered(const EmailRecipients& results, bool)
{
    // The failures of rows that never reached the mailer stay with those of the server.
    const EmailRunReport own = m_report;
    m_report = EmailRunReport::of(results, m_cancelled);
    // A run the database ended was not cancelled: its error tells why it stopped.
    if (!m_cancelled && !m_error.isEmpty())
        m_report.stopReason.clear();
    m_report.failed += own.failed;
    m_report.failures += own.failures;
    finish();
}

void EmailSendLoop::finish()
{
    if (!m_running)
        return;
    m_running = false;
    // The sender may still be emitting; let it go once its signal has returned.
    if (m_sender)
        m_sender.release()->deleteLater();
    emit finished();
}

} // namespace tikkeli
