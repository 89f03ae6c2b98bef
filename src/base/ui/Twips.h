#pragma once

#include <QWidget>

namespace tikkeli {

// Window sizes of the original design are in twips (1/1440 inch); screens count pixels.
inline int TwipsToPixels(int twips, const QWidget* w)
{
    const int dpi = w ? w->logicalDpiX() : 96;
    return (twips * dpi + 720) / 1440;
}

} // namespace tikkeli
