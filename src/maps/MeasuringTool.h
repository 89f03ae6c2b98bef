#pragma once

#include <QLineF>
#include <QPointF>
#include <optional>

namespace tikkeli {

// The mouse mode that measures the map's proportion: two clicks on the map give two map points;
// between them the line's far end follows the mouse. The window asks for the distance on the
// paper map once both points are there (MeasuredPixelRatio) and then ends the tool.
class MeasuringTool {
public:
    enum class Step { Ignored, FirstPoint, SecondPoint };

    void start();
    void end();
    bool active() const { return m_state != State::Idle; }
    bool waitingForFirst() const { return m_state == State::WaitingFirst; }

    // A left click at a map point: the first or the second point; once both are there further
    // clicks are ignored until the tool ends.
    Step click(QPointF map);
    // The mouse moved: between the clicks the line's far end follows it.
    void move(QPointF map);

    QPointF first() const { return m_first; }
    QPointF second() const { return m_second; }
    // The line to draw, in map twips; none before the first click.
    std::optional<QLineF> line() const;

private:
    enum class State { Idle, WaitingFirst, WaitingSecond, Done };
    State m_state = State::Idle;
    QPointF m_first;
    QPointF m_second;
};

} // namespace tikkeli
