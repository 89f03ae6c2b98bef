#pragma once

#include "support/ModalWatchdog.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>

namespace tikkeli::test {

// Answers the next modal window of type T as soon as it is shown: answer runs on it once. Looks
// every 10 ms; after 20 s without one, whatever modal dialog is open is rejected, so that a test
// fails instead of hanging.
template <class T>
void WhenModalShown(std::function<void(T&)> answer)
{
    // Owned by the application, so a timer whose window never came is not lost when the test ends.
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, answer = std::move(answer)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* w = qobject_cast<T*>(modal)) {
            timer->stop();
            timer->deleteLater();
            answer(*w);
        } else if (++*tries > 2000) {
            timer->stop();
            timer->deleteLater();
            if (auto* d = qobject_cast<QDialog*>(modal))
                d->reject();
        }
    });
    timer->start();
    ClaimModals(timer, [](QWidget* modal) { return qobject_cast<T*>(modal) != nullptr; });
}

} // namespace tikkeli::test
