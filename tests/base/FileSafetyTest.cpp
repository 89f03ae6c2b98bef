#include "base/FileSafety.h"
#include "support/FailingFileSafety.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <utility>
#include <vector>

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

// The file a path names is the one the system opens: each link followed from the folder it really
// lies in (a folder on the way may itself be a link), never by cleaning "x/../y" as text. A file
// written through the path lands there, and "decoy.mdb", which the path names when read as text,
// is never touched; a loop of links has no file and the write is refused.
TEST(FileSafety, APathNamesTheFileTheSystemOpens)
{
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, const char*>> links; // each link and what it points to
        std::vector<const char*> files;                         // files there before
        const char* path;
        std::vector<const char*> chain; // where each link on the way lies, the file last
        bool loop;
    };
    const Case cases[] = {
        {"a folder that is a link, and a relative link with .. in it",
         {{"home/Tikkeli", "@usb/Tikkeli"}, {"usb/Tikkeli/club.mdb", "../data/club.mdb"}},
         {"usb/data/club.mdb", "home/data/club.mdb"},
         "home/Tikkeli/club.mdb",
         {"usb/Tikkeli/club.mdb", "usb/data/club.mdb"},
         false},
        {"a file in a folder that is a link",
         {{"home/Tikkeli", "@usb/Tikkeli"}},
         {"usb/Tikkeli/club.mdb"},
         "home/Tikkeli/club.mdb",
         {"usb/Tikkeli/club.mdb"},
         false},
        {"a chain of two links across folders, the second in a linked folder",
         {{"a/seura.mdb", "../b/välissä.mdb"}, {"b", "usb/b"}, {"usb/b/välissä.mdb", "../c/kerho.mdb"}},
         {"usb/c/kerho.mdb", "c/kerho.mdb"},
         "a/seura.mdb",
         {"a/seura.mdb", "usb/b/välissä.mdb", "usb/c/kerho.mdb"},
         false},
        {"a link to a file not there yet, in a linked folder",
         {{"home/Tikkeli", "@usb/Tikkeli"}, {"usb/Tikkeli/uusi.mdb", "../data/uusi.mdb"}},
         {"home/data/uusi.mdb"},
         "home/Tikkeli/uusi.mdb",
         {"usb/Tikkeli/uusi.mdb", "usb/data/uusi.mdb"},
         false},
        {"a file not there yet, in a linked folder",
         {{"home/Tikkeli", "@usb/Tikkeli"}},
         {},
         "home/Tikkeli/uusi.mdb",
         {"usb/Tikkeli/uusi.mdb"},
         false},
        {"a loop of links through a linked folder",
         {{"home/Tikkeli", "@usb/Tikkeli"},
          {"usb/Tikkeli/silmukka", "../data/silmukka"},
          {"usb/data/silmukka", "../Tikkeli/silmukka"}},
         {"home/data/silmukka"},
         "home/Tikkeli/silmukka",
         {},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString root = QDir(dir.path()).canonicalPath();
        const auto at = [&](const char* relative) { return root + u'/' + QString::fromUtf8(relative); };
        for (const char* folder : {"home/data", "usb/Tikkeli", "usb/data", "usb/b", "usb/c", "a", "c"})
            QDir().mkpath(at(folder));
        for (const auto& [link, target] : c.links) {
            // "@x": the absolute path of x, as a mounted stick is linked to.
            const QString to = target[0] == '@' ? at(target + 1) : QString::fromUtf8(target);
            ASSERT_TRUE(QFile::link(to, at(link))) << link;
        }
        for (const char* file : c.files)
            put(at(file), "vanha");
        const QString path = at(c.path);

        const QStringList chain = FileSafety::linkChain(path);
        const QString behind = FileSafety::fileBehind(path);
        if (c.loop) {
            EXPECT_TRUE(QFileInfo(behind).isSymLink()) << behind.toStdString();
            EXPECT_LE(chain.size(), 41);
            EXPECT_TRUE(FileSafety::instance().writeFile(path, "uusi"));
        } else {
            QStringList expected;
            for (const char* place : c.chain)
                expected << at(place);
            EXPECT_EQ(chain.join(u'\n').toStdString(), expected.join(u'\n').toStdString());
            EXPECT_EQ(behind.toStdString(), expected.last().toStdString());
            EXPECT_FALSE(FileSafety::instance().writeFile(path, "uusi"));
            EXPECT_EQ(bytesOf(expected.last()), "uusi");
        }
        // The links stay links; every other file keeps what it had, and nothing is left beside it.
        for (const auto& [link, target] : c.links)
            EXPECT_TRUE(QFileInfo(at(link)).isSymLink()) << link;
        for (const char* file : c.files) {
            if (c.chain.empty() || at(file) != at(c.chain.back())) {
                EXPECT_EQ(bytesOf(at(file)), "vanha") << file;
            }
        }
        for (const char* folder : {"home/data", "usb/Tikkeli", "usb/data", "usb/c", "c"}) {
            for (const QString& name : filesIn(at(folder)))
                EXPECT_FALSE(name.startsWith(u'.')) << folder << '/' << name.toStdString();
        }
    }
}
