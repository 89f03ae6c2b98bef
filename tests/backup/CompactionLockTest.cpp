#include "support/FailingFileSafety.h"
#include "support/MaintTestDb.h"
#include "support/OtherInstance.h"
#include "support/OtherProgramRestore.h"

#include "backup/BackupCompaction.h"
#include "backup/FolderBackup.h"
#include "base/ScriptedPrompter.h"
#include "base/SharedState.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstdio>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace tikkeli;

// Another program (a tool outside ours: no program of ours can have the file open meanwhile) saves
// a member at every file step of a compaction that replaces the club's file: one save that does not
// wait for the write lock, and one that waits as long as it takes. Whatever each is told, the club's
// file holds exactly the saves told made: none goes into the file the compaction leaves behind. A
// backup stopped right after its link left the previous name as a second name of the file itself,
// which the next backup looks at while it holds the lock. Where the file system refuses hard links,
// the previous file is a copy read through the lock's own handle, and the lock holds through it.
TEST(CompactionLock, NoOtherProgramCommitsBetweenTheCompactionsReadAndTheRename)
{
    const auto folderBackup = [](const QString&) {
        ScriptedPrompter p;
        FolderBackup::backup();
    };
    const auto stoppedAtLink = [&](const QString& path) {
        ASSERT_EQ(::link(qPrintable(path), qPrintable(FolderBackup::previousPath(path))), 0);
        folderBackup(path);
    };
    const auto stick = [](const QString& path) {
        EXPECT_EQ(BackupCompaction::run(path).outcome, BackupCompaction::Outcome::Done);
    };
    const struct {
        const char* name;
        std::function<void(const QString&)> run;
        bool hardLinks;
    } cases[] = {{"folder backup", folderBackup, true},
                 {"folder backup after a run stopped at its link", stoppedAtLink, true},
                 {"folder backup without hard links", folderBackup, false},
                 {"stick compaction", stick, true}};
    for (const auto& [name, run, hardLinks] : cases) {
        for (int at = 1, total = 1; at <= total; ++at) {
            test::MaintTestDb club;
            club.fill();
            State().BackupFolder = club.dir() + QStringLiteral("/Varmistus");
            QDir().mkpath(State().BackupFolder);
            test::FailingFileSafety files;
            test::OtherProcessCommit atOnce, waiting;
            files.fault = [&, hardLinks = hardLinks](FileStep step, const QString&) {
                if (files.steps() == at) {
                    waiting.start(club.path(), QStringLiteral("INSERT INTO jr (jrSukunimi) VALUES ('Odotti')"), 60000);
                    atOnce.start(club.path(), QStringLiteral("INSERT INTO jr (jrSukunimi) VALUES ('Heti')"), 0);
                    atOnce.committed();
                }
                return step == FileStep::Link && !hardLinks ? EPERM : 0;
            };
            run(club.path());
            total = files.steps();
            QStringList told;
            if (atOnce.committed())
                told << QStringLiteral("Heti");
            if (waiting.committed())
                told << QStringLiteral("Odotti");
            EXPECT_EQ(test::FileRows(club.path(), QStringLiteral("SELECT jrSukunimi FROM jr WHERE jrID > 3 ORDER BY 1"))
                          .toStdString(),
                      told.join(u'|').toStdString())
                << name << ", at step " << at << ": " << files.calls.value(at - 1).toStdString();
        }
    }
}
