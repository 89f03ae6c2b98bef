#pragma once

#include <QtGlobal>

namespace tikkeli {

class MemberListCache;
class MemberRecords;

// First, previous, next and last over the member window's records: in the data control's own
// order without a filter, in the alphabetical list of the filter feature's members with one.
// Each returns false where the user hears a beep (an end reached, a card outside the list);
// the card then stays where it was.
class MemberNavigation {
public:
    enum class Move { First, Previous, Next, Last };

    // With a cache the filtered list is read (and sorted) only when it may have changed.
    static bool go(MemberRecords& records, Move move, qint64 featureId, MemberListCache* cache = nullptr);
    // The first member of the current list becomes current. False for the cases that beep; an
    // empty table without a filter is no beep.
    static bool showFirstListed(MemberRecords& records, qint64 featureId, MemberListCache* cache = nullptr);
};

} // namespace tikkeli
