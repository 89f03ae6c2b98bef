#pragma once

#include "db/ChangedMembers.h"

namespace tikkeli {

// What was announced to the club's change hub at one level of an open transaction, told when the
// whole transaction commits.
struct HeldChanges {
    unsigned kinds = 0;     // ClubChanges::Kind bits
    ChangedMembers members; // with the members bit: which members

    void add(const HeldChanges& other)
    {
        kinds |= other.kinds;
        members.add(other.members);
    }
};

} // namespace tikkeli
