#include "ui/FullGlyphTextBoxes.h"

#include "ui/FullGlyphStyle.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPlainTextEdit>

namespace tikkeli {

FullGlyphTextBoxes::FullGlyphTextBoxes(QObject* parent) : QObject(parent) {}

void FullGlyphTextBoxes::install()
{
    if (!qApp || qApp->findChild<FullGlyphTextBoxes*>(QString(), Qt::FindDirectChildrenOnly))
        return;
    qApp->installEventFilter(new FullGlyphTextBoxes(qApp));
}

bool FullGlyphTextBoxes::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Paint || m_repainting || !watched->isWidgetType())
        return false;
    auto* viewport = static_cast<QWidget*>(watched);
    auto* box = qobject_cast<QPlainTextEdit*>(viewport->parentWidget());
    if (!box || box->viewport() != viewport)
        return false;
    const QRect part = static_cast<QPaintEvent*>(event)->rect();
    const int reach = GlyphOvershoot(box->font()) + 1;
    if (part.top() <= 0 && part.bottom() >= viewport->height() - 1)
        return false;
    // The painter stays clipped to the part that needs painting; only the choice of lines widens.
    QPaintEvent wider(part.adjusted(0, -reach, 0, reach).intersected(viewport->rect()));
    m_repainting = true;
    QCoreApplication::sendEvent(viewport, &wider);
    m_repainting = false;
    return true;
}

} // namespace tikkeli
