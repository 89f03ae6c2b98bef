#include "maps/MeasuringTool.h"

namespace tikkeli {

void MeasuringTool::start()
{
    m_state = State::WaitingFirst;
    m_first = m_second = QPointF();
}

void MeasuringTool::end()
{
    m_state = State::Idle;
}

MeasuringTool::Step MeasuringTool::click(QPointF map)
{
    switch (m_state) {
    case State::WaitingFirst:
        m_first = m_second = map;
        m_state = State::WaitingSecond;
        return Step::FirstPoint;
    case State::WaitingSecond:
        m_second = map;
        m_state = State::Done;
        return Step::SecondPoint;
    default: return Step::Ignored;
    }
}

void MeasuringTool::move(QPointF map)
{
    if (m_state == State::WaitingSecond)
        m_second = map;
}

std::optional<QLineF> MeasuringTool::line() const
{
    if (m_state == State::WaitingSecond || m_state == State::Done)
        return QLineF(m_first, m_second);
    return std::nullopt;
}

} // namespace tikkeli
