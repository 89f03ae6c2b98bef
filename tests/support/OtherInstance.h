#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QFile>
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

// Another program (the sqlite3 shell) with the file at path in the middle of a transaction that
// begin opened and that waits for commit(): "BEGIN IMMEDIATE; INSERT ..." is a save under way, its
// rollback journal beside the path; "BEGIN EXCLUSIVE;" holds the lock with nothing written.
class SaveUnderWay {
public:
    SaveUnderWay(const QString& path, const QString& begin) : m_journal(path + QStringLiteral("-journal"))
    {
        m_shell.start(QStringLiteral("sqlite3"), {path});
        EXPECT_TRUE(m_shell.waitForStarted(10000)) << "the sqlite3 shell (package sqlite3) is needed";
        m_shell.write(".timeout 5000\n" + begin.toUtf8() + "\n.print kesken\n");
        m_shell.waitForBytesWritten(10000);
        const QDeadlineTimer deadline(10000);
        while (!m_output.contains("kesken") && !deadline.hasExpired()) {
            m_shell.waitForReadyRead(100);
            m_output += m_shell.readAllStandardOutput();
        }
        EXPECT_TRUE(m_output.contains("kesken")) << "the other program's transaction is under way";
        m_journalBytes = journal();
    }
    QByteArray journal() const
    {
        QFile f(m_journal);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    bool journalUntouched() const { return journal() == m_journalBytes; }
    // Whether the other program's COMMIT went through without an error.
    bool commit()
    {
        m_shell.write("COMMIT;\n.quit\n");
        m_shell.waitForBytesWritten(10000);
        m_shell.closeWriteChannel();
        EXPECT_TRUE(m_shell.waitForFinished(20000));
        const QByteArray errors = m_shell.readAllStandardError();
        EXPECT_TRUE(errors.isEmpty()) << errors.toStdString();
        return m_shell.exitStatus() == QProcess::NormalExit && m_shell.exitCode() == 0 && errors.isEmpty();
    }

private:
    QString m_journal;
    QProcess m_shell;
    QByteArray m_output;
    QByteArray m_journalBytes;
};

} // namespace tikkeli::test
