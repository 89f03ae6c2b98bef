#include "db/ChangedMembers.h"

namespace tikkeli {

ChangedMembers ChangedMembers::any()
{
    ChangedMembers c;
    c.m_any = true;
    return c;
}

ChangedMembers ChangedMembers::only(qint64 memberId)
{
    ChangedMembers c;
    c.m_ids.insert(memberId);
    return c;
}

void ChangedMembers::add(const ChangedMembers& other)
{
    if (m_any)
        return;
    if (other.m_any) {
        m_any = true;
        m_ids.clear();
        return;
    }
    m_ids.unite(other.m_ids);
}

} // namespace tikkeli
