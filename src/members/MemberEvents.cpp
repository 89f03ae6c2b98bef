#include "members/MemberEvents.h"

namespace tikkeli {

namespace {

std::function<void()>& membersListener()
{
    static std::function<void()> listener;
    return listener;
}

} // namespace

void MemberEvents::setMembersChanged(std::function<void()> listener)
{
    membersListener() = std::move(listener);
}

void MemberEvents::membersChanged()
{
    if (auto& listener = membersListener())
        listener();
}

} // namespace tikkeli
