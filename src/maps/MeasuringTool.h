#pragma once

#include "db/Database.h"
#include "maps/MapTool.h"

#include <QLineF>
#include <QPointF>
#include <functional>
#include <optional>

namespace tikkeli {

// Measuring the map's proportion: two clicks on the map give two map points; between them the
// line's far end follows the mouse. Once both points are there the tool asks for their distance on
// the paper map, stores the proportion it gives (MeasuredPixelRatio) and ends; the right click or
// Escape ends it without storing.
class MeasuringTool : public MapTool {
public:
    enum class Step { Ignored, FirstPoint, SecondPoint };

    // The question for the distance of the two points on the paper map, in millimetres; the window
    // asks it (nullopt: cancelled).
    using AskDistance = std::function<std::optional<QString>()>;

    // The database the proportion is stored in.
    explicit MeasuringTool(const Database& db = {}, AskDistance askDistance = {})
        : m_db(db), m_askDistance(std::move(askDistance))
    {
    }

    void start();
    void end();
    bool active() const { return m_state != State::Idle; }
    bool waitingForFirst() const { return m_state == State::WaitingFirst; }

    // A left click at a map point: the first or the second point; once both are there further
    // clicks are ignored until the tool ends.
    Step click(QPointF map);
    // The mouse moved: between the clicks the line's far end follows it.
    Outcome move(QPointF map) override;

    QPointF first() const { return m_first; }
    QPointF second() const { return m_second; }
    // The line to draw, in map twips; none before the first click.
    std::optional<QLineF> line() const override;

    Outcome press(Qt::MouseButton button, QPointF map) override;
    Outcome release(Qt::MouseButton button, QPointF map) override;
    QString hint() const override;

private:
    Outcome measured();

    enum class State { Idle, WaitingFirst, WaitingSecond, Done };
    Database m_db;
    AskDistance m_askDistance;
    State m_state = State::Idle;
    QPointF m_first;
    QPointF m_second;
};

} // namespace tikkeli
