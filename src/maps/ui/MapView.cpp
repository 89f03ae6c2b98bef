#include "maps/ui/MapView.h"

#include "maps/MapUnits.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
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
    setFocusPolicy(Qt::StrongFocus);
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
    // The window hands the tool's drawing on at every mouse move: repaint only on a change.
    if (chain == m_drawing)
        return;
    m_drawing = std::move(chain);
    update();
}

void MapView::setMeasureLine(std::optional<QLineF> line)
{
    if (line == m_measure)
        return;
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
            paintChain(painter, m_estates[i], true);
    }
    paintChain(painter, m_found, true);
    paintChain(painter, m_drawing, false);
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

void MapView::paintChain(QPainter& painter, const Chain& chain, bool closed)
{
    if (chain.size() < 2)
        return;
    // Whole pixels: the lines are drawn without smoothing, and the integer path is the faster.
    std::vector<QPoint> points;
    points.reserve(chain.size());
    for (const QPointF& p : chain)
        points.push_back(widgetPosOf(p).toPoint());
    if (closed)
        painter.drawPolygon(points.data(), int(points.size()));
    else
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

void MapView::keyPressEvent(QKeyEvent* event)
{
    using A = QAbstractSlider;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Left: emit panRequested(Qt::Horizontal, A::SliderSingleStepSub); break;
    case Qt::Key_Right: emit panRequested(Qt::Horizontal, A::SliderSingleStepAdd); break;
    case Qt::Key_Up: emit panRequested(Qt::Vertical, A::SliderSingleStepSub); break;
    case Qt::Key_Down: emit panRequested(Qt::Vertical, A::SliderSingleStepAdd); break;
    case Qt::Key_PageUp: emit panRequested(Qt::Vertical, A::SliderPageStepSub); break;
    case Qt::Key_PageDown: emit panRequested(Qt::Vertical, A::SliderPageStepAdd); break;
    // Home and End go to the left and right edge, with Ctrl to the top and bottom.
    case Qt::Key_Home: emit panRequested(ctrl ? Qt::Vertical : Qt::Horizontal, A::SliderToMinimum); break;
    case Qt::Key_End: emit panRequested(ctrl ? Qt::Vertical : Qt::Horizontal, A::SliderToMaximum); break;
    default:
        emit mapKey(event->key());
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void MapView::wheelEvent(QWheelEvent* event)
{
    // A notch is 120 eighths of a degree; a notch scrolls three steps, Ctrl+notch zooms one.
    m_wheel += event->angleDelta();
    const QPoint notches = m_wheel / 120;
    m_wheel -= notches * 120;
    event->accept();
    if (event->modifiers() & Qt::ControlModifier) {
        if (notches.y() != 0)
            emit zoomStepRequested(notches.y() > 0 ? 1 : -1);
        return;
    }
    // Shift turns the vertical wheel sideways, as elsewhere on the desktop.
    const bool sideways = event->modifiers() & Qt::ShiftModifier;
    const int vertical = sideways ? 0 : notches.y();
    const int horizontal = sideways ? notches.y() : notches.x();
    for (int i = 0; i < 3 * std::abs(vertical); ++i)
        emit panRequested(Qt::Vertical,
                          vertical > 0 ? QAbstractSlider::SliderSingleStepSub : QAbstractSlider::SliderSingleStepAdd);
    for (int i = 0; i < 3 * std::abs(horizontal); ++i)
        emit panRequested(Qt::Horizontal,
                          horizontal > 0 ? QAbstractSlider::SliderSingleStepSub : QAbstractSlider::SliderSingleStepAdd);
}

} // namespace tikkeli
