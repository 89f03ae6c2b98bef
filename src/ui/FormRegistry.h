#pragma once

#include <QString>
#include <functional>
#include <initializer_list>

class QWidget;

namespace tikkeli {

// The program's windows, each with at most one instance, found by objectName (the window's class
// name, "frmJasen"). Modeless windows opened here close with WA_DeleteOnClose; their own close
// handler saves their edits and placement.
class FormRegistry {
public:
    // True when a window of that exact name (case-sensitive) is loaded: shown, or kept hidden by
    // its owner.
    static bool IsFormLoaded(const QString& objectName);
    static QWidget* find(const QString& objectName);

    // The loaded window of that name brought to the front, or a new one made by create and shown
    // modeless. Exceptions of create propagate to the caller (the opener shows them).
    static QWidget* open(const QString& objectName, const std::function<QWidget*()>& create);
    template <class T, class... Args>
    static T* open(const QString& objectName, Args&&... args)
    {
        return static_cast<T*>(open(objectName, [&]() -> QWidget* { return new T(std::forward<Args>(args)...); }));
    }
    static void bringToFront(QWidget* window);

    // Closes every loaded window except `except` (one window or several) through its own close handler.
    // False as soon as one refuses (it and the windows not yet asked stay open).
    static bool CloseAllForms(const QWidget* except = nullptr);
    static bool CloseAllForms(std::initializer_list<const QWidget*> except);
};

// The routine name the other windows call.
inline bool IsFormLoaded(const QString& objectName)
{
    return FormRegistry::IsFormLoaded(objectName);
}

} // namespace tikkeli
