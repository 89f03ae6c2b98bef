#include "base/Clock.h"

namespace tikkeli {

namespace {

QDateTime& fixedNow()
{
    static QDateTime now;
    return now;
}

} // namespace

QDateTime Now()
{
    const QDateTime& fixed = fixedNow();
    return fixed.isValid() ? fixed : QDateTime::currentDateTime();
}

QDate Today()
{
    return Now().date();
}

FixedClock::FixedClock(const QDateTime& now) : m_previous(fixedNow())
{
    fixedNow() = now;
}

FixedClock::~FixedClock()
{
    fixedNow() = m_previous;
}

void FixedClock::set(const QDateTime& now)
{
    fixedNow() = now;
}

} // namespace tikkeli
