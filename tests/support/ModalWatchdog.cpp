#include "support/ModalWatchdog.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace tikkeli::test {

namespace {

struct Claim {
    QPointer<QObject> owner;
    std::function<bool(QWidget*)> claims;
};

std::vector<Claim>& claimList()
{
    static std::vector<Claim> list;
    return list;
}

bool claimed(QWidget* modal)
{
    auto& list = claimList();
    std::erase_if(list, [](const Claim& c) { return c.owner.isNull(); });
    // A claim may add or end claims while it runs: walk a copy.
    const std::vector<Claim> now = list;
    for (const Claim& c : now)
        if (c.owner && c.claims(modal))
            return true;
    return false;
}

QString describe(QWidget* modal)
{
    QString text = QString::fromLatin1(modal->metaObject()->className());
    if (!modal->objectName().isEmpty())
        text += QStringLiteral(" \"%1\"").arg(modal->objectName());
    if (!modal->windowTitle().isEmpty())
        text += QStringLiteral(", title \"%1\"").arg(modal->windowTitle());
    if (auto* box = qobject_cast<QMessageBox*>(modal))
        text += QStringLiteral(", text \"%1\"").arg(box->text());
    return text;
}

class ModalWatchdog : public QObject {
public:
    explicit ModalWatchdog(QObject* parent) : QObject(parent)
    {
        m_timer.setInterval(20);
        connect(&m_timer, &QTimer::timeout, this, [this] { look(); });
        m_timer.start();
    }

private:
    void look()
    {
        QWidget* modal = QApplication::activeModalWidget();
        // A modal window a test showed itself and drives directly is no wait: only one open
        // while an event loop runs inside the code under test is.
        if (!modal || !modal->isVisible() || QThread::currentThread()->loopLevel() == 0) {
            m_seen = nullptr;
            return;
        }
        if (modal != m_seen || claimed(modal)) {
            m_seen = modal;
            m_since.restart();
            return;
        }
        if (m_since.elapsed() < UnscriptedModalGraceMs)
            return;
        m_seen = nullptr;
        ADD_FAILURE() << "A modal dialog the test did not script was shown: " << describe(modal).toStdString();
        // Unscripted dialogs that keep coming back mean the test cannot go on.
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        if (test != m_test) {
            m_test = test;
            m_closed = 0;
        }
        if (++m_closed > 20) {
            std::fprintf(stderr, "Unscripted modal dialogs keep coming: the test program stops.\n");
            std::abort();
        }
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    }

    QTimer m_timer;
    QPointer<QWidget> m_seen;
    QElapsedTimer m_since;
    const ::testing::TestInfo* m_test = nullptr;
    int m_closed = 0;
};

} // namespace

void ClaimModals(QObject* owner, std::function<bool(QWidget* modal)> claim)
{
    claimList().push_back(Claim{owner, std::move(claim)});
}

void InstallModalWatchdog()
{
    new ModalWatchdog(qApp);
}

} // namespace tikkeli::test
