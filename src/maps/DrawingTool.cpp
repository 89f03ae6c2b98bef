#include "maps/DrawingTool.h"

#include "maps/EstateCaption.h"
#include "maps/MapBoundaries.h"

namespace tikkeli {

DrawingTool::DrawingTool(const Database& db, qint64 estateId, Questions questions)
    : m_db(db), m_estateId(estateId), m_caption(EstateCaption(m_db, estateId)), m_seen(StoredPoints(m_db, estateId)),
      m_questions(std::move(questions))
{
}

MapTool::Outcome DrawingTool::press(Qt::MouseButton button, QPointF map)
{
    if (button == Qt::LeftButton)
        m_points.push_back(map);
    return {};
}

MapTool::Outcome DrawingTool::release(Qt::MouseButton button, QPointF)
{
    if (button != Qt::RightButton)
        return {};
    Outcome o;
    o.ended = true;
    if (m_points.empty())
        return o;
    if (int(m_points.size()) < kMinimumPoints) {
        o.message = QStringLiteral("Tilan rajaan tarvitaan vähintään kolme pistettä. Pisteitä ei tallennettu.");
        return o;
    }
    switch (m_questions.keepBoundary(false)) {
    case Questions::Keep::Store: return store();
    case Questions::Keep::Drop: return o;
    case Questions::Keep::GoOn: break;
    }
    return {};
}

MapTool::Outcome DrawingTool::cancel()
{
    Outcome ended;
    ended.ended = true;
    if (m_points.empty())
        return ended;
    if (int(m_points.size()) < kMinimumPoints)
        return m_questions.stopDrawing() ? ended : Outcome{};
    switch (m_questions.keepBoundary(true)) {
    case Questions::Keep::Store: return store();
    case Questions::Keep::Drop: return ended;
    case Questions::Keep::GoOn: break;
    }
    return {};
}

QString DrawingTool::hint() const
{
    return QStringLiteral("Napsauta rajan kulmat, oikea painike lopettaa.");
}

MapTool::Outcome DrawingTool::store()
{
    Outcome o;
    try {
        switch (StoreDrawnBoundary(m_db, m_estateId, m_points, m_seen, m_questions.replaceOthers)) {
        case DrawnBoundaryStore::Stored: o.estateStored = m_estateId; break;
        case DrawnBoundaryStore::OthersKept: break;
        case DrawnBoundaryStore::EstateGone:
            o.message = QStringLiteral("Tila on poistettu toisaalla piirtämisen aikana. Rajoja ei tallennettu.");
            if (!m_caption.isEmpty())
                o.message += QStringLiteral("\n\n") + m_caption;
            break;
        }
        o.ended = true;
    } catch (const std::exception&) {
        // The corners stay: the user may try again, or drop them.
        o.failure = std::current_exception();
    }
    return o;
}

} // namespace tikkeli
