#include "invoicing/EmailSendLoop.h"

#include "base/NullConversions.h"
#include "base/SharedState.h"
#include "db/Recordset.h"
#include "db/Transaction.h"
#include "invoicing/EmailTemplate.h"
#include "invoicing/Reminders.h"
#include "platform/EmailSender.h"

#include <QTimer>

#include <optional>

namespace tikkeli {

namespace {

void prepare(EmailSender& sender, const QString& subject, const QString& message, const EmailRecipient& recipient,
             int timeoutMs)
{
    sender.compose({State().SmtpServer, State().SenderEmail, subject, message, {}}, {recipient}, timeoutMs);
}

} // namespace

EmailSendLoop::EmailSendLoop(Database db, Kind kind, QString templateText, QObject* parent)
    : QObject(parent), m_db(std::move(db)), m_kind(kind), m_template(std::move(templateText))
{
}

EmailSendLoop::~EmailSendLoop() = default;

bool EmailSendLoop::SendOneEmail(const QString& subject, const QString& message, EmailRecipient& recipient, int timeoutMs)
{
    // A new mailer for every message: nothing of one message reaches the next.
    EmailSender sender;
    prepare(sender, subject, message, recipient, timeoutMs);
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

bool EmailSendLoop::AnyInvoicesEmailed(Database& db)
{
    return !db.scalar(QStringLiteral("SELECT jmID FROM jm WHERE jmEmailed = True LIMIT 1")).isNull();
}

bool EmailSendLoop::AnyRemindersEmailed(Database& db)
{
    return !db.scalar(QStringLiteral("SELECT jmhID FROM jmhist WHERE jmhMuistutusEmailed = True LIMIT 1")).isNull();
}

QString EmailSendLoop::summary(Kind kind, const EmailSendCounts& c)
{
    const bool invoices = kind == Kind::Invoices;
    const QString member = QStringLiteral(" jäsenelle.");
    return (invoices ? QStringLiteral("Lasku lähetettiin ") : QStringLiteral("Muistutus lähetettiin "))
           + QString::number(c.sent) + member + QStringLiteral("\r\n")
           + (invoices ? QStringLiteral("Laskun lähetys ei onnistunut ")
                       : QStringLiteral("Muistutuksen lähetys ei onnistunut "))
           + QString::number(c.failed) + member + QStringLiteral("\r\n")
           + (invoices ? QStringLiteral("Laskun lähetys oli estetty ") : QStringLiteral("Muistutuksen lähetys oli estetty "))
           + QString::number(c.blocked) + member + QStringLiteral("\r\n\r\n")
           + (invoices ? QStringLiteral("Voit tulostaa lähettämättömät Tulosta painikkeella.")
                       : QStringLiteral("Voit tulostaa lähettämättömät Muistut. painikkeella."));
}

QString EmailSendLoop::summary() const
{
    return summary(m_kind, m_counts);
}

void EmailSendLoop::start()
{
    if (m_running)
        return;
    m_running = true;
    m_cancelled = false;
    m_counts = {};
    m_error.clear();
    m_ids.clear();
    m_next = 0;
    try {
        const QString sql = m_kind == Kind::Invoices
                                ? QStringLiteral("SELECT jmID FROM jm WHERE jmEmailed = False ORDER BY jmID")
                                : QStringLiteral("SELECT jmhID FROM jmhist WHERE jmhTulosta = True ORDER BY jmhID");
        Recordset rs = m_db.openRecordset(sql, RecordsetType::Snapshot);
        for (; !rs.eof(); rs.moveNext())
            m_ids.push_back(rs.field(0).toInt64());
    } catch (const std::exception& e) {
        m_error = QString::fromStdString(e.what());
    }
    emit progress(0, int(m_ids.size()));
    if (!m_error.isEmpty()) {
        QTimer::singleShot(0, this, &EmailSendLoop::finish);
        return;
    }
    QTimer::singleShot(0, this, &EmailSendLoop::step);
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
    if (m_kind == Kind::Invoices)
        SetInvoiceEmailed(id, m_db, sent);
    else
        SetReminderEmailed(id, m_db, sent);
}

void EmailSendLoop::advance()
{
    ++m_next;
    emit progress(m_next, int(m_ids.size()));
    QTimer::singleShot(0, this, &EmailSendLoop::step);
}

void EmailSendLoop::step()
{
    if (m_cancelled || m_next >= m_ids.size()) {
        finish();
        return;
    }
    const bool invoices = m_kind == Kind::Invoices;
    const qint64 id = m_ids[m_next];
    try {
        enum class Found { Gone, Blocked, Ready } found = Found::Ready;
        QString subject, text;
        EmailRecipient recipient;
        recipient.Id = qint32(id);
        {
            // The message shows the reminder as it will be recorded; until the server has taken
            // it, nothing of it stays in the database.
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
                subject = NullToString(row.field(QStringLiteral("subject")));
                Recordset member = m_db.openRecordset(
                    QStringLiteral("SELECT jrEmailLasku, jrEmail, jrSukunimi, jrEtunimi FROM jr WHERE jrID = ?"),
                    RecordsetType::Snapshot, {Value(memberId)});
                if (member.eof() || !NullToBoolean(member.field(QStringLiteral("jrEmailLasku")))) {
                    found = Found::Blocked;
                } else {
                    recipient.Name = NullToString(member.field(QStringLiteral("jrSukunimi"))) + QLatin1Char(' ')
                                     + NullToString(member.field(QStringLiteral("jrEtunimi")));
                    recipient.Address = NullToString(member.field(QStringLiteral("jrEmail")));
                    text = invoices ? EmailTemplate::FillInvoiceTemplate(m_template, id, m_db)
                                    : EmailTemplate::FillReminderTemplate(m_template, id, m_db);
                }
            }
        }
        // A row that vanished has no text to send: an empty message never goes out.
        if (found == Found::Gone) {
            ++m_counts.failed;
            advance();
            return;
        }
        if (found == Found::Blocked) {
            ++m_counts.blocked;
            mark(id, false);
            advance();
            return;
        }
        if (text.isEmpty()) {
            ++m_counts.failed;
            mark(id, false);
            advance();
            return;
        }
        recipient.Sent = false;
        m_current = id;
        m_sender = std::make_unique<EmailSender>();
        prepare(*m_sender, subject, text, recipient, m_timeoutMs);
        connect(m_sender.get(), &EmailSender::Finished, this, &EmailSendLoop::delivered);
        if (!m_sender->SendAsync(true)) {
            m_sender.reset();
            ++m_counts.failed;
            mark(id, false);
            advance();
        }
    } catch (const std::exception& e) {
        m_error = QString::fromStdString(e.what());
        finish();
    }
}

void EmailSendLoop::delivered(const EmailRecipients& results, bool cancelled)
{
    const bool sent = !results.isEmpty() && results.first().Sent;
    // The sender is still emitting; let it go once its signal has returned.
    if (m_sender)
        m_sender.release()->deleteLater();
    try {
        if (sent) {
            ++m_counts.sent;
            // The reminder and its mark together: a row is reminded exactly when its message went.
            Transaction t(m_db);
            if (m_kind == Kind::Reminders && m_recordOn.isValid())
                Reminders::CreateReminder(m_db, m_current, m_recordOn);
            mark(m_current, true);
            t.commit();
        } else if (!cancelled) {
            ++m_counts.failed;
            mark(m_current, false);
        }
    } catch (const std::exception& e) {
        m_error = QString::fromStdString(e.what());
        finish();
        return;
    }
    advance();
}

void EmailSendLoop::finish()
{
    if (!m_running)
        return;
    m_running = false;
    if (m_sender)
        m_sender.release()->deleteLater();
    emit finished();
}

} // namespace tikkeli
