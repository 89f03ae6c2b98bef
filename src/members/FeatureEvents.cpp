#include "members/FeatureEvents.h"

namespace tikkeli {

namespace {

std::function<void()>& definitionsListener()
{
    static std::function<void()> listener;
    return listener;
}

std::function<void()>& valuesListener()
{
    static std::function<void()> listener;
    return listener;
}

} // namespace

void FeatureEvents::setDefinitionsChanged(std::function<void()> listener)
{
    definitionsListener() = std::move(listener);
}

void FeatureEvents::setMemberValuesChanged(std::function<void()> listener)
{
    valuesListener() = std::move(listener);
}

void FeatureEvents::definitionsChanged()
{
    if (auto& listener = definitionsListener())
        listener();
}

void FeatureEvents::memberValuesChanged()
{
    if (auto& listener = valuesListener())
        listener();
}

} // namespace tikkeli
