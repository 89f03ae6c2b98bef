#include "maps/DrawingTool.h"

#include "base/ErrorHandling.h"
#include "base/Prompter.h"
#include "maps/MapBoundaries.h"

namespace tikkeli {

DrawingTool::DrawingTool(const Database& db, qint64 estateId)
    : m_db(db), m_estateId(estateId), m_seen(StoredPointIds(m_db, estateId))
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
    return button == Qt::RightButton ? finish() : Outcome{};
}

QString DrawingTool::hint() const
{
    return QStringLiteral("Napsauta rajan kulmat, oikea painike lopettaa.");
}

MapTool::Outcome DrawingTool::finish()
{
    Outcome o;
    o.ended = true;
    if (m_points.empty())
        return o;
    if (int(m_points.size()) < kMinimumPoints) {
        ShowInfo(QStringLiteral("Tilan rajaan tarvitaan vähintään kolme pistettä. Pisteitä ei tallennettu."));
        return o;
    }
    if (Prompter::instance().message(QStringLiteral("Tallennetaanko tilan rajat?"), MsgIcon::None, MsgButtons::YesNo)
        != MsgResult::Yes)
        return o;
    const auto replaceOthers = [] {
        return Prompter::instance().message(QStringLiteral("Tilalle on tallennettu rajat toisaalla sen jälkeen, kun "
                                                           "aloitit piirtämisen. Korvataanko ne nyt piirretyillä rajoilla?"),
                                            MsgIcon::Question, MsgButtons::YesNoDefaultNo)
               == MsgResult::Yes;
    };
    bool stored = false;
    ReportingErrors(QStringLiteral("Virhe kartan tietokantatoiminnossa: "),
                    [&] { stored = StoreDrawnBoundary(m_db, m_estateId, m_points, m_seen, replaceOthers); });
    if (stored)
        o.estateStored = m_estateId;
    return o;
}

} // namespace tikkeli
