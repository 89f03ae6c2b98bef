#include "ui/FocusInView.h"

#include "ui/ApplicationFilter.h"

#include <QApplication>
#include <QFocusEvent>
#include <QScrollArea>

#include <algorithm>

namespace tikkeli {

namespace {

const char* const kFilterName = "FocusInView";

// Qt shows only the text cursor of a box, so a box beside the view's edge stayed cut: a widget
// that fits the view is shown whole, with room around it where the view has room to spare.
void showWhole(QScrollArea* area, const QWidget* widget)
{
    const QRect at(widget->mapTo(area->widget(), QPoint(0, 0)), widget->size());
    const QSize view = area->viewport()->size();
    if (at.width() > view.width() || at.height() > view.height())
        return;
    const int xmargin = std::min(50, (view.width() - at.width()) / 2);
    const int ymargin = std::min(50, (view.height() - at.height()) / 2);
    // The point just past the far corner: Qt counts a point on the view's far edge as in view.
    area->ensureVisible(at.x() + at.width(), at.y() + at.height(), xmargin, ymargin);
    area->ensureVisible(at.left(), at.top(), xmargin, ymargin);
}

// Every scrolled page that holds widget, innermost first, is scrolled to show it.
void scrollIntoView(QWidget* widget)
{
    for (QWidget* w = widget->parentWidget(); w && !w->isWindow(); w = w->parentWidget())
        if (auto* area = qobject_cast<QScrollArea*>(w); area && area->widget() && area->widget()->isAncestorOf(widget)) {
            area->ensureWidgetVisible(widget);
            showWhole(area, widget);
        }
}

bool takesTab(const QWidget* w, const QWidget* window)
{
    return (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(window) && w->window() == window;
}

bool holdsControls(const QScrollArea* area)
{
    if (!area->widget())
        return false;
    const auto children = area->widget()->findChildren<QWidget*>();
    return std::any_of(children.begin(), children.end(),
                       [area](const QWidget* c) { return takesTab(c, area->window()) && !c->focusProxy(); });
}

// The stop Tab (Shift+Tab) goes to from area, its own page's controls included; null for none.
QWidget* stopBeside(QWidget* area, bool forward)
{
    QWidget* window = area->window();
    for (QWidget* w = forward ? area->nextInFocusChain() : area->previousInFocusChain(); w && w != area;
         w = forward ? w->nextInFocusChain() : w->previousInFocusChain())
        if (takesTab(w, window) && !w->focusProxy())
            return w;
    return nullptr;
}

// The frame of a scrolled page of controls is no stop of its own: the ring would stand on nothing
// the user can see, a click on the page's blank took the focus from the box the user was in, and
// the arrow keys only scrolled. Its controls are the stops. A page of no control (a print
// preview's) keeps the frame's focus for the scrolling keys.
void passFrameBy(QScrollArea* area, Qt::FocusReason reason)
{
    area->setFocusPolicy(Qt::NoFocus);
    if (reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason)
        return;
    if (QWidget* next = stopBeside(area, reason == Qt::TabFocusReason))
        next->setFocus(reason);
}

class FocusInViewFilter : public QObject {
public:
    explicit FocusInViewFilter(QObject* parent) : QObject(parent) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Polish:
            if (auto* area = qobject_cast<QScrollArea*>(watched); area && holdsControls(area))
                area->setFocusPolicy(Qt::NoFocus);
            return false;
        case QEvent::FocusIn: {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            auto* widget = qobject_cast<QWidget*>(watched);
            if (!widget || !widget->hasFocus())
                return false;
            if (auto* area = qobject_cast<QScrollArea*>(widget); area && holdsControls(area)) {
                passFrameBy(area, reason);
                return false;
            }
            if (reason != Qt::MouseFocusReason)
                scrollIntoView(widget);
            return false;
        }
        default: return false;
        }
    }
};

} // namespace

void InstallFocusInView()
{
    InstallApplicationFilterOnce<FocusInViewFilter>(kFilterName);
}

} // namespace tikkeli
