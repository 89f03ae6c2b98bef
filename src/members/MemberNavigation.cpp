#include "members/MemberNavigation.h"

#include "db/Recordset.h"
#include "members/MemberList.h"
#include "members/MemberRecords.h"
#include "members/RecordCatalogue.h"

#include <algorithm>

namespace tikkeli {

namespace {

bool goUnfiltered(Recordset& rs, MemberNavigation::Move move)
{
    using Move = MemberNavigation::Move;
    if (rs.recordCount() == 0)
        return false;
    switch (move) {
    case Move::First:
        if (rs.bof())
            return false;
        rs.moveFirst();
        return true;
    case Move::Last:
        if (rs.eof())
            return false;
        rs.moveLast();
        return true;
    case Move::Previous: return StepRecord(rs, false);
    case Move::Next: return StepRecord(rs, true);
    }
    return false;
}

} // namespace

bool MemberNavigation::go(MemberRecords& records, Move move, qint64 featureId)
{
    Recordset& rs = records.recordset();
    if (featureId == 0)
        return goUnfiltered(rs, move);

    const std::vector<qint64> list = MemberList::ids(records.database(), featureId);
    const auto here = std::find(list.begin(), list.end(), records.currentId());
    if (records.currentId() == 0 || here == list.end())
        return false;
    const auto at = here - list.begin();
    std::ptrdiff_t to = at;
    switch (move) {
    case Move::First: to = 0; break;
    case Move::Previous: to = at - 1; break;
    case Move::Next: to = at + 1; break;
    case Move::Last: to = std::ptrdiff_t(list.size()) - 1; break;
    }
    if (to < 0 || to >= std::ptrdiff_t(list.size()))
        return false;
    return records.findId(list[std::size_t(to)]);
}

bool MemberNavigation::showFirstListed(MemberRecords& records, qint64 featureId)
{
    Recordset& rs = records.recordset();
    if (featureId == 0) {
        if (rs.recordCount() > 0)
            rs.moveFirst();
        return true;
    }
    const std::vector<qint64> list = MemberList::ids(records.database(), featureId);
    if (list.empty())
        return false;
    return records.findId(list.front());
}

} // namespace tikkeli
