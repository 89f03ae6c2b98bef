#pragma once

#include <QLineEdit>
#include <QObject>
#include <QString>
#include <stdexcept>

namespace tikkeli::test {

// A window's control found by its object name. A control that is missing (or of another class)
// fails the test with its name instead of handing a null pointer on.
template <class T>
T* control(const QObject* parent, const char* name)
{
    T* found = parent ? parent->findChild<T*>(QString::fromUtf8(name)) : nullptr;
    if (!found)
        throw std::runtime_error(std::string("no control ") + name);
    return found;
}

// The member card's box tYhteystiedot_<index>.
inline QLineEdit* cardBox(const QObject* window, int index)
{
    return control<QLineEdit>(window, QStringLiteral("tYhteystiedot_%1").arg(index).toUtf8().constData());
}

} // namespace tikkeli::test
