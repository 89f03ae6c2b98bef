#include "lists/GroupEmail.h"

#include "base/NullConversions.h"
#include "db/ClubChanges.h"
#include "db/Recordset.h"
#include "db/Transaction.h"
#include "platform/EmailSender.h"

#include <QTimer>

namespace tikkeli {

std::vector<GroupEmailMember> GroupEmail::Members(Database& db)
{
    std::vector<GroupEmailMember> list;
    Recordset rs = db.openRecordset(
        QStringLiteral("SELECT jrID, jrSukunimi, jrEtunimi, jrEmail FROM jr ORDER BY jrSukunimi, jrEtunimi, jrID"),
        RecordsetType::Snapshot);
    for (; !rs.eof(); rs.moveNext()) {
        const QString name = (NullToString(rs.field(1)) + QLatin1Char(' ') + NullToString(rs.field(2))).trimmed();
        list.push_back({qint32(rs.field(0).toInt64()), name + QStringLiteral(" - ") + NullToString(rs.field(3))});
    }
    return list;
}

EmailRecipients GroupEmail::Recipients(Database& db, const QList<qint32>& memberIds)
{
    EmailRecipients list;
    for (qint32 id : memberIds) {
        Recordset rs = db.openRecordset(QStringLiteral("SELECT jrSukunimi, jrEtunimi, jrEmail FROM jr WHERE jrID = ?"),
                                        RecordsetType::Snapshot, {Value(id)});
        // A member deleted since the list was filled has no address to send to.
        EmailRecipient r;
        r.Id = id;
        if (!rs.eof()) {
            r.Name = NullToString(rs.field(0)) + QLatin1Char(' ') + NullToString(rs.field(1));
            r.Address = NullToString(rs.field(2));
        }
        list.append(r);
    }
    return list;
}

namespace {

QString UnsentLine(int leftUnsent)
{
    return leftUnsent > 0 ? QStringLiteral("\r\nLähettämättä jäi: %1").arg(leftUnsent) : QString();
}

} // namespace

QString GroupEmail::TallyQuestion(const EmailRunReport& report)
{
    QString text = QStringLiteral("Sähköpostin lähetys ei onnistunut kaikille.\r\nOnnistui: %1  Epäonnistui: %2")
                       .arg(report.sent)
                       .arg(report.failed - report.withoutAddress);
    if (report.withoutAddress > 0)
        text += QStringLiteral("\r\nIlman sähköpostiosoitetta: %1").arg(report.withoutAddress);
    text += UnsentLine(report.leftUnsent);
    // Members without an address are counted above; their names would only bury the server's words.
    if (const QString why = report.reasons(false); !why.isEmpty())
        text += QStringLiteral("\r\n\r\n") + why;
    text += QStringLiteral("\r\n\r\nLuodaanko uusi ryhmä niistä joille lähetys epäonnistui?");
    if (report.withoutAddress > 0)
        text += QStringLiteral(" Ryhmään tulevat myös jäsenet, joilla ei ole sähköpostiosoitetta.");
    return text;
}

QString GroupEmail::ClosingText(const EmailRunReport& report)
{
    if (report.leftUnsent == 0)
        return QStringLiteral("Sähköposti lähetettiin onnistuneesti %1 jäsenelle.").arg(report.sent);
    return QStringLiteral("Sähköpostin lähetys keskeytettiin.\r\nOnnistui: %1").arg(report.sent)
           + UnsentLine(report.leftUnsent)
           + (report.stopReason.isEmpty() ? QString() : QStringLiteral("\r\n\r\n") + report.stopReason);
}

QString GroupEmail::SendUnderWayText()
{
    return QStringLiteral("Edellisen ryhmäsähköpostin lähetys on vielä kesken. Aloita uusi lähetys, kun se on päättynyt.");
}

qint64 GroupEmail::CreateFailedGroup(Database& db, const QString& subject, const QList<qint32>& memberIds,
                                     const QDateTime& sentAt)
{
    Transaction t(db);
    const QString name = (QStringLiteral("Epäonn. email:") + subject).left(FeatureNameWidth);
    const QString description = QStringLiteral("Epäonnistunut ryhmäsähköposti otsakkeella: ") + subject
                                + QStringLiteral(" lähetetty: ") + sentAt.toString(QStringLiteral("d.M.yyyy H:mm:ss"));
    db.execute(QStringLiteral("INSERT INTO pi (piNimi, piKuvaus, piType) VALUES (?, ?, 1)"),
               {Value(name), Value(description)});
    const qint64 featureId = db.lastInsertId();
    for (qint32 id : memberIds)
        db.execute(QStringLiteral("INSERT INTO pt (ptpiID, ptjrID) VALUES (?, ?)"), {Value(featureId), Value(id)});
    ClubChanges::announce(db, ClubChanges::Kind::FeatureDefinitions);
    ClubChanges::announce(db, ClubChanges::Kind::FeatureValues);
    t.commit();
    return featureId;
}

GroupEmailRun::GroupEmailRun(QObject* parent) : QObject(parent) {}

GroupEmailRun::~GroupEmailRun() = default;

bool GroupEmailRun::start(const Message& message, const EmailRecipients& recipients)
{
    if (m_running)
        return false;
    m_running = true;
    m_cancelled = false;
    m_message = message;
    m_results = recipients;
    m_sentIndexes.clear();
    m_withoutAddress = 0;
    EmailRecipients toSend;
    for (int i = 0; i < m_results.size(); ++i) {
        EmailRecipient& r = m_results[i];
        r.Sent = false;
        r.Error.clear();
        r.LeftUnsent = false;
        if (r.Address.trimmed().isEmpty()) {
            r.Error = QStringLiteral("Jäsenellä ei ole sähköpostiosoitetta.");
            ++m_withoutAddress;
        } else {
            m_sentIndexes.append(i);
            toSend.append(r);
        }
    }
    const int total = int(m_results.size());
    emit progress(m_withoutAddress, total);
    if (toSend.isEmpty()) {
        QTimer::singleShot(0, this, [this] { delivered({}, false); });
        return true;
    }
    m_sender = std::make_unique<EmailSender>();
    m_sender->compose(message, toSend, m_timeoutMs);
    connect(m_sender.get(), &EmailSender::ItemsSent, this,
            [this, total](int sent, int) { emit progress(m_withoutAddress + sent, total); });
    connect(m_sender.get(), &EmailSender::Finished, this, &GroupEmailRun::delivered);
    // Each member gets a message of their own: no member sees the others' addresses.
    m_sender->SendAsync(true);
    return true;
}

void GroupEmailRun::cancel()
{
    if (!m_running)
        return;
    m_cancelled = true;
    if (m_sender)
        m_sender->Cancel();
}

void GroupEmailRun::delivered(const EmailRecipients& results, bool cancelled)
{
    for (int k = 0; k < m_sentIndexes.size() && k < results.size(); ++k) {
        EmailRecipient& r = m_results[m_sentIndexes[k]];
        r.Sent = results[k].Sent;
        r.Error = results[k].Error;
        r.LeftUnsent = results[k].LeftUnsent;
    }
    m_cancelled = m_cancelled || cancelled;
    // The sender is still emitting; let it go once its signal has returned.
    if (m_sender)
        m_sender.release()->deleteLater();
    m_running = false;
    emit finished();
}

int GroupEmailRun::succeeded() const
{
    int n = 0;
    for (const EmailRecipient& r : m_results)
        n += r.Sent ? 1 : 0;
    return n;
}

QList<qint32> GroupEmailRun::failedIds() const
{
    QList<qint32> ids;
    for (const EmailRecipient& r : m_results) {
        if (!r.Sent && !r.LeftUnsent)
            ids.append(r.Id);
    }
    return ids;
}

EmailRunReport GroupEmailRun::report() const
{
    return EmailRunReport::of(m_results, m_cancelled);
}

int GroupEmailRun::leftUnsent() const
{
    int n = 0;
    for (const EmailRecipient& r : m_results)
        n += r.LeftUnsent ? 1 : 0;
    return n;
}

} // namespace tikkeli
