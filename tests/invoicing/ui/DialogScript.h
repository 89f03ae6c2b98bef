#pragma once

#include "support/ModalWatchdog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QList>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <utility>

namespace tikkeli::test {

// Clicks through the modal dialogs as they come up: each entry names a dialog and the button to
// click in it ("" for the close box). Gives up after 30 seconds.
inline void answerDialogs(QList<std::pair<QString, QString>> steps)
{
    auto* timer = new QTimer(qApp); // goes with the application if steps are left unanswered
    auto remaining = std::make_shared<QList<std::pair<QString, QString>>>(std::move(steps));
    auto deadline = std::make_shared<QDeadlineTimer>(30000);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, remaining, deadline] {
        QWidget* modal = QApplication::activeModalWidget();
        if (remaining->isEmpty() || deadline->hasExpired()) {
            timer->deleteLater();
            return;
        }
        if (!modal || modal->objectName() != remaining->first().first)
            return;
        const QString button = remaining->takeFirst().second;
        if (button.isEmpty()) {
            modal->close();
            return;
        }
        if (auto* b = modal->findChild<QAbstractButton*>(button))
            b->click();
    });
    timer->start(10);
    // The dialog named next is the script's to answer.
    ClaimModals(timer, [remaining, deadline](QWidget* modal) {
        return !remaining->isEmpty() && !deadline->hasExpired() && modal->objectName() == remaining->first().first;
    });
}

} // namespace tikkeli::test
