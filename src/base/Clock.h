#pragma once

#include <QDate>
#include <QDateTime>

namespace tikkeli {

// The one place the program asks for the date and time. Rules that depend on the day (this
// year's dates, backup reminders, print dates, file names with the date) read it here, so a test
// can set the day and stay true on New Year's Eve and across midnight.
QDateTime Now();
QDate Today();

// Test seam: while it lives, Now() is the given moment (and runs no further), then the real clock
// comes back. Not for nesting across threads; tests set it on the thread that runs them.
class FixedClock {
public:
    explicit FixedClock(const QDateTime& now);
    ~FixedClock();
    FixedClock(const FixedClock&) = delete;
    FixedClock& operator=(const FixedClock&) = delete;

    void set(const QDateTime& now);

private:
    QDateTime m_previous;
};

} // namespace tikkeli
