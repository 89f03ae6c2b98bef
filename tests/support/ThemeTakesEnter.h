#pragma once

#include <QEvent>
#include <QKeyEvent>
#include <QObject>

namespace tikkeli::test {

// A theme under which the control takes Enter as its own press (as GNOME's do): the dialog never
// sees the key unless the program catches it first.
class ThemeTakesEnter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        return key == Qt::Key_Return || key == Qt::Key_Enter;
    }
};

} // namespace tikkeli::test
