#include "maps/cRajat.h"

#include "base/NullConversions.h"
#include "db/Recordset.h"

#include <functional>

namespace tikkeli {

template <class Better>
float cRajat::extreme(float (cRaja::*coordinate)() const, Better better) const
{
    if (m_points.empty())
        return -1.0f;
    float value = (m_points.front().*coordinate)();
    for (const cRaja& p : m_points) {
        const float v = (p.*coordinate)();
        if (better(v, value))
            value = v;
    }
    return value;
}

float cRajat::GetSmallestX() const
{
    return extreme(&cRaja::X, std::less<float>());
}

float cRajat::GetGreatestX() const
{
    return extreme(&cRaja::X, std::greater<float>());
}

float cRajat::GetSmallestY() const
{
    return extreme(&cRaja::Y, std::less<float>());
}

float cRajat::GetGreatestY() const
{
    return extreme(&cRaja::Y, std::greater<float>());
}

void cRajat::ReadRajat()
{
    m_points.clear();
    // BINARY: the integer columns sort by value and the index on rjtlID serves the order.
    Recordset rs = m_db.openRecordset(QStringLiteral("SELECT rjID, rjtlID, rjOrderID, rjX, rjY, rjMukaan FROM rj "
                                                     "WHERE rjtlID = ? ORDER BY rjOrderID COLLATE BINARY, rjID"),
                                      RecordsetType::Snapshot, {Value(m_tlId)});
    for (; !rs.eof(); rs.moveNext()) {
        cRajaFields f;
        f.tlId = NullToLong(rs.field(1));
        f.orderId = NullToLong(rs.field(2));
        f.x = NullToSingle(rs.field(3));
        f.y = NullToSingle(rs.field(4));
        f.mukaan = NullToBoolean(rs.field(5));
        m_points.emplace_back(m_db, rs.field(0).toInt64(), f);
    }
}

cRaja& cRajat::AddNewRaja(float x, float y)
{
    cRaja point(m_db);
    point.setIsEmpty(false);
    point.setOrderID(PointCount() + 1);
    point.setTlId(m_tlId);
    point.setX(x);
    point.setY(y);
    if (m_db.isOpen())
        point.Save(true);
    m_points.push_back(point);
    return m_points.back();
}

QPolygonF cRajat::polygon() const
{
    QPolygonF out;
    out.reserve(PointCount());
    for (const cRaja& p : m_points)
        out.append(QPointF(p.X(), p.Y()));
    return out;
}

void cRajat::DeleteEstatePoints(Database& db, qint64 tlId)
{
    db.execute(QStringLiteral("DELETE FROM rj WHERE rjtlID = ?"), {Value(tlId)});
}

} // namespace tikkeli
