#pragma once

#include "base/Currency.h"
#include "base/Value.h"
#include "db/Database.h"

#include <QDate>
#include <QString>

#include <functional>
#include <optional>

namespace tikkeli {

// The invoice numbers a reminder command covers; an empty end is open.
struct ReminderRange {
    std::optional<qint32> from;
    std::optional<qint32> to;
};

// Payment reminders on unpaid invoices of the history: open amount, fee, late interest, total and
// a running reminder number, written into the history row.
class Reminders {
public:
    // Days from the due date to the reminder date; a missing due date counts as no days.
    static qint32 DaysOverdue(const Value& dueDate, const QDate& reminderDate);
    // open x days x rate / 100 / 365 in exact decimals, rounded once to four decimals, half to
    // even; nothing for an invoice not yet due.
    static Currency Interest(Currency openAmount, qint32 days, double ratePercent);

    // Records a reminder on one history row with the fee, rate and title of the settings; a
    // missing row is left alone.
    static void CreateReminder(Database& db, qint64 jmhID, const QDate& today);
    // The unpaid invoices of a range: those a reminder run takes (due before today, or without a
    // due date) and those it leaves out because they are not yet due.
    struct Candidates {
        int due = 0;
        int notYetDue = 0;
    };
    static Candidates CountCandidates(Database& db, const ReminderRange& range, const QDate& today);
    // Records a reminder on every unpaid invoice of the range that fell due before today and
    // marks exactly those rows for print, all in one transaction; returns their number. An
    // invoice due today or later is not reminded. skipEmailed: an invoice whose reminder went by
    // e-mail is neither recorded nor marked (the print leaves it out).
    static int CreateReminders(Database& db, const ReminderRange& range, const QDate& today, bool skipEmailed = false);
    // Marks the invoices an e-mail run over the range would remind, recording nothing: the run
    // records each reminder only as its message goes out. An invoice whose reminder went by
    // e-mail today is left out, so a run stopped part-way and started again sends no member a
    // second reminder the same day; one e-mailed before the file kept the day went on an earlier
    // day. Returns their number.
    static int MarkDue(Database& db, const ReminderRange& range, const QDate& today);
    // The invoices of the range due for a reminder whose reminder went by e-mail today, and what
    // the user is told about them (empty for none).
    static int EmailedToday(Database& db, const ReminderRange& range, const QDate& today);
    static QString EmailedTodayText(int count);
    // "Ei löydy maksamattomia laskuja väliltä: a - l".
    static QString NothingToRemindText(const ReminderRange& range);
    // What the user is told about the unpaid invoices left out as not yet due; empty for none.
    static QString NotYetDueText(int count);
    // The WHERE condition over jmhist of the invoices a run over the range reminds; its values
    // are appended to params.
    static QString selection(const ReminderRange& range, const QDate& today, Params& params);

private:
    static QString rangeCondition(const ReminderRange& range, Params& params);
};

} // namespace tikkeli
