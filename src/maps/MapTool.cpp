#include "maps/MapTool.h"

namespace tikkeli {

MapTool::Outcome MapTool::press(Qt::MouseButton, QPointF)
{
    return {};
}

MapTool::Outcome MapTool::move(QPointF)
{
    return {};
}

MapTool::Outcome MapTool::release(Qt::MouseButton, QPointF)
{
    return {};
}

MapTool::Outcome MapTool::doubleClick(QPointF)
{
    return {};
}

std::optional<MapTool::Outcome> MapTool::key(int key)
{
    if (key == Qt::Key_Escape)
        return cancel();
    return std::nullopt;
}

MapTool::Outcome MapTool::cancel()
{
    Outcome o;
    o.ended = true;
    return o;
}

MapTool::Outcome BrowsingTool::release(Qt::MouseButton button, QPointF map)
{
    Outcome o;
    if (button == Qt::RightButton) {
        o.open = Outcome::Open::Popup;
        o.at = map;
    }
    return o;
}

MapTool::Outcome BrowsingTool::doubleClick(QPointF map)
{
    Outcome o;
    o.open = Outcome::Open::EstateInfo;
    o.at = map;
    return o;
}

} // namespace tikkeli
