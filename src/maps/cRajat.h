#pragma once

#include "maps/cRaja.h"

#include <QPolygonF>
#include <deque>

namespace tikkeli {

// The boundary of one estate: its points in rjOrderID order (position 1 is the first corner).
// The polygon runs through the points in that order; it is closed only when the first point was
// also stored last.
//
// An unopened database handle means "no file": AddNewRaja then keeps the point in memory only.
// References handed out by GetRaja and AddNewRaja stay valid until the next ReadRajat or
// setPoints (appending keeps them).
class cRajat {
public:
    cRajat() = default;
    explicit cRajat(const Database& db, qint64 tlId = 0) : m_db(db), m_tlId(tlId) {}

    void setDatabase(const Database& db) { m_db = db; }
    const Database& database() const { return m_db; }
    qint64 TlId() const { return m_tlId; }
    // Does not reload the points.
    void setTlId(qint64 tlId) { m_tlId = tlId; }

    int PointCount() const { return int(m_points.size()); }
    // 1-based; the caller keeps i within 1..PointCount().
    cRaja& GetRaja(int i) { return m_points.at(std::size_t(i - 1)); }
    const cRaja& GetRaja(int i) const { return m_points.at(std::size_t(i - 1)); }

    // The extremes of the points; -1 when there are none. A boundary whose points all lie at -1
    // reads like an empty one here: ask PointCount.
    float GetSmallestX() const;
    float GetGreatestX() const;
    float GetSmallestY() const;
    float GetGreatestY() const;

    // Replaces the points by the estate's stored points, in one query.
    void ReadRajat();
    // Appends a point with OrderID PointCount() + 1 and, with a database, stores it at once (the
    // point's id then holds its key).
    cRaja& AddNewRaja(float x, float y);

    // Replaces the points (already read rows; the boundary cache builds estates this way).
    void setPoints(std::deque<cRaja> points) { m_points = std::move(points); }
    // The points in map twips, in boundary order.
    QPolygonF polygon() const;

    // Every boundary point of the estate, inside the caller's transaction.
    static void DeleteEstatePoints(Database& db, qint64 tlId);

private:
    template <class Better>
    float extreme(float (cRaja::*coordinate)() const, Better better) const;

    Database m_db;
    qint64 m_tlId = 0;
    std::deque<cRaja> m_points;
};

} // namespace tikkeli
