#pragma once

#include "db/Database.h"
#include "maps/BoundaryCache.h"
#include "maps/MapTool.h"

#include <functional>

namespace tikkeli {

// Drawing an estate's boundary: each left click is a corner, kept in memory; the right click ends
// the drawing. A boundary of three corners or more is stored after the user says so, all of it in
// one transaction; "Ei" or a failure store nothing and remove nothing. Nothing of a drawing is ever
// stored half-way, so two programs drawing the same estate cannot mix their corners, and a program
// stopped mid-drawing leaves nothing behind. Interrupted (Escape, the window closing), a drawing
// with corners asks first; there, and at the right click's question, the user may go on drawing.
class DrawingTool : public MapTool {
public:
    static constexpr int kMinimumPoints = 3;

    // The questions the drawing puts to the user; the window asks them.
    struct Questions {
        enum class Keep { Store, Drop, GoOn };
        // Whether to store the boundary drawn. Interrupted, the drawing offers going on as an
        // answer of its own; at the right click it is what calling the question off means.
        std::function<Keep(bool interrupted)> keepBoundary;
        // An interrupted drawing of too few corners to store: whether to stop drawing.
        std::function<bool()> stopDrawing;
        // Another boundary was stored for the estate since the drawing began: whether to replace it.
        std::function<bool()> replaceOthers;
    };

    // Notes what the estate has stored now, to tell at the end whether another drawing stored a
    // boundary for it meanwhile, and how to name the estate should it be removed meanwhile.
    DrawingTool(const Database& db, qint64 estateId, Questions questions);

    qint64 estateId() const { return m_estateId; }

    Outcome press(Qt::MouseButton button, QPointF map) override;
    Outcome release(Qt::MouseButton button, QPointF map) override;
    Outcome cancel() override;
    QString hint() const override;
    bool letsEstatesChange() const override { return false; }
    std::vector<QPointF> chain() const override { return m_points; }

private:
    Outcome store();

    Database m_db;
    qint64 m_estateId = 0;
    QString m_caption;
    std::vector<BoundaryPoint> m_seen;
    Questions m_questions;
    std::vector<QPointF> m_points;
};

} // namespace tikkeli
