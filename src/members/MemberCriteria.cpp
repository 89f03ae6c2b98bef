#include "members/MemberCriteria.h"

#include <algorithm>
#include <stdexcept>

namespace tikkeli {

namespace {

void checkSlot(int index)
{
    if (index < 0 || index >= MemberCriteria::FeatureSlots)
        throw std::out_of_range("hepiID: index outside 0..10");
}

} // namespace

qint32 MemberCriteria::hepiID(int index) const
{
    checkSlot(index);
    return m_hepiID[size_t(index)];
}

void MemberCriteria::setHepiID(int index, qint32 value)
{
    checkSlot(index);
    m_hepiID[size_t(index)] = value;
}

qint16 MemberCriteria::hepiCount() const
{
    return qint16(std::count_if(m_hepiID.begin(), m_hepiID.end(), [](qint32 id) { return id != 0; }));
}

MemberCriteria& Criteria()
{
    static MemberCriteria block;
    return block;
}

} // namespace tikkeli
