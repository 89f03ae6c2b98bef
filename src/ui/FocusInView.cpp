#include "ui/FocusInView.h"

#include <QApplication>
#include <QFocusEvent>
#include <QScrollArea>

namespace tikkeli {

namespace {

const char* const kFilterName = "FocusInView";

// Every scrolled page that holds widget, innermost first, is scrolled to show it.
void scrollIntoView(QWidget* widget)
{
    for (QWidget* w = widget->parentWidget(); w && !w->isWindow(); w = w->parentWidget())
        if (auto* area = qobject_cast<QScrollArea*>(w); area && area->widget() && area->widget()->isAncestorOf(widget))
            area->ensureWidgetVisible(widget);
}

class FocusInViewFilter : public QObject {
public:
    explicit FocusInViewFilter(QObject* parent) : QObject(parent) { setObjectName(QLatin1String(kFilterName)); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn && static_cast<QFocusEvent*>(event)->reason() != Qt::MouseFocusReason)
            if (auto* widget = qobject_cast<QWidget*>(watched); widget && widget->hasFocus())
                scrollIntoView(widget);
        return false;
    }
};

} // namespace

void InstallFocusInView()
{
    if (qApp->findChild<QObject*>(QLatin1String(kFilterName), Qt::FindDirectChildrenOnly))
        return;
    qApp->installEventFilter(new FocusInViewFilter(qApp));
}

} // namespace tikkeli
