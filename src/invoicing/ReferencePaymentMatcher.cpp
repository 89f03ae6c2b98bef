#include "invoicing/ReferencePaymentMatcher.h"

#include "base/NullConversions.h"
#include "base/Prompter.h"
#include "base/ReferenceNumber.h"
#include "db/DbError.h"
#include "db/Transaction.h"
#include "invoicing/InvoicePayments.h"
#include "db/Recordset.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace tikkeli {

namespace {

struct HistoryRow {
    qint64 id = 0;
    bool memberExists = false;
    qint64 priceCents = 0;    // the invoice's sum, as its bar code carries it
    qint64 reminderCents = 0; // the total of its latest reminder; 0 when never reminded
    bool paid = false;
};

// Currency keeps ten-thousandths; the bar code a payer reads the sum from carries whole cents,
// rounded half up.
qint64 barCodeCents(const Value& amount)
{
    return (NullToCurrency(amount).raw() + 50) / 100;
}

} // namespace

QString ReferencePaymentMatcher::FormatCents(qint64 cents)
{
    if (cents >= 0) {
        // At least three digits ("005"), the point before the last two: one allocation per amount.
        char buf[24];
        int n = 0;
        for (qint64 v = cents; v > 0 || n < 3; v /= 10)
            buf[n++] = char('0' + v % 10);
        QString out(n + 1, Qt::Uninitialized);
        QChar* o = out.data();
        for (int k = n - 1; k >= 0; --k) {
            *o++ = QLatin1Char(buf[k]);
            if (k == 2)
                *o++ = QLatin1Char(',');
        }
        return out;
    }
    const QString s = QString::number(cents);
    if (s.size() == 2)
        return QStringLiteral("-0,0") + s.right(1);
    if (s.size() == 3)
        return QStringLiteral("-0,") + s.right(2);
    return s.left(s.size() - 2) + QLatin1Char(',') + s.right(2);
}

QString ReferencePaymentMatcher::historyReference(const QString& fileReference)
{
    QString compact;
    compact.reserve(fileReference.size());
    for (QChar c : fileReference) {
        const char16_t u = c.unicode();
        if (u == ' ' || (u >= '\t' && u <= '\r'))
            continue;
        if (u >= 'a' && u <= 'z')
            compact += QChar(u - 'a' + 'A');
        else if (u < 128 || !c.isSpace())
            compact += c;
    }
    if (compact.startsWith(QLatin1String("RF")) && compact.size() > 4 && ReferenceNumber::mod97Holds(compact)) {
        const QString inner = compact.mid(4);
        bool digits = true;
        for (QChar c : inner)
            digits = digits && c >= QLatin1Char('0') && c <= QLatin1Char('9');
        return digits ? StripLeadingZeros(inner) : compact;
    }
    return StripLeadingZeros(compact);
}

std::vector<ReferencePaymentMatcher::Match> ReferencePaymentMatcher::match(const ReferencePaymentBatch& batch)
{
    std::vector<QString> references;
    references.reserve(batch.Payments.size());
    // The distinct references as one JSON array, bound as a single value.
    QString wanted;
    wanted.reserve(qsizetype(batch.Payments.size()) * 24 + 2);
    wanted += QLatin1Char('[');
    QSet<QString> seen;
    seen.reserve(qsizetype(batch.Payments.size()));
    for (const ReferencePayment& p : batch.Payments) {
        references.push_back(historyReference(p.Reference));
        const QString& r = references.back();
        if (r.isEmpty() || seen.contains(r))
            continue;
        seen.insert(r);
        if (wanted.size() > 1)
            wanted += QLatin1Char(',');
        wanted += QLatin1Char('"');
        // References are digits (or RF letters) nearly always: nothing in them needs escaping.
        if (std::all_of(r.cbegin(), r.cend(),
                        [](QChar c) { return c.unicode() >= 0x20 && c != QLatin1Char('"') && c != QLatin1Char('\\'); })) {
            wanted += r;
            wanted += QLatin1Char('"');
            continue;
        }
        for (QChar c : r) {
            if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
                wanted += QLatin1Char('\\');
            if (c.unicode() < 0x20)
                wanted += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                wanted += c;
        }
        wanted += QLatin1Char('"');
    }
    wanted += QLatin1Char(']');

    // Every history row of the batch's references, oldest first, and whether its member exists.
    QHash<QString, std::vector<HistoryRow>> rows;
    rows.reserve(seen.size());
    if (!seen.isEmpty()) {
        // A reference stored as typed ("1234 5672 0", "00020242") is compared in the form banks
        // send it: digits without blanks and leading zeros.
        Recordset rs = m_db.openRecordset(
            QStringLiteral("SELECT h.jmhID, h.jmhjmViitenumero, h.jmhjmjrID, h.jmhjmHinta, h.jmhjmMaksettu,"
                           " EXISTS (SELECT 1 FROM jr WHERE jr.jrID = h.jmhjmjrID) AS member, h.jmhjmMuistutusYhteensa"
                           " FROM jmhist h WHERE ltrim(replace(h.jmhjmViitenumero, ' ', ''), '0')"
                           " IN (SELECT value FROM json_each(?1))"),
            RecordsetType::Snapshot, {Value(wanted)});
        for (; !rs.eof(); rs.moveNext()) {
            HistoryRow r;
            r.id = rs.field(0).toInt64();
            r.memberExists = NullToBoolean(rs.field(5));
            r.priceCents = barCodeCents(rs.field(3));
            r.reminderCents = barCodeCents(rs.field(6));
            r.paid = NullToBoolean(rs.field(4));
            rows[historyReference(NullToString(rs.field(1)))].push_back(r);
        }
        for (auto& list : rows)
            std::sort(list.begin(), list.end(), [](const HistoryRow& a, const HistoryRow& b) { return a.id < b.id; });
    }

    // A personal reference repeats across a member's invoices: a payment goes to the unpaid invoice
    // of its sum, else to the oldest unpaid one, before a paid one; an invoice taken by an earlier
    // payment of this batch comes last.
    QSet<qint64> taken;
    std::vector<Match> out;
    out.reserve(batch.Payments.size());
    for (std::size_t i = 0; i < batch.Payments.size(); ++i) {
        const ReferencePayment& p = batch.Payments[i];
        const qint64 cents = p.AmountCents.toLongLong();
        const QString amount = FormatCents(cents);
        // The line shown for the payment, "[prefix]amount - reference - payer", built in one go.
        const auto line = [&](QStringView prefix) {
            QString text;
            text.reserve(prefix.size() + amount.size() + references[i].size() + p.PayerName.size() + 6);
            text += prefix;
            text += amount;
            text += u" - ";
            text += references[i];
            text += u" - ";
            text += p.PayerName;
            return text;
        };
        Match m;
        const auto found = rows.constFind(references[i]);
        if (references[i].isEmpty() || found == rows.constEnd()) {
            m.outcome = Outcome::ReferenceNotFound;
            m.text = line(u"Viitettä ei löydy: ");
            out.push_back(std::move(m));
            continue;
        }
        const std::vector<HistoryRow>& candidates = *found;
        // The invoice's sum, or the total its latest reminder asked for.
        const auto sumFits = [&](const HistoryRow& r) {
            return r.priceCents == cents || (r.reminderCents != 0 && r.reminderCents == cents);
        };
        const auto open = [&](const HistoryRow& r) { return !r.paid && !taken.contains(r.id); };
        // The lower the rank the better; the oldest wins a tie.
        const auto rank = [&](const HistoryRow& r) {
            if (open(r))
                return sumFits(r) ? 0 : 1;
            if (!r.paid)
                return sumFits(r) ? 2 : 3;
            return sumFits(r) ? 4 : 5;
        };
        const HistoryRow* chosen = &candidates.front();
        for (const HistoryRow& r : candidates)
            if (rank(r) < rank(*chosen))
                chosen = &r;
        m.historyId = chosen->id;
        if (!chosen->memberExists) {
            m.outcome = Outcome::MemberMissing;
            m.text = line(u"Henkilö: ");
        } else if (chosen->paid || (!open(*chosen) && sumFits(*chosen))) {
            // Paid already, or by an earlier payment of this file: a second payment is the
            // treasurer's to check, never a new one to mark.
            m.outcome = Outcome::AlreadyPaid;
            m.text = line(u"Jo maksettu: ");
        } else if (sumFits(*chosen)) {
            m.outcome = Outcome::Arrived;
            m.text = line({});
            taken.insert(chosen->id);
        } else {
            m.outcome = Outcome::WrongSum;
            m.text = line(u"Summa: ");
        }
        out.push_back(std::move(m));
    }
    return out;
}

bool ReferencePaymentMatcher::markPaid(Database& db, const std::vector<qint64>& historyIds, bool deletePaid)
{
    try {
        Transaction transaction(db);
        QSet<qint64> done;
        for (const qint64 id : historyIds) {
            // The same invoice may be listed twice (paid twice), and a row another window took
            // away has nothing left to mark.
            if (done.contains(id)
                || db.scalar(QStringLiteral("SELECT COUNT(*) FROM jmhist WHERE jmhID = ?1"), {Value(id)}).toInt64() == 0)
                continue;
            done.insert(id);
            // A failure has been shown; leaving the transaction unfinished undoes the others too.
            if (!InvoicePayments::MarkReminderPaid(db, id))
                return false;
            if (deletePaid)
                InvoicePayments::DeleteInvoiceRows(db, id);
        }
        transaction.commit();
        return true;
    } catch (const DbException& e) {
        ShowWarning(QStringLiteral("Virhe: ") + QString::number(e.number()) + QStringLiteral(": ") + e.description());
    } catch (const std::exception& e) {
        ShowWarning(QStringLiteral("Virhe: ") + QString::fromStdString(e.what()));
    }
    return false;
}

} // namespace tikkeli
