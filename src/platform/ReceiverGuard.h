#pragma once

#include <QMetaObject>
#include <QMutex>
#include <QObject>

#include <atomic>
#include <memory>

namespace tikkeli {

// Lets work on a pool thread report to a QObject on the user-interface thread without ever
// reaching it after it is gone. The worker posts only while holding the mutex and only while a
// receiver is attached; the receiver detaches under the same mutex before it dies, and events
// already posted to it are discarded with it. Detaching also asks the work to stop.
class ReceiverGuard {
public:
    template <class Receiver>
    static std::shared_ptr<ReceiverGuard> attach(Receiver* receiver)
    {
        auto g = std::make_shared<ReceiverGuard>();
        g->m_receiver = receiver;
        return g;
    }

    // Queues f(receiver) onto the receiver's thread if it is still attached.
    template <class Receiver, class F>
    void post(F&& f)
    {
        QMutexLocker lock(&m_mutex);
        if (auto* r = static_cast<Receiver*>(m_receiver))
            QMetaObject::invokeMethod(
                r, [r, f = std::forward<F>(f)] { f(r); }, Qt::QueuedConnection);
    }

    void detach()
    {
        QMutexLocker lock(&m_mutex);
        m_receiver = nullptr;
        cancel = true;
    }

    std::atomic<bool> cancel{false};

private:
    QMutex m_mutex;
    QObject* m_receiver = nullptr;
};

} // namespace tikkeli
