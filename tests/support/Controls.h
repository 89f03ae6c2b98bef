#pragma once

#include <QString>
#include <QObject>

#include <stdexcept>
#include <string>

namespace tikkeli::test {

// A control of a window by its object name. A missing control throws, which GoogleTest reports as
// the failure of the running test, so a renamed control never turns into a null dereference.
template <class T>
T* Control(const QObject& window, const QString& name)
{
    T* c = window.findChild<T*>(name);
    if (!c)
        throw std::runtime_error("no control " + name.toStdString());
    return c;
}

template <class T>
T* Control(const QObject& window, const char* name)
{
    return Control<T>(window, QString::fromLatin1(name));
}

} // namespace tikkeli::test
