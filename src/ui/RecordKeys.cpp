#include "ui/RecordKeys.h"

#include <QKeyEvent>

namespace tikkeli {

bool IsRecordCommandKey(const QKeyEvent* e)
{
    const auto mods = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (mods == Qt::NoModifier)
        return e->key() >= Qt::Key_F2 && e->key() <= Qt::Key_F5;
    if (mods == Qt::ControlModifier)
        switch (e->key()) {
        case Qt::Key_A:
        case Qt::Key_S:
        case Qt::Key_D:
        case Qt::Key_F:
        case Qt::Key_Z: return true;
        default: break;
        }
    return false;
}

} // namespace tikkeli
