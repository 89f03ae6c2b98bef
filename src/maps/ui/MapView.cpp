#include "maps/ui/MapView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <new>

namespace tikkeli {

namespace {
// A picture pixel and a pixel of the view at 100 % are 15 twips.
constexpr double kTwipsPerPixel = 15.0;
} // namespace

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

void MapView::setEstates(std::vector<Chain> estates)
{
    m_estates = std::move(estates);
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
    return QSizeF(width() * kTwipsPerPixel, height() * kTwipsPerPixel);
}

QPointF MapView::mapPointAt(QPointF widgetPos) const
{
    const QPointF view = widgetPos * kTwipsPerPixel;
    return m_state ? m_state->toMap(view) : view;
}

QPointF MapView::widgetPosOf(QPointF map) const
{
    const QPointF view = m_state ? m_state->toView(map) : map;
    return view / kTwipsPerPixel;
}

void MapView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    if (!m_state)
        return;
    paintPicture(painter);
    QPen pen(boundaryColor(), m_state->zoom() < 1.0 ? 1 : 2);
    painter.setPen(pen);
    for (const Chain& chain : m_estates)
        paintChain(painter, chain);
    paintChain(painter, m_found);
    paintChain(painter, m_drawing);
    if (m_measure) {
        pen.setColor(measureColor());
        painter.setPen(pen);
        painter.drawLine(widgetPosOf(m_measure->p1()), widgetPosOf(m_measure->p2()));
    }
}

void MapView::paintPicture(QPainter& painter)
{
    if (m_picture.isNull())
        return;
    // The part of the picture the view shows, in picture pixels, within the picture.
    const QRectF visible = m_state->visibleMapRect();
    const QRectF shown(visible.topLeft() / kTwipsPerPixel, visible.size() / kTwipsPerPixel);
    const QRectF source = shown.intersected(QRectF(m_picture.rect()));
    if (source.isEmpty())
        return;
    const QRectF target(widgetPosOf(source.topLeft() * kTwipsPerPixel), widgetPosOf(source.bottomRight() * kTwipsPerPixel));
    try {
        painter.drawImage(target, m_picture, source);
    } catch (const std::bad_alloc&) {
        QTimer::singleShot(0, this, &MapView::paintFailed);
    }
}

void MapView::paintChain(QPainter& painter, const Chain& chain)
{
    // An open chain: the last point is not joined to the first unless it was also stored last.
    if (chain.size() < 2)
        return;
    std::vector<QPointF> points;
    points.reserve(chain.size());
    for (const QPointF& p : chain)
        points.push_back(widgetPosOf(p));
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
