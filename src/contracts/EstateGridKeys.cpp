#include "contracts/EstateGridKeys.h"

namespace tikkeli {

bool EstateGridKeys::key(int code)
{
    if (code == Shift && m_last == F5) {
        m_last = Tab;
        return false;
    }
    if (code == Tab) {
        if (m_last == Tab) {
            m_previous = Tab;
            return false;
        }
        if (m_last == FocusLost || m_last == NumLock)
            return false;
        m_previous = m_last;
        m_last = Tab;
        return true;
    }
    if (code != Shift) {
        m_previous = m_last;
        m_last = code;
    }
    return false;
}

} // namespace tikkeli
