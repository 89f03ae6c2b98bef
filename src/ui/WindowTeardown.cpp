#include "ui/WindowTeardown.h"

#include <QApplication>
#include <QWidget>

namespace tikkeli {

void DetachControls(QWidget* window)
{
    QObject::disconnect(qApp, nullptr, window, nullptr);
    for (QObject* child : window->findChildren<QObject*>())
        QObject::disconnect(child, nullptr, window, nullptr);
}

} // namespace tikkeli
