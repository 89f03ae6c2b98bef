#include "maps/MeasuringTool.h"

#include "maps/MapScale.h"
#include "maps/MapStorage.h"

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

MapTool::Outcome MeasuringTool::move(QPointF map)
{
    if (m_state == State::WaitingSecond)
        m_second = map;
    return {};
}

std::optional<QLineF> MeasuringTool::line() const
{
    if (m_state == State::WaitingSecond || m_state == State::Done)
        return QLineF(m_first, m_second);
    return std::nullopt;
}

MapTool::Outcome MeasuringTool::press(Qt::MouseButton button, QPointF map)
{
    if (button == Qt::LeftButton && click(map) == Step::SecondPoint)
        return measured();
    return {};
}

MapTool::Outcome MeasuringTool::release(Qt::MouseButton button, QPointF)
{
    if (button != Qt::RightButton)
        return {};
    end();
    return cancel();
}

QString MeasuringTool::hint() const
{
    return m_state == State::WaitingFirst
               ? QStringLiteral("Napsauta kartalta kaksi pistettä, joiden välimatkan tiedät; oikea painike keskeyttää.")
               : QStringLiteral("Napsauta toinen piste; oikea painike keskeyttää.");
}

MapTool::Outcome MeasuringTool::measured()
{
    Outcome o = cancel();
    const auto answer = m_askDistance ? m_askDistance() : std::nullopt;
    const auto mm = answer ? MillimetresFromText(*answer) : std::nullopt;
    if (!mm) {
        o.message = QStringLiteral("Etäisyys pitää syöttää millimetreinä - asetusta ei tehty.");
    } else if (const auto ratio = MeasuredPixelRatio(m_first, m_second, *mm)) {
        try {
            MapStorage::SaveMapPixelRatio(m_db, *ratio);
            o.pixelRatio = *ratio;
            o.message = QStringLiteral("Kartan mittasuhde asetettu.");
        } catch (const std::exception&) {
            o.failure = std::current_exception();
        }
    } else {
        o.message = QStringLiteral("Mitatut pisteet ovat samassa kohdassa - asetusta ei tehty.");
    }
    end();
    return o;
}

} // namespace tikkeli
