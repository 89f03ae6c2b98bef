#include "ui/cMouseCursor.h"

namespace tikkeli {

namespace {

void applyPointer(QWidget* w, int pointer)
{
    if (!w)
        return;
    if (pointer == BusyPointer)
        w->setCursor(Qt::WaitCursor);
    else
        w->unsetCursor();
}

} // namespace

void SetDefaultCursor(QWidget* window)
{
    applyPointer(window, DefaultPointer);
}

void SetBusyCursor(QWidget* window)
{
    applyPointer(window, BusyPointer);
}

void cMouseCursor::SetCursor(QWidget* target, int pointer)
{
    if (!target)
        return;
    if (!m_remembered) {
        m_target = target;
        m_remembered = target->testAttribute(Qt::WA_SetCursor) ? std::optional<QCursor>(target->cursor())
                                                               : std::optional<QCursor>();
    }
    applyPointer(target, pointer);
}

cMouseCursor::~cMouseCursor()
{
    if (!m_remembered || !m_target)
        return;
    if (*m_remembered)
        m_target->setCursor(**m_remembered);
    else
        m_target->unsetCursor();
}

} // namespace tikkeli
