#pragma once

#include <QLineF>
#include <QPointF>
#include <QString>
#include <QtGlobal>
#include <exception>
#include <optional>
#include <vector>

namespace tikkeli {

// One mouse mode of the map window: browsing, drawing a boundary or measuring. The window hands
// the running tool every event on the map and acts on what the tool reports; the tool decides
// what an event means in its mode.
class MapTool {
public:
    // What an event changed, for the window to act on.
    struct Outcome {
        // The tool is done: the window goes back to browsing.
        bool ended = false;
        // The boundary of this estate was just stored (0: none).
        qint64 estateStored = 0;
        // A measured proportion of the map was stored.
        std::optional<double> pixelRatio;
        // What the window is asked to open at the map point `at`.
        enum class Open { Nothing, Popup, EstateInfo } open = Open::Nothing;
        QPointF at;
        // What the window tells the user once the event is done with; empty for nothing.
        QString message;
        // A database failure for the window to report; the tool has already settled what follows.
        std::exception_ptr failure;
    };

    virtual ~MapTool() = default;

    virtual Outcome press(Qt::MouseButton button, QPointF map);
    virtual Outcome move(QPointF map);
    virtual Outcome release(Qt::MouseButton button, QPointF map);
    virtual Outcome doubleClick(QPointF map);
    // A key pressed on the map (Qt::Key); nullopt when the tool does not take it.
    virtual std::optional<Outcome> key(int key);
    // The tool is interrupted (Escape, the window closing). A tool holding work of the user's asks
    // first what becomes of it; an outcome that has not ended means the user goes on, and the
    // window stays open.
    virtual Outcome cancel();

    // How to go on, for the status row; empty while browsing.
    virtual QString hint() const { return {}; }
    // Whether the window's other commands may run meanwhile.
    virtual bool idle() const { return false; }
    // Whether the estates shown may be chosen again meanwhile.
    virtual bool letsEstatesChange() const { return true; }
    // What the tool draws over the map, in map twips: an open chain of corners and a line.
    virtual std::vector<QPointF> chain() const { return {}; }
    virtual std::optional<QLineF> line() const { return std::nullopt; }
};

// Browsing the map: a right click opens the popup menu at its point, a double click the estate's
// information.
class BrowsingTool : public MapTool {
public:
    Outcome release(Qt::MouseButton button, QPointF map) override;
    Outcome doubleClick(QPointF map) override;
    Outcome cancel() override { return {}; }
    bool idle() const override { return true; }
};

} // namespace tikkeli
