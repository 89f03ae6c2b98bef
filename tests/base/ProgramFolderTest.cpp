#include "base/Folders.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

struct Layout {
    const char* name;
    std::vector<const char*> folders; // made under the root before the lookup
    const char* expected;             // relative to the root
};

} // namespace

// The program finds its files in the build tree beside itself and, installed, under the prefix's
// share/tikkeli; a folder without reports/ is no program folder.
TEST(ProgramFolderOf, BuildTreeAndInstalledPrefix)
{
    const std::vector<Layout> layouts = {
        {"build tree", {"build/bin/reports"}, "build/bin"},
        {"installed prefix", {"usr/bin", "usr/share/tikkeli/reports"}, "usr/share/tikkeli"},
        {"staged files win over an installed copy", {"usr/bin/reports", "usr/share/tikkeli/reports"}, "usr/bin"},
        {"share folder without reports", {"usr/bin", "usr/share/tikkeli/mallit"}, "usr/bin"},
        {"nothing anywhere", {"opt/bin"}, "opt/bin"},
    };
    for (const Layout& l : layouts) {
        QTemporaryDir root;
        ASSERT_TRUE(root.isValid());
        for (const char* f : l.folders)
            ASSERT_TRUE(QDir(root.path()).mkpath(QString::fromLatin1(f)));
        const QString first = QString::fromLatin1(l.folders.front());
        const QString executableFolder = root.filePath(first.endsWith(QLatin1String("/reports")) ? first.chopped(8) : first);
        EXPECT_EQ(ProgramFolderOf(executableFolder), QDir::cleanPath(root.filePath(QString::fromLatin1(l.expected))))
            << l.name;
    }
}
