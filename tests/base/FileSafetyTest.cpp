#include "base/FileSafety.h"
#include "support/FailingFileSafety.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>

using namespace tikkeli;
using tikkeli::test::FailingFileSafety;

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void put(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QStringList filesIn(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

// Each operation, failed at each of its steps in turn by the test double: the failure is reported
// with the step's error, the target keeps its old content and no temporary file stays behind.
TEST(FileSafety, EveryStepOfEveryOperationFailsCleanly)
{
    struct Op {
        const char* name;
        std::function<std::optional<FileError>(const QString& dir)> run;
        const char* target;
    };
    const QByteArray big(3 << 20, 'u');
    const Op ops[] = {
        {"copy replacing",
         [](const QString& d) {
             return FileSafety::instance().copyFile(d + "/uusi", d + "/kohde", FileSafety::Existing::Replace);
         },
         "kohde"},
        {"write", [&](const QString& d) { return FileSafety::instance().writeFile(d + "/kohde", big); }, "kohde"},
        {"rename replacing",
         [](const QString& d) {
             return FileSafety::instance().rename(d + "/uusi", d + "/kohde", FileSafety::Existing::Replace);
         },
         "kohde"},
    };
    for (const Op& op : ops) {
        int total = 0;
        {
            QTemporaryDir dir;
            put(dir.filePath("kohde"), "vanha");
            put(dir.filePath("uusi"), big);
            FailingFileSafety count;
            ASSERT_FALSE(op.run(dir.path())) << op.name;
            total = count.steps();
            EXPECT_EQ(bytesOf(dir.filePath(op.target)), big) << op.name;
        }
        ASSERT_GE(total, 1) << op.name;
        for (int n = 1; n <= total; ++n) {
            QTemporaryDir dir;
            put(dir.filePath("kohde"), "vanha");
            put(dir.filePath("uusi"), big);
            const QStringList before = filesIn(dir.path());
            FailingFileSafety files;
            files.failAt = n;
            files.error = ENOSPC;
            const auto error = op.run(dir.path());
            const std::string step = files.calls.value(n - 1).toStdString();
            if (files.calls.value(n - 1).startsWith(QStringLiteral("syncfolder")))
                continue; // the name has changed already; its flush cannot undo that
            ASSERT_TRUE(error) << op.name << " at " << step;
            EXPECT_EQ(error->number, 61) << op.name << " at " << step;
            EXPECT_EQ(bytesOf(dir.filePath(op.target)), "vanha") << op.name << " at " << step;
            EXPECT_EQ(filesIn(dir.path()), before) << op.name << " at " << step;
        }
    }
}

TEST(FileSafety, KeepRefusesAnExistingTargetAndLinkGivesASecondName)
{
    QTemporaryDir dir;
    put(dir.filePath("a"), "aaa");
    put(dir.filePath("b"), "bbb");
    FileSafety& files = FileSafety::instance();
    auto e = files.rename(dir.filePath("a"), dir.filePath("b"), FileSafety::Existing::Keep);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->number, 58);
    EXPECT_EQ(bytesOf(dir.filePath("b")), "bbb");
    e = files.copyFile(dir.filePath("a"), dir.filePath("b"), FileSafety::Existing::Keep);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->number, 58);
    EXPECT_FALSE(files.link(dir.filePath("a"), dir.filePath("c")));
    EXPECT_EQ(bytesOf(dir.filePath("c")), "aaa");
    e = files.link(dir.filePath("a"), dir.filePath("b"));
    ASSERT_TRUE(e);
    EXPECT_EQ(e->number, 58);
    EXPECT_FALSE(files.remove(dir.filePath("puuttuu")));
    EXPECT_FALSE(files.remove(dir.filePath("c")));
    EXPECT_FALSE(QFile::exists(dir.filePath("c")));
}

TEST(FileSafety, TheDoubleStopsEveryStepFromItsStopOn)
{
    QTemporaryDir dir;
    FailingFileSafety files;
    files.stopAt = 2;
    EXPECT_FALSE(FileSafety::instance().makeFolder(dir.filePath("a")));    // step 1
    EXPECT_TRUE(FileSafety::instance().makeFolder(dir.filePath("b")));     // step 2: stopped
    EXPECT_TRUE(FileSafety::instance().writeFile(dir.filePath("c"), "x")); // still stopped
    EXPECT_TRUE(files.stopped());
    EXPECT_EQ(files.calls, (QStringList{"mkdir a", "mkdir b", "create c"}));
    EXPECT_TRUE(QDir(dir.filePath("a")).exists());
    EXPECT_FALSE(QDir(dir.filePath("b")).exists());
    EXPECT_FALSE(QFile::exists(dir.filePath("c")));
}
