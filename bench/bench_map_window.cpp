// The map window's two hot paths, each against a plain baseline in the same
// run:
// - the estate under the mouse among 1,000 estates of 50 corners each: our
// lookup (the check that
//   the database is unchanged, the bounding boxes, the crossing test) vs a
//   plain loop over the same bounding boxes and corners held in plain arrays;
// - a repaint of the view at 200 % of a 10,000 x 8,000 pixel picture with those
// boundaries shown (at one place: the view lays its scene again)
//   vs a plain drawImage of the same source rectangle into an image of the
//   view's size;
// - a scroll step of the map window with 10,000 estates shown (the window holding the only
//   handle to the file, as in the running program) vs a plain drawImage of the same area;
// - opening the map window with 10,000 estates drawn and none shown vs opening it with none drawn.
// The two sides run interleaved; the ratio is of the medians (PairedRatio.h).
#include "ClubFixture.h"
#include "PairedRatio.h"
#include "base/SharedState.h"
#include "db/Database.h"
#include "maps/BoundaryCache.h"
#include "maps/MapBoundaries.h"
#include "maps/MapHitTest.h"
#include "maps/MapStorage.h"
#include "maps/ui/MapView.h"
#include "maps/ui/frmKartta.h"

#include <QApplication>
#include <QCheckBox>
#include <QBuffer>
#include <QPainter>
#include <QScrollBar>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int kEstates = 1000;
constexpr int kCorners = 50;
constexpr int kLookups = 1000;
// Map twips of the 10,000 x 8,000 pixel picture.
constexpr double kMapWidth = 150000;
constexpr double kMapHeight = 120000;

// 1,000 estates on a 40 x 25 grid over the map, each a ring of 50 corners with
// a wavy edge.
struct MapFixture {
    ClubFixture club{10};
    tikkeli::Database db;
    std::vector<std::vector<QPointF>> boundaries;

    MapFixture()
    {
        tikkeli::State().DatabasePath = club.database;
        db = tikkeli::Database::open(club.database);
        db.execute(QStringLiteral("DELETE FROM rj"));
        db.execute(QStringLiteral("BEGIN"));
        const double cellW = kMapWidth / 40, cellH = kMapHeight / 25;
        for (int e = 0; e < kEstates; ++e) {
            db.execute(QStringLiteral("INSERT INTO tl (tlvsID, tlTilaPalsta, "
                                      "tlRekNo) VALUES (1, ?1, ?2)"),
                       {QStringLiteral("Tila %1").arg(e), QStringLiteral("940-1-%1").arg(e)});
            const qint64 tlId = db.lastInsertId();
            const QPointF centre((e % 40 + 0.5) * cellW, (e / 40 + 0.5) * cellH);
            std::vector<QPointF> ring;
            for (int c = 0; c < kCorners; ++c) {
                const double a = 2 * M_PI * c / kCorners;
                const double r = 0.45 * (c % 2 ? 0.8 : 1.0);
                const QPointF p(float(centre.x() + r * cellW * std::cos(a)), float(centre.y() + r * cellH * std::sin(a)));
                ring.push_back(p);
                db.execute(QStringLiteral("INSERT INTO rj (rjtlID, rjOrderID, rjX, "
                                          "rjY, rjMukaan) VALUES (?1, ?2, ?3, ?4, 0)"),
                           {tlId, c + 1, p.x(), p.y()});
            }
            boundaries.push_back(std::move(ring));
        }
        db.execute(QStringLiteral("COMMIT"));
    }
};

MapFixture& fixture()
{
    static MapFixture f;
    return f;
}

std::vector<QPointF> mousePoints()
{
    std::mt19937 random(29);
    std::uniform_real_distribution<double> x(0, kMapWidth), y(0, kMapHeight);
    std::vector<QPointF> points;
    for (int i = 0; i < kLookups; ++i)
        points.emplace_back(x(random), y(random));
    return points;
}

// The plain way with the same bounding boxes: each estate's box held beside its corners, an
// estate whose box misses the point skipped, the estates tried from the last so that the later
// containing one wins.
struct PlainOutline {
    double minX, maxX, minY, maxY;
    const std::vector<QPointF>* corners;
};

std::vector<PlainOutline> plainOutlines(const std::vector<std::vector<QPointF>>& boundaries)
{
    std::vector<PlainOutline> outlines;
    for (const auto& b : boundaries) {
        PlainOutline o{b[0].x(), b[0].x(), b[0].y(), b[0].y(), &b};
        for (const QPointF& p : b) {
            o.minX = std::min(o.minX, p.x());
            o.maxX = std::max(o.maxX, p.x());
            o.minY = std::min(o.minY, p.y());
            o.maxY = std::max(o.maxY, p.y());
        }
        outlines.push_back(o);
    }
    return outlines;
}

qint64 plainLookup(const std::vector<PlainOutline>& outlines, QPointF p)
{
    for (std::size_t e = outlines.size(); e-- > 0;) {
        const PlainOutline& o = outlines[e];
        if (p.x() < o.minX || p.x() > o.maxX || p.y() < o.minY || p.y() > o.maxY)
            continue;
        const auto& b = *o.corners;
        bool inside = false;
        for (std::size_t i = 0, n = b.size(); i < n; ++i) {
            QPointF a = b[i], c = b[(i + 1) % n];
            if (c.x() < a.x())
                std::swap(a, c);
            if (a.x() <= p.x() && p.x() < c.x() && (p.y() - a.y()) * (c.x() - a.x()) > (p.x() - a.x()) * (c.y() - a.y()))
                inside = !inside;
        }
        if (inside)
            return qint64(e + 1);
    }
    return 0;
}

// The hit test itself: the index of outlines and boxes the finder keeps, against the plain loop.
void BM_HitTest(benchmark::State& state)
{
    MapFixture& f = fixture();
    const std::vector<QPointF> points = mousePoints();
    tikkeli::EstateHitIndex index;
    for (std::size_t e = 0; e < f.boundaries.size(); ++e)
        index.add(qint64(e + 1), f.boundaries[e]);
    const std::vector<PlainOutline> outlines = plainOutlines(f.boundaries);
    RunPaired(
        state, "1000 hit tests among 1000 estates of 50 corners vs boxes", 1.2,
        [&] {
            qint64 n = 0;
            for (const QPointF& p : points)
                n += plainLookup(outlines, p);
            benchmark::DoNotOptimize(n);
        },
        [&] {
            qint64 n = 0;
            for (const QPointF& p : points)
                n += index.find(p);
            benchmark::DoNotOptimize(n);
        });
}
BENCHMARK(BM_HitTest)->Iterations(21)->UseManualTime()->Unit(benchmark::kMillisecond);

// The lookup of the hover as the window makes it: the look whether the database changed (its
// stamp), then the hit test; the plain side takes the same stamp before its loop.
void BM_EstateUnderTheMouse(benchmark::State& state)
{
    MapFixture& f = fixture();
    const std::vector<QPointF> points = mousePoints();
    tikkeli::EstateFinder finder;
    finder.find(f.db, points.front()); // the cache and the boxes are built once
    const std::vector<PlainOutline> outlines = plainOutlines(f.boundaries);
    RunPaired(
        state, "1000 lookups with the database check vs the check and boxes", 1.2,
        [&] {
            qint64 n = 0;
            for (const QPointF& p : points) {
                benchmark::DoNotOptimize(tikkeli::DatabaseStamp::of(f.db));
                n += plainLookup(outlines, p);
            }
            benchmark::DoNotOptimize(n);
        },
        [&] {
            qint64 n = 0;
            for (const QPointF& p : points)
                n += finder.find(f.db, p);
            benchmark::DoNotOptimize(n);
        });
}
BENCHMARK(BM_EstateUnderTheMouse)->Iterations(21)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_RepaintAt200(benchmark::State& state)
{
    MapFixture& f = fixture();
    QImage picture(10000, 8000, QImage::Format_RGB32);
    picture.fill(QColor(240, 235, 220));
    {
        QPainter p(&picture);
        p.setPen(QPen(Qt::darkGreen, 3));
        for (int x = 0; x < picture.width(); x += 250)
            p.drawLine(x, 0, x, picture.height());
    }
    tikkeli::MapViewState viewState;
    tikkeli::MapView view;
    view.resize(1000, 640);
    viewState.setViewSize(view.sizeInTwips());
    viewState.setMapSize(QSizeF(kMapWidth, kMapHeight));
    viewState.setZoomIndex(6);
    viewState.setScroll(3000, 2000);
    view.setViewState(&viewState);
    view.setPicture(picture);
    std::vector<tikkeli::MapView::Chain> shown(f.boundaries.begin(), f.boundaries.end());
    view.setEstates(shown);
    QImage target(view.size(), QImage::Format_RGB32);

    const QRectF visible = viewState.visibleMapRect();
    const QRectF source(visible.topLeft() / 15.0, visible.size() / 15.0);
    RunPaired(
        state, "repaint at 200 % of 10000 x 8000 pixels vs plain drawImage", 1.5,
        [&] {
            QPainter p(&target);
            p.drawImage(QRectF(target.rect()), picture, source);
        },
        [&] { view.render(&target); });
}
BENCHMARK(BM_RepaintAt200)->Iterations(31)->UseManualTime()->Unit(benchmark::kMillisecond);

// A club whose map is a 6,000 x 4,800 pixel picture; with `drawn`, 10,000 estates of 20 corners on a
// 100 x 100 grid over it. Nothing holds the file open afterwards.
struct DrawnClub {
    static constexpr int kSide = 100, kRing = 20;
    static constexpr double kWidth = 90000, kHeight = 72000; // map twips of the picture
    ClubFixture club{10};
    QImage picture{6000, 4800, QImage::Format_RGB32};

    explicit DrawnClub(bool drawn)
    {
        picture.fill(QColor(240, 235, 220));
        {
            QPainter p(&picture);
            p.setPen(QPen(Qt::darkGreen, 3));
            for (int x = 0; x < picture.width(); x += 250)
                p.drawLine(x, 0, x, picture.height());
        }
        tikkeli::Database db = tikkeli::Database::open(club.database);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "PNG");
        tikkeli::MapStorage::SavePictureBytes(db, bytes);
        db.execute(QStringLiteral("DELETE FROM rj"));
        db.execute(QStringLiteral("BEGIN"));
        for (int e = 0; e < kSide * kSide; ++e) {
            db.execute(QStringLiteral("INSERT INTO tl (tlvsID, tlTilaPalsta, tlRekNo) VALUES (1, ?1, ?2)"),
                       {QStringLiteral("Tila %1").arg(e), QStringLiteral("940-2-%1").arg(e)});
            const qint64 tlId = db.lastInsertId();
            const QPointF centre((e % kSide + 0.5) * kWidth / kSide, (e / kSide + 0.5) * kHeight / kSide);
            for (int c = 0; drawn && c < kRing; ++c) {
                const double a = 2 * M_PI * c / kRing;
                db.execute(
                    QStringLiteral("INSERT INTO rj (rjtlID, rjOrderID, rjX, rjY, rjMukaan) VALUES (?1, ?2, ?3, ?4, 0)"),
                    {tlId, c + 1, centre.x() + 0.4 * kWidth / kSide * std::cos(a),
                     centre.y() + 0.4 * kHeight / kSide * std::sin(a)});
            }
        }
        db.execute(QStringLiteral("COMMIT"));
    }
};

void closeMapWindow(tikkeli::frmKartta* w)
{
    w->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void BM_ScrollStepWith10000Estates(benchmark::State& state)
{
    DrawnClub drawn(true);
    tikkeli::State().DatabasePath = drawn.club.database;
    const QImage& picture = drawn.picture;
    tikkeli::frmKartta::ChooseEstates = [](QWidget*) {
        return std::optional<tikkeli::frmKartta::EstatesChoice>({true, {}});
    };
    tikkeli::frmKartta* w = tikkeli::frmKartta::Load();
    w->resize(1100, 760);
    w->show();
    QApplication::processEvents();
    w->chooseZoom(6);
    w->findChild<QCheckBox*>(QStringLiteral("cNaytaTilat"))->click();
    tikkeli::MapView* view = w->view();
    auto* h = w->findChild<QScrollBar*>(QStringLiteral("HScrl"));
    h->setValue(h->maximum() / 2);
    QImage target(view->size(), QImage::Format_RGB32);
    int step = 1;
    RunPaired(
        state, "scroll step with 10000 estates shown vs plain drawImage", 1.5,
        [&] {
            const QRectF visible = w->viewState().visibleMapRect();
            QPainter p(&target);
            p.drawImage(QRectF(target.rect()), picture, QRectF(visible.topLeft() / 15.0, visible.size() / 15.0));
        },
        [&] {
            step = -step;
            h->setValue(h->value() + step * h->singleStep());
            view->render(&target);
        });
    closeMapWindow(w);
}
BENCHMARK(BM_ScrollStepWith10000Estates)->Iterations(31)->UseManualTime()->Unit(benchmark::kMillisecond);

// Opening the map window as the user does (the picture read and shown, the window painted) on a
// club with 10,000 estates drawn but none shown, against the same club with none drawn. Each
// opening starts as the program's first: no boundaries held from an earlier one.
void BM_OpeningWith10000EstatesDrawn(benchmark::State& state)
{
    DrawnClub none(false), drawn(true);
    const auto open = [](const DrawnClub& club) {
        tikkeli::State().DatabasePath = club.club.database;
        tikkeli::frmKartta* w = tikkeli::frmKartta::Load();
        w->resize(1100, 760);
        w->show();
        QApplication::processEvents();
        closeMapWindow(w);
    };
    RunPaired(
        state, "map window opening, 10,000 estates drawn, none shown", 1.2, [&] { open(none); }, [&] { open(drawn); },
        [] { tikkeli::BoundaryCache::shared().clear(); });
}
BENCHMARK(BM_OpeningWith10000EstatesDrawn)->Iterations(15)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RunPairedBenchmarks(argc, argv);
}
