#include "maps/ui/MapView.h"

#include "maps/MapUnits.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <new>

namespace tikkeli {

MapView::MapView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Picture1"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::CrossCursor);
}

void MapView::setViewState(const MapViewState* state)
{
    m_state = state;
    update();
}

void MapView::setPicture(QImage picture)
{
    m_picture = std::move(picture);
    update();
}

namespace {

QRectF boundsOf(const MapView::Chain& chain)
{
    if (chain.empty())
        return {};
    double left = chain.front().x(), right = left, top = chain.front().y(), bottom = top;
    for (const QPointF& p : chain) {
        left = std::min(left, p.x());
        right = std::max(right, p.x());
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
    }
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

} // namespace

void MapView::setEstates(std::vector<Chain> estates)
{
    m_estates = std::move(estates);
    m_estateBounds.clear();
    m_estateBounds.reserve(m_estates.size());
    for (const Chain& chain : m_estates)
        m_estateBounds.push_back(boundsOf(chain));
    update();
}

void MapView::setFoundEstate(Chain chain)
{
    m_found = std::move(chain);
    update();
}

void MapView::setDrawing(Chain chain)
{
    m_drawing = std::move(chain);
    update();
}

void MapView::setMeasureLine(std::optional<QLineF> line)
{
    m_measure = line;
    update();
}

QSizeF MapView::sizeInTwips() const
{
    return QSizeF(width() * map::TwipsPerPixel, height() * map::TwipsPerPixel);
}

QPointF MapView::mapPointAt(QPointF widgetPos) const
{
    const QPointF view = widgetPos * map::TwipsPerPixel;
    return m_state ? m_state->toMap(view) : view;
}

QPointF MapView::widgetPosOf(QPointF map) const
{
    const QPointF view = m_state ? m_state->toView(map) : map;
    return view / map::TwipsPerPixel;
}

void MapView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QRectF source, target;
    const bool picture = m_state && pictureRects(source, target);
    // The background shows only where the picture does not reach.
    if (!picture || !target.contains(QRectF(rect())))
        painter.fillRect(rect(), palette().color(QPalette::Base));
    if (!m_state)
        return;
    if (picture) {
        try {
            painter.drawImage(target, m_picture, source);
        } catch (const std::bad_alloc&) {
            QTimer::singleShot(0, this, &MapView::paintFailed);
        }
    }
    QPen pen(boundaryColor(), m_state->zoom() < 1.0 ? 1 : 2);
    pen.setCosmetic(true);
    painter.setPen(pen);
    // Only the estates whose box reaches the visible area are drawn (a line's width of margin).
    const double margin = 3 * map::TwipsPerPixel / m_state->zoom();
    const QRectF visible = m_state->visibleMapRect().adjusted(-margin, -margin, margin, margin);
    for (std::size_t i = 0; i < m_estates.size(); ++i) {
        const QRectF& box = m_estateBounds[i];
        if (box.right() >= visible.left() && box.left() <= visible.right() && box.bottom() >= visible.top()
            && box.top() <= visible.bottom())
            paintChain(painter, m_estates[i]);
    }
    paintChain(painter, m_found);
    paintChain(painter, m_drawing);
    if (m_measure) {
        pen.setColor(measureColor());
        painter.setPen(pen);
        painter.drawLine(widgetPosOf(m_measure->p1()), widgetPosOf(m_measure->p2()));
    }
}

bool MapView::pictureRects(QRectF& source, QRectF& target) const
{
    if (m_picture.isNull())
        return false;
    // The part of the picture the view shows, in picture pixels, within the picture, and where
    // it lands on the view.
    const QRectF visible = m_state->visibleMapRect();
    const QRectF shown(visible.topLeft() / map::TwipsPerPixel, visible.size() / map::TwipsPerPixel);
    source = shown.intersected(QRectF(m_picture.rect()));
    if (source.isEmpty())
        return false;
    target = QRectF(widgetPosOf(source.topLeft() * map::TwipsPerPixel),
                    widgetPosOf(source.bottomRight() * map::TwipsPerPixel));
    return true;
}

void MapView::paintChain(QPainter& painter, const Chain& chain)
{
    // An open chain: the last point is not joined to the first unless it was also stored last.
    if (chain.size() < 2)
        return;
    // Whole pixels: the lines are drawn without smoothing, and the integer path is the faster.
    std::vector<QPoint> points;
    points.reserve(chain.size());
    for (const QPointF& p : chain)
        points.push_back(widgetPosOf(p).toPoint());
    painter.drawPolyline(points.data(), int(points.size()));
}

void MapView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    emit viewResized();
}

void MapView::mousePressEvent(QMouseEvent* event)
{
    emit mapPressed(event->button(), mapPointAt(event->position()));
}

void MapView::mouseReleaseEvent(QMouseEvent* event)
{
    emit mapReleased(event->button(), mapPointAt(event->position()), event->globalPosition().toPoint());
}

void MapView::mouseMoveEvent(QMouseEvent* event)
{
    emit mapMoved(mapPointAt(event->position()));
}

void MapView::mouseDoubleClickEvent(QMouseEvent* event)
{
    emit mapDoubleClicked(mapPointAt(event->position()));
}

} // namespace tikkeli
