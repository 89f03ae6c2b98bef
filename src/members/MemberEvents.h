#pragma once

#include <functional>

namespace tikkeli {

// Lets an open member window follow members that other windows add or change (the import): it
// installs its listener when the member windows are registered.
class MemberEvents {
public:
    static void setMembersChanged(std::function<void()> listener);
    // Members were added or changed outside the member window.
    static void membersChanged();
};

} // namespace tikkeli
