#pragma once

#include "maps/MapViewState.h"

#include <QAbstractSlider>
#include <QImage>
#include <QPen>
#include <QLineF>
#include <QWidget>
#include <optional>
#include <vector>

namespace tikkeli {

// The visible part of the map: paints from the full-size picture only the part around the view,
// scaled (never the whole zoomed map), and over it the boundaries as data: the estates shown, the
// estate found by a search, the boundary being drawn and the measuring line. A scroll or zoom keeps
// them all.
// A boundary is drawn closed, its last corner joined to its first; the one being drawn is open.
// Mouse events come out as map points (twips of the unzoomed picture); the view takes the focus,
// and its keys and wheel ask the window to scroll or zoom.
class MapView : public QWidget {
    Q_OBJECT
public:
    using Chain = std::vector<QPointF>;

    explicit MapView(QWidget* parent = nullptr);

    // The state the view paints by (owned by the window, which keeps it alive longer).
    void setViewState(const MapViewState* state);
    void setPicture(QImage picture);
    const QImage& picture() const { return m_picture; }
    void setEstates(std::vector<Chain> estates);
    const std::vector<Chain>& estates() const { return m_estates; }
    void setFoundEstate(Chain chain);
    const Chain& foundEstate() const { return m_found; }
    void setDrawing(Chain chain);
    const Chain& drawing() const { return m_drawing; }
    void setMeasureLine(std::optional<QLineF> line);
    std::optional<QLineF> measureLine() const { return m_measure; }

    // The view's size in view twips.
    QSizeF sizeInTwips() const;
    // A widget position as a map point.
    QPointF mapPointAt(QPointF widgetPos) const;
    // A map point's widget position.
    QPointF widgetPosOf(QPointF map) const;

    // The boundary pens: red, 1 pixel below 100 % and 2 from there up; the measuring line green.
    static QColor boundaryColor() { return QColor(192, 0, 0); }
    static QColor measureColor() { return QColor(0, 255, 0); }

signals:
    void mapPressed(Qt::MouseButton button, QPointF map);
    void mapReleased(Qt::MouseButton button, QPointF map, QPoint globalPos);
    void mapMoved(QPointF map);
    void mapDoubleClicked(QPointF map);
    void viewResized();
    // The keyboard or the wheel moves the map: a scroll bar's action, or a zoom step (+1 nearer).
    void panRequested(Qt::Orientation orientation, QAbstractSlider::SliderAction action);
    void zoomStepRequested(int step);
    // Any other key pressed on the map.
    void mapKey(int key);
    // Painting the picture ran out of memory at this zoom.
    void paintFailed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void paintChain(QPainter& painter, const Chain& chain, bool closed);
    QPen boundaryPen() const;
    // The picture and the estates shown, scaled and drawn at the zoom into a scene reaching half a
    // view beyond each side of the view: a scroll within that reach lays the scene on the view again,
    // scaling and drawing nothing. The scene is four views large, never the whole zoomed map. False
    // when there is no memory for it.
    bool paintScene(QPainter& painter);

    const MapViewState* m_state = nullptr;
    QImage m_picture;
    std::vector<Chain> m_estates;
    std::vector<QRectF> m_estateBounds; // each estate's box, to pass over those out of sight
    Chain m_found;
    Chain m_drawing;
    std::optional<QLineF> m_measure;
    QPoint m_wheel; // wheel turns short of a notch
    QImage m_scene;
    QRectF m_sceneRect; // in pixels of the zoomed map
    double m_sceneZoom = 0.0;
};

} // namespace tikkeli
