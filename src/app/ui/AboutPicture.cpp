#include "app/ui/AboutPicture.h"

#include <QPainter>
#include <QPainterPath>

namespace tikkeli {

QPixmap AboutPicture(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x2e, 0x4a, 0x1e), size / 24.0));
    p.setBrush(QColor(0x4f, 0x7a, 0x2f));
    const qreal m = size / 16.0;
    p.drawEllipse(QRectF(m, m, size - 2 * m, size - 2 * m));
    // A spruce: three stacked triangles and a trunk.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf4, 0xf1, 0xe4));
    const qreal c = size / 2.0;
    for (int i = 0; i < 3; ++i) {
        const qreal top = size * (0.18 + 0.14 * i);
        const qreal half = size * (0.13 + 0.06 * i);
        QPainterPath t;
        t.moveTo(c, top);
        t.lineTo(c + half, top + size * 0.22);
        t.lineTo(c - half, top + size * 0.22);
        t.closeSubpath();
        p.drawPath(t);
    }
    p.drawRect(QRectF(c - size * 0.04, size * 0.62, size * 0.08, size * 0.16));
    return pm;
}

} // namespace tikkeli
