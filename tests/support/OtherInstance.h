#pragma once

#include "base/ScriptedPrompter.h"
#include "db/ClubChanges.h"
#include "db/DatabaseFiles.h"
#include "support/OtherProgramRestore.h"
#include "support/TestThread.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <chrono>
#include <cstdio>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <thread>

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

// Another instance compacts the file as the folder backup does, on connections of its own: under
// the file's write lock the copy takes the file's name. beforeRename runs with the copy made.
inline void CompactAsAnotherProgram(const QString& path, const std::function<void()>& beforeRename = {})
{
    const QString copy = path + QStringLiteral(".tiivistetty");
    DatabaseWriteLock lock = DatabaseWriteLock::take(path, 5000);
    CompactDatabase(path, copy, &lock);
    if (beforeRename)
        beforeRename();
    EXPECT_EQ(std::rename(QFile::encodeName(copy).constData(), QFile::encodeName(path).constData()), 0);
}

// Runs the program's command after another instance compacted the file (or put another file in
// its place by replace), or (waits) while the other holds the lock with its copy made, renaming it
// a moment later: a save pressed before or during the other's backup. Whether the command went
// through, and whether a message or the hub told of a replaced file.
inline std::pair<bool, bool> CommandBesideCompaction(const QString& path, bool waits, const ScriptedPrompter& prompter,
                                                     const std::function<bool()>& command,
                                                     const std::function<void(const QString&)>& replace = {})
{
    int replaced = 0;
    QObject listener;
    QObject::connect(&ClubChanges::instance(), &ClubChanges::fileReplaced, &listener, [&] { ++replaced; });
    bool done = false;
    if (waits) {
        std::promise<void> locked;
        TestThread other([&] {
            CompactAsAnotherProgram(path, [&] {
                locked.set_value();
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
            });
        });
        locked.get_future().wait();
        done = command();
        other.join();
    } else {
        replace ? replace(path) : CompactAsAnotherProgram(path);
        done = command();
    }
    QCoreApplication::processEvents();
    return {done, replaced > 0 || prompter.anyMessageContains(ReplacedFileMessage)};
}

} // namespace tikkeli::test
