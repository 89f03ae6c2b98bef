#pragma once

#include <QProcess>
#include <QString>
#include <gtest/gtest.h>

namespace tikkeli::test {

// Whether another program's commit, in a process of its own (the sqlite3 shell), was made: only
// between processes do SQLite's locks meet as between two instances of the program. It waits for
// the write lock at most waitMs; start() returns at once, committed() waits for the end.
class OtherProcessCommit {
public:
    void start(const QString& path, const QString& sql, int waitMs)
    {
        m_process.start(QStringLiteral("sqlite3"),
                        {QStringLiteral("-cmd"), QStringLiteral(".timeout %1").arg(waitMs), path, sql});
        m_started = m_process.waitForStarted(10000);
        EXPECT_TRUE(m_started) << "the sqlite3 shell (package sqlite3) is needed";
    }
    bool committed()
    {
        EXPECT_TRUE(m_started);
        EXPECT_TRUE(m_process.state() == QProcess::NotRunning || m_process.waitForFinished(60000));
        return m_started && m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }

private:
    QProcess m_process;
    bool m_started = false;
};

} // namespace tikkeli::test
