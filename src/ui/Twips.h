#pragma once

#include <QWidget>

namespace tikkeli {

// Window sizes and margins are given in twips (1/1440 inch), a unit that does not depend on the
// screen; screens count pixels.
inline int TwipsToPixels(int twips, const QWidget* w)
{
    const int dpi = w ? w->logicalDpiX() : 96;
    return (twips * dpi + 720) / 1440;
}

} // namespace tikkeli
