#include "invoicing/Reminders.h"

#include "base/Clock.h"
#include "base/NullConversions.h"
#include "base/SharedState.h"
#include "db/Recordset.h"
#include "db/Transaction.h"
#include "invoicing/InvoicePrintOrder.h"

#include <QHash>

namespace tikkeli {

qint32 Reminders::DaysOverdue(const Value& dueDate, const QDate& reminderDate)
{
    if (dueDate.isNull())
        return 0;
    const QDate due = dueDate.toDate();
    if (!due.isValid() || !reminderDate.isValid())
        return 0;
    return qint32(due.daysTo(reminderDate));
}

Currency Reminders::Interest(Currency openAmount, qint32 days, double ratePercent)
{
    if (days <= 0)
        return {};
    return (openAmount * days).scaledBy(ratePercent, 36500.0);
}

namespace {

// Writes one invoice's reminder, given what has been paid on it so far.
void WriteReminder(Database& db, qint64 jmhID, const QDate& today, Currency paid)
{
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM jmhist WHERE jmhID = ?"), RecordsetType::Dynaset,
                                    {Value(jmhID)});
    if (rs.eof())
        return;
    const SharedState& s = State();
    const Currency open = NullToCurrency(rs.field(QStringLiteral("jmhjmHinta"))) - paid;
    const qint32 days = Reminders::DaysOverdue(rs.field(QStringLiteral("jmhjmErapaiva")), today);
    const Currency interest = Reminders::Interest(open, days, s.LateInterestRate);
    rs.edit();
    rs.setField(QStringLiteral("jmhjmAvoinSumma"), open);
    rs.setField(QStringLiteral("jmhjmMuistutusKulut"), s.ReminderFee);
    rs.setField(QStringLiteral("jmhjmMuistutusKorko"), s.LateInterestRate);
    rs.setField(QStringLiteral("jmhjmMuistutusOtsake"),
                s.ReminderTitle.isEmpty() ? Value() : Value(s.ReminderTitle.left(30)));
    rs.setField(QStringLiteral("jmhjmMuistutusPaiva"), today);
    rs.setField(QStringLiteral("jmhjmMuistutusNumero"), NullToLong(rs.field(QStringLiteral("jmhjmMuistutusNumero"))) + 1);
    rs.setField(QStringLiteral("jmhjmMuistutusKorkoSumma"), interest);
    rs.setField(QStringLiteral("jmhjmMuistutusYhteensa"), open + s.ReminderFee + interest);
    rs.update();
}

// What has been paid on each invoice of a selection, read in one pass rather than once an invoice.
QHash<qint64, Currency> PaidOn(Database& db, const QString& where, const Params& params)
{
    QHash<qint64, Currency> paid;
    Recordset rs = db.openRecordset(QStringLiteral("SELECT jmhID, Summa FROM Suoritukset WHERE jmhID IN"
                                                   " (SELECT jmhID FROM jmhist WHERE ")
                                        + where + QStringLiteral(")"),
                                    RecordsetType::Snapshot, params);
    for (; !rs.eof(); rs.moveNext())
        paid[rs.field(0).toInt64()] += NullToCurrency(rs.field(1));
    return paid;
}

} // namespace

void Reminders::CreateReminder(Database& db, qint64 jmhID, const QDate& today)
{
    Currency paid;
    Recordset payments = db.openRecordset(QStringLiteral("SELECT Summa FROM Suoritukset WHERE jmhID = ?"),
                                          RecordsetType::Snapshot, {Value(jmhID)});
    for (; !payments.eof(); payments.moveNext())
        paid += NullToCurrency(payments.field(QStringLiteral("Summa")));
    payments.close();
    WriteReminder(db, jmhID, today, paid);
}

QString Reminders::rangeCondition(const ReminderRange& range, Params& params)
{
    QString where = QStringLiteral("jmhjmMaksettu = False");
    if (range.from) {
        where += QStringLiteral(" AND jmhjmLaskunumero >= ?");
        params.push_back(Value(*range.from));
    }
    if (range.to) {
        where += QStringLiteral(" AND jmhjmLaskunumero <= ?");
        params.push_back(Value(*range.to));
    }
    return where;
}

namespace {

// An invoice is reminded once its due date has passed; one without a due date cannot be told
// apart and is reminded as before.
const QString FallenDue = QStringLiteral(" AND (jmhjmErapaiva IS NULL OR jmhjmErapaiva < ?)");

// A reminder went to the member by e-mail on the day. The reminder's own date does not tell: an
// invoice e-mailed on an earlier day keeps its e-mail mark when it is reminded on paper today.
// A row e-mailed before the file kept the day has the mark and no day: its e-mail went on an
// earlier day. The condition is false for it, never NULL, or `NOT (...)` would leave it out too.
const QString EmailedOn = QStringLiteral(
    "COALESCE(jmhMuistutusEmailed = 1 AND date(jmhMuistutusEmailedPaiva) = date(?), 0)");

} // namespace

Reminders::Candidates Reminders::CountCandidates(Database& db, const ReminderRange& range, const QDate& today)
{
    // The first parameter is the day, before those of the range.
    Params params{Value(today)};
    const QString where = rangeCondition(range, params);
    Recordset rs = db.openRecordset(QStringLiteral("SELECT COUNT(*), SUM(CASE WHEN jmhjmErapaiva IS NULL OR"
                                                   " jmhjmErapaiva < ? THEN 1 ELSE 0 END) FROM jmhist WHERE ")
                                        + where,
                                    RecordsetType::Snapshot, params);
    Candidates c;
    c.due = int(NullToLong(rs.field(1)));
    c.notYetDue = int(NullToLong(rs.field(0))) - c.due;
    return c;
}

QString Reminders::NotYetDueText(int count)
{
    if (count <= 0)
        return {};
    if (count == 1)
        return QStringLiteral("1 maksamaton lasku jätettiin pois, koska sen eräpäivä ei ole vielä mennyt.");
    return QString::number(count)
           + QStringLiteral(" maksamatonta laskua jätettiin pois, koska niiden eräpäivä ei ole vielä mennyt.");
}

QString Reminders::selection(const ReminderRange& range, const QDate& today, Params& params)
{
    const QString where = rangeCondition(range, params) + FallenDue;
    params.push_back(Value(today));
    return where;
}

int Reminders::MarkDue(Database& db, const ReminderRange& range, const QDate& today)
{
    Params params;
    // A run stopped part-way and started again the same day sends only what did not go.
    const QString where = selection(range, today, params) + QStringLiteral(" AND NOT (") + EmailedOn + u')';
    params.push_back(Value(today));
    return InvoicePrintOrder::MarkRemindersForPrint(db, where, params);
}

int Reminders::EmailedToday(Database& db, const ReminderRange& range, const QDate& today)
{
    Params params;
    const QString where = selection(range, today, params) + QStringLiteral(" AND ") + EmailedOn;
    params.push_back(Value(today));
    return int(db.scalar(QStringLiteral("SELECT COUNT(*) FROM jmhist WHERE ") + where, params).toInt64());
}

QString Reminders::EmailedTodayText(int count)
{
    if (count <= 0)
        return {};
    if (count == 1)
        return QStringLiteral("1 lasku jätettiin pois, koska sen muistutus lähetettiin sähköpostitse jo tänään.");
    return QString::number(count)
           + QStringLiteral(" laskua jätettiin pois, koska niiden muistutus lähetettiin sähköpostitse jo tänään.");
}

int Reminders::CreateReminders(Database& db, const ReminderRange& range, const QDate& today, bool skipEmailed)
{
    Params params;
    QString where = selection(range, today, params);
    // A reminder number counts the reminders the member was actually given.
    if (skipEmailed)
        where += QStringLiteral(" AND COALESCE(jmhMuistutusEmailed, 0) = 0");
    // A range is reminded as a whole or not at all: a failure halfway leaves no numbers raised.
    Transaction transaction(db);
    Recordset rs = db.openRecordset(QStringLiteral("SELECT jmhID FROM jmhist WHERE ") + where
                                        + QStringLiteral(" ORDER BY jmhID"),
                                    RecordsetType::Snapshot, params);
    const QHash<qint64, Currency> paid = PaidOn(db, where, params);
    for (; !rs.eof(); rs.moveNext()) {
        const qint64 id = rs.field(QStringLiteral("jmhID")).toInt64();
        WriteReminder(db, id, today, paid.value(id));
    }
    rs.close();
    const int count = InvoicePrintOrder::MarkRemindersForPrint(db, where, params);
    transaction.commit();
    return count;
}

QString Reminders::NothingToRemindText(const ReminderRange& range)
{
    const auto text = [](const std::optional<qint32>& n) { return n ? QString::number(*n) : QString(); };
    return QStringLiteral("Ei löydy maksamattomia laskuja väliltä: ") + text(range.from) + QStringLiteral(" - ")
           + text(range.to);
}

} // namespace tikkeli
