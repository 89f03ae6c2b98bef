#pragma once

#include <QString>
#include <QWidget>

#include <stdexcept>
#include <string>

namespace tikkeli::test {

// A control of a window by its object name. A missing control throws, which GoogleTest reports as
// the failure of the running test, so a renamed control never turns into a null dereference.
template <class T>
T* Control(const QWidget& window, const char* name)
{
    T* c = window.findChild<T*>(QString::fromLatin1(name));
    if (!c)
        throw std::runtime_error(std::string("no control ") + name);
    return c;
}

} // namespace tikkeli::test
