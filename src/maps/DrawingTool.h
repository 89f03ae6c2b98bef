#pragma once

#include "db/Database.h"
#include "maps/MapTool.h"

namespace tikkeli {

// Drawing an estate's boundary: each left click is a corner, kept in memory; the right click ends
// the drawing. A boundary of three corners or more is stored after "Kyllä", all of it in one
// transaction; "Ei", Escape, a close or a failure store nothing and remove nothing. Nothing of a
// drawing is ever stored half-way, so two programs drawing the same estate cannot mix their
// corners, and a program stopped mid-drawing leaves nothing behind.
class DrawingTool : public MapTool {
public:
    static constexpr int kMinimumPoints = 3;

    // Notes what the estate has stored now, to tell at the end whether another drawing stored a
    // boundary for it meanwhile.
    DrawingTool(const Database& db, qint64 estateId);

    qint64 estateId() const { return m_estateId; }

    Outcome press(Qt::MouseButton button, QPointF map) override;
    Outcome release(Qt::MouseButton button, QPointF map) override;
    QString hint() const override;
    bool letsEstatesChange() const override { return false; }
    std::vector<QPointF> chain() const override { return m_points; }

private:
    Outcome finish();

    Database m_db;
    qint64 m_estateId = 0;
    std::vector<qint64> m_seen;
    std::vector<QPointF> m_points;
};

} // namespace tikkeli
