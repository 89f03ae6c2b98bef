#pragma once

#include "support/ModalWatchdog.h"

#include <QApplication>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>

namespace tikkeli::test {

// Answers the modal dialogs one after another as they come up; each step acts on one dialog.
// names lists the dialogs met, by object name.
class DialogScript {
public:
    using Step = std::function<void(QWidget*)>;
    explicit DialogScript(std::deque<Step> steps) : m_steps(std::move(steps))
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || modal == m_last || m_steps.empty() || !modal->isVisible())
                return;
            m_last = modal;
            names.push_back(modal->objectName());
            Step step = std::move(m_steps.front());
            m_steps.pop_front();
            step(modal);
        });
        m_timer.start();
        // While steps are left, the next new dialog is the script's to answer.
        ClaimModals(&m_timer, [this](QWidget* modal) { return !m_steps.empty() && modal != m_last; });
    }
    QStringList names;

private:
    std::deque<Step> m_steps;
    QTimer m_timer;
    QPointer<QWidget> m_last; // a later dialog may take a gone one's address
};

} // namespace tikkeli::test
