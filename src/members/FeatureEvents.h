#pragma once

#include <functional>

namespace tikkeli {

// Lets the member window follow changes that the feature windows make: it installs its
// listeners when it loads and clears them when it closes.
class FeatureEvents {
public:
    // Definitions were added, renamed or deleted (the member window refills its feature lists).
    static void setDefinitionsChanged(std::function<void()> listener);
    // Member feature rows were added or deleted (the member window re-reads the card's features).
    static void setMemberValuesChanged(std::function<void()> listener);

    static void definitionsChanged();
    static void memberValuesChanged();
};

} // namespace tikkeli
