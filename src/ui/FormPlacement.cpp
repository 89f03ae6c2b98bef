#include "ui/FormPlacement.h"

#include "base/ErrorHandling.h"
#include "ui/ScreenFit.h"
#include "platform/IniSettingsStore.h"
#include "base/SharedState.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace tikkeli {

namespace {

IniSettingsStore formsStore()
{
    IniSettingsStore ini;
    ini.setFile(State().IniFileName);
    ini.setSection(QStringLiteral("FORMS"));
    return ini;
}

bool isFixedSize(const QWidget* w)
{
    return w->minimumSize() == w->maximumSize();
}

QRect ontoScreen(QRect r)
{
    for (const QScreen* s : QGuiApplication::screens())
        if (s->availableGeometry().intersected(r).width() >= 40 && s->availableGeometry().intersected(r).height() >= 20)
            return r;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return r;
    const QRect avail = primary->availableGeometry();
    r.setSize(r.size().boundedTo(avail.size()));
    r.moveTopLeft(avail.topLeft() + QPoint(20, 40));
    return r;
}

} // namespace

QString FormPlacementKey(const QString& windowName)
{
    return windowName + QString::number(TIKKELI_VERSION_MAJOR) + QString::number(TIKKELI_VERSION_MINOR);
}

QString FormPlacementKey(const QWidget* window)
{
    return FormPlacementKey(window->objectName());
}

void RestoreFormPlacement(QWidget* window)
{
    // Whatever size a window was built or saved with, it opens inside a small laptop's screen.
    KeepOnScreen(window);
    if (!window || window->objectName().isEmpty())
        return;
    IgnoringErrors("window placement: restore", [&] {
        const auto p = formsStore().readPlacement(FormPlacementKey(window));
        if (!p)
            return;
        // The saved position is the frame's (title bar included) and the size the window's own:
        // placed by its frame, the window comes back where it was whether or not the window
        // manager counts a requested position as the frame's.
        QRect r = p->geometry;
        if (isFixedSize(window))
            r.setSize(window->size());
        r = ontoScreen(r);
        window->resize(r.size());
        window->move(r.topLeft());
        if (p->maximized && !isFixedSize(window))
            window->setWindowState(window->windowState() | Qt::WindowMaximized);
    });
}

void SaveFormPlacement(QWidget* window)
{
    if (!window || window->objectName().isEmpty())
        return;
    IgnoringErrors("window placement: save", [&] {
        WindowPlacement p;
        p.maximized = window->isMaximized();
        p.geometry = p.maximized ? window->normalGeometry() : window->geometry();
        if (!p.geometry.isValid())
            return;
        // The frame's corner: the title bar above the window and the border left of it.
        p.geometry.moveTopLeft(p.geometry.topLeft() - (window->geometry().topLeft() - window->frameGeometry().topLeft()));
        formsStore().writePlacement(p, FormPlacementKey(window));
    });
}

} // namespace tikkeli
