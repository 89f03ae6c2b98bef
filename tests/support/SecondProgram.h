#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace tikkeli::test {

// This test program started again as another running program of ours: only the tests filter names
// run in it, with the variables of roles added to this program's environment. Those tests are the
// other program's body; each skips itself where its variable is not set, as in this program.
inline std::unique_ptr<QProcess> StartSecondProgram(const QString& filter, const QProcessEnvironment& roles)
{
    auto program = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& name : roles.keys())
        env.insert(name, roles.value(name));
    program->setProcessEnvironment(env);
    program->setProcessChannelMode(QProcess::MergedChannels);
    program->start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=") + filter});
    EXPECT_TRUE(program->waitForStarted(10000));
    return program;
}

// Waits at most ms for what another program does; whether it came.
inline bool WaitFor(const std::function<bool()>& condition, int ms = 20000)
{
    const QDeadlineTimer deadline(ms);
    while (!condition() && !deadline.hasExpired())
        QThread::msleep(10);
    return condition();
}

} // namespace tikkeli::test
