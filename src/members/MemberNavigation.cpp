#include "members/MemberNavigation.h"

#include "db/Recordset.h"
#include "members/MemberList.h"
#include "members/MemberRecords.h"
#include "db/RecordCatalogue.h"

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

bool MemberNavigation::go(MemberRecords& records, Move move, qint64 featureId, MemberListCache* cache)
{
    Recordset& rs = records.recordset();
    if (featureId == 0)
        return goUnfiltered(rs, move);

    MemberListCache once;
    MemberListCache& lists = cache ? *cache : once;
    const qint64 current = records.currentId();
    if (current == 0)
        return false;
    const std::vector<qint64>& list = lists.ids(records.database(), featureId);
    const int at = lists.indexOf(current);
    if (at < 0)
        return false;
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

bool MemberNavigation::showFirstListed(MemberRecords& records, qint64 featureId, MemberListCache* cache)
{
    Recordset& rs = records.recordset();
    if (featureId == 0) {
        if (rs.recordCount() > 0)
            rs.moveFirst();
        return true;
    }
    MemberListCache once;
    const std::vector<qint64>& list = (cache ? *cache : once).ids(records.database(), featureId);
    if (list.empty())
        return false;
    return records.findId(list.front());
}

} // namespace tikkeli
