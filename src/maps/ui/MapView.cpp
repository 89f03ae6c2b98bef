#include "maps/ui/MapView.h"

#include "maps/MapUnits.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <cmath>
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
    m_scene = QImage();
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
    m_scene = QImage();
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
    if (!m_state || !paintScene(painter)) {
        painter.fillRect(rect(), palette().color(QPalette::Base));
        return;
    }
    QPen pen = boundaryPen();
    painter.setPen(pen);
    paintChain(painter, m_found, true);
    paintChain(painter, m_drawing, false);
    if (m_measure) {
        pen.setColor(measureColor());
        painter.setPen(pen);
        painter.drawLine(widgetPosOf(m_measure->p1()), widgetPosOf(m_measure->p2()));
    }
}

QPen MapView::boundaryPen() const
{
    QPen pen(boundaryColor(), m_state->zoom() < 1.0 ? 1 : 2);
    pen.setCosmetic(true);
    return pen;
}

bool MapView::paintScene(QPainter& painter)
{
    // The view's top left in pixels of the zoomed map (a picture pixel is `zoom` of them).
    const QPointF origin = m_state->toView(QPointF(0, 0)) / -map::TwipsPerPixel;
    const double zoom = m_state->zoom();
    const double dpr = devicePixelRatioF();
    const QSize sceneSize = size() * 2 * dpr;
    if (m_scene.size() != sceneSize || m_sceneZoom != zoom || !m_sceneRect.contains(QRectF(origin, QSizeF(size())))) {
        // Half a view beyond each side, from a whole pixel.
        m_sceneZoom = zoom;
        m_sceneRect = QRectF(QPointF(std::floor(origin.x() - width() / 2.0), std::floor(origin.y() - height() / 2.0)),
                             QSizeF(size() * 2));
        m_scene = QImage(sceneSize, QImage::Format_RGB32);
        if (m_scene.isNull()) {
            QTimer::singleShot(0, this, &MapView::paintFailed);
            return false;
        }
        m_scene.setDevicePixelRatio(dpr);
        QPainter scene(&m_scene);
        scene.fillRect(QRectF(QPointF(), m_sceneRect.size()), palette().color(QPalette::Base));
        // The part of the picture the scene shows, in picture pixels, and where it lands.
        const QRectF source = QRectF(m_sceneRect.topLeft() / zoom, m_sceneRect.size() / zoom).intersected(m_picture.rect());
        if (!m_picture.isNull() && !source.isEmpty()) {
            try {
                scene.drawImage(QRectF(source.topLeft() * zoom - m_sceneRect.topLeft(), source.size() * zoom), m_picture,
                                source);
            } catch (const std::bad_alloc&) {
                QTimer::singleShot(0, this, &MapView::paintFailed);
            }
        }
        scene.setPen(boundaryPen());
        // Only the estates whose box reaches the scene are drawn (a line's width of margin).
        const double twips = map::TwipsPerPixel / zoom;
        const QRectF reach(m_sceneRect.left() * twips - 3 * twips, m_sceneRect.top() * twips - 3 * twips,
                           (m_sceneRect.width() + 6) * twips, (m_sceneRect.height() + 6) * twips);
        std::vector<QPoint> points;
        for (std::size_t i = 0; i < m_estates.size(); ++i) {
            const QRectF& box = m_estateBounds[i];
            if (m_estates[i].size() < 2 || box.right() < reach.left() || box.left() > reach.right()
                || box.bottom() < reach.top() || box.top() > reach.bottom())
                continue;
            points.clear();
            for (const QPointF& p : m_estates[i])
                points.push_back((p / twips - m_sceneRect.topLeft()).toPoint());
            scene.drawPolygon(points.data(), int(points.size()));
        }
    }
    // Whole pixels: the scene is laid as it is, without scaling.
    const QPoint offset = ((origin - m_sceneRect.topLeft()) * dpr).toPoint();
    painter.drawImage(QPoint(0, 0), m_scene, QRect(offset, m_scene.size() / 2));
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
