#include "ui/FormRegistry.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

#include <algorithm>

namespace tikkeli {

namespace {

bool isProgramWindow(const QWidget* w)
{
    const Qt::WindowType type = w->windowType();
    return type == Qt::Window || type == Qt::Dialog;
}

const char* const kOpenedHere = "tikkeliModeless";

// A modeless window opened here lingers, hidden, after its close until the event loop deletes it:
// it is no longer loaded. (Qt clears WA_DeleteOnClose when it schedules the deletion, so the
// attribute cannot tell.) Other windows count while they exist, shown or hidden by their owner.
bool isLoaded(const QWidget* w)
{
    return isProgramWindow(w) && (w->isVisible() || !w->property(kOpenedHere).toBool());
}

} // namespace

QWidget* FormRegistry::find(const QString& objectName)
{
    if (objectName.isEmpty())
        return nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == objectName && isLoaded(w))
            return w;
    return nullptr;
}

bool FormRegistry::IsFormLoaded(const QString& objectName)
{
    return find(objectName) != nullptr;
}

void FormRegistry::bringToFront(QWidget* window)
{
    if (!window)
        return;
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

QWidget* FormRegistry::open(const QString& objectName, const std::function<QWidget*()>& create)
{
    QWidget* w = find(objectName);
    if (!w) {
        w = create();
        if (!w)
            return nullptr;
        if (w->objectName().isEmpty())
            w->setObjectName(objectName);
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->setProperty(kOpenedHere, true);
    }
    bringToFront(w);
    return w;
}

bool FormRegistry::CloseAllForms(const QWidget* except)
{
    return CloseAllForms({except});
}

bool FormRegistry::CloseAllForms(std::initializer_list<const QWidget*> except)
{
    // Loaded windows that their owner keeps hidden are closed too: their close handler is where
    // their edits and placement are saved.
    QList<QPointer<QWidget>> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (!std::count(except.begin(), except.end(), w) && isLoaded(w))
            windows << w;
    for (const QPointer<QWidget>& w : windows)
        if (w && !w->close())
            return false;
    return true;
}

} // namespace tikkeli
