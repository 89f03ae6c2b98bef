#include "ui/ScreenFit.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <algorithm>

namespace tikkeli {

namespace {

// Before the window system has framed a window, its frame is taken as a title bar above it.
QMargins frameOf(const QWidget* window)
{
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    if (frame != inner)
        return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                frame.bottom() - inner.bottom()};
    if (window->windowFlags() & Qt::FramelessWindowHint)
        return {};
    return {0, window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window), 0, 0};
}

const QString kWatcherName = QStringLiteral("KeepOnScreen");
const QString kDialogWatcherName = QStringLiteral("KeepDialogsOnScreen");

bool frameKnown(const QWidget* window)
{
    return window->frameGeometry() != window->geometry();
}

class ShowWatcher : public QObject {
public:
    explicit ShowWatcher(QWidget* window) : QObject(window) { setObjectName(kWatcherName); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != parent())
            return false;
        auto* window = static_cast<QWidget*>(watched);
        switch (event->type()) {
        case QEvent::Show:
            fit(window);
            // A window manager may frame the window only now, and some (icewm) put the window
            // itself, not its frame, where the frame was asked to go: the title bar then lies
            // above the screen. Looked at again once the window system has placed it.
            m_framePending = true;
            break;
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Paint:
            if (m_framePending && frameKnown(window)) {
                m_framePending = false;
                fit(window);
                reassertPosition(window);
            }
            break;
        case QEvent::Hide: m_framePending = false; break;
        default: break;
        }
        return false;
    }

private:
    static void fit(QWidget* window)
    {
        if (const QScreen* screen = window->screen())
            FitOnScreen(window, screen->availableGeometry());
    }

    // Such a window manager also tells Qt a place other than where the window lies (icewm: the
    // title bar above the screen while Qt counts it on the screen), so the check above sees nothing
    // wrong. Asking once for the place Qt counts puts the window there; a move to where Qt thinks
    // the window already is would not be sent at all, hence the step aside and back.
    static void reassertPosition(QWidget* window)
    {
        if (window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized))
            return;
        const QPoint at = window->pos();
        window->move(at + QPoint(0, 1));
        window->move(at);
    }

    bool m_framePending = false;
};

class DialogWatcher : public QObject {
public:
    explicit DialogWatcher(QObject* parent) : QObject(parent) { setObjectName(kDialogWatcherName); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The window's own watcher, installed here, sees this same show and the placing after it.
        if (event->type() == QEvent::Show)
            if (auto* dialog = qobject_cast<QDialog*>(watched); dialog && dialog->isWindow())
                KeepOnScreen(dialog);
        return false;
    }
};

class ContentWidth : public QObject {
public:
    ContentWidth(QWidget* window, QScrollArea* area) : QObject(window), m_area(area) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Show || watched != parent() || m_done || !m_area->widget())
            return false;
        m_done = true;
        auto* window = static_cast<QWidget*>(watched);
        const QSize room = m_area->maximumViewportSize();
        const QSize page = m_area->widget()->sizeHint();
        int width = page.width();
        if (page.height() > room.height())
            width += m_area->verticalScrollBar()->sizeHint().width();
        if (const int lacking = width - room.width(); lacking > 0) {
            window->resize(window->width() + lacking, window->height());
            if (const QScreen* screen = window->screen())
                FitOnScreen(window, screen->availableGeometry());
        }
        return false;
    }

private:
    QScrollArea* m_area;
    bool m_done = false;
};

} // namespace

void OpenWideEnoughFor(QWidget* window, QScrollArea* area)
{
    if (window && area)
        window->installEventFilter(new ContentWidth(window, area));
}

QRect FitInside(const QRect& frame, const QRect& area, const QSize& minimum)
{
    if (!area.isValid())
        return frame;
    QRect r = frame;
    r.setSize(r.size().boundedTo(area.size()).expandedTo(minimum));
    r.moveLeft(std::clamp(r.left(), area.left(), std::max(area.left(), area.right() + 1 - r.width())));
    r.moveTop(std::clamp(r.top(), area.top(), std::max(area.top(), area.bottom() + 1 - r.height())));
    return r;
}

void FitOnScreen(QWidget* window, const QRect& area)
{
    if (!window || !window->isWindow() || window->isMaximized() || window->isFullScreen())
        return;
    const QMargins frame = frameOf(window);
    const QRect outer(window->pos(), window->size().grownBy(frame));
    const QSize minimum = window->minimumSize().grownBy(frame);
    const QRect fitted = FitInside(outer, area, minimum);
    if (fitted == outer)
        return;
    const QSize inner = fitted.marginsRemoved(frame).size();
    if (inner != window->size())
        window->resize(inner);
    // A window's position is its frame's. One that was never placed is left to the window
    // manager, which puts it inside the available area (centred, say) once its size fits; but
    // one whose title bar would lie above the area (a dialog centred on a tall or hidden owner)
    // is moved down, or it could not be reached to be moved.
    const bool titleBarOff = outer.top() < 0 && area.top() >= 0;
    if (fitted.topLeft() != outer.topLeft() && (window->testAttribute(Qt::WA_Moved) || titleBarOff))
        window->move(fitted.topLeft());
}

void KeepDialogsOnScreen()
{
    QCoreApplication* app = QCoreApplication::instance();
    if (app && !app->findChild<QObject*>(kDialogWatcherName, Qt::FindDirectChildrenOnly))
        app->installEventFilter(new DialogWatcher(app));
}

void KeepOnScreen(QWidget* window)
{
    if (!window || !window->isWindow())
        return;
    if (!window->findChild<QObject*>(kWatcherName, Qt::FindDirectChildrenOnly))
        window->installEventFilter(new ShowWatcher(window));
    if (const QScreen* screen = window->screen())
        FitOnScreen(window, screen->availableGeometry());
}

} // namespace tikkeli
