#pragma once

#include <QObject>

namespace tikkeli {

// The catch list changed outside the window that shows it (the species delete): the catch entry
// window follows this one signal and reads the list again.
class CatchEvents : public QObject {
    Q_OBJECT
public:
    static CatchEvents& instance();
    static void notifyChanged() { emit instance().catchesChanged(); }

signals:
    void catchesChanged();
};

} // namespace tikkeli
