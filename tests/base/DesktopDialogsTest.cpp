#include "base/DesktopDialogs.h"

#include <gtest/gtest.h>

using namespace tikkeli;

TEST(PreferredPlatformTheme, KdeGetsThePortalOthersKeepQtsChoiceAndTheUsersChoiceStands)
{
    const struct {
        const char* desktop;
        const char* chosen;
        const char* expected;
    } cases[] = {
        {"KDE", "", "xdgdesktopportal"},
        {"kde", "", "xdgdesktopportal"},
        {"ubuntu:KDE", "", "xdgdesktopportal"},
        {"GNOME", "", ""},
        {"ubuntu:GNOME", "", ""},
        {"XFCE", "", ""},
        {"", "", ""},
        {"KDE", "gtk3", ""},
        {"KDE", "  ", "xdgdesktopportal"},
        {"KDEX", "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PreferredPlatformTheme(QString::fromLatin1(c.desktop), QString::fromLatin1(c.chosen)),
                  QString::fromLatin1(c.expected))
            << "desktop '" << c.desktop << "', chosen '" << c.chosen << "'";
}
