#include "ui/FormRegistry.h"
#include "ui/WindowOpeners.h"
#include "backup/ui/BackupWindows.h"
#include "base/SharedState.h"

#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace tikkeli;

TEST(BackupWindowOpeners, EachCommandOpensItsOneWindow)
{
    State() = SharedState{};
    WindowOpeners::clear();
    RegisterBackupWindows();
    for (auto [command, name] :
         {std::pair{MainCommand::StickBackup, "frmBackup"}, std::pair{MainCommand::StickRestore, "frmBackupRestore"},
          std::pair{MainCommand::StickManagement, "frmBackupManagement"}}) {
        const WindowOpener* open = WindowOpeners::find(command);
        ASSERT_NE(open, nullptr) << name;
        (*open)(nullptr);
        QWidget* w = FormRegistry::find(QString::fromLatin1(name));
        ASSERT_NE(w, nullptr) << name;
        (*open)(nullptr);
        EXPECT_EQ(FormRegistry::find(QString::fromLatin1(name)), w) << name;
        w->close();
    }
    const WindowOpener* service = WindowOpeners::find(MainCommand::SupportFile);
    ASSERT_NE(service, nullptr);
    bool shown = false;
    QTimer::singleShot(0, [&] {
        QWidget* w = FormRegistry::find(QStringLiteral("frmService"));
        shown = w && w->isModal();
        if (w)
            w->close();
    });
    (*service)(nullptr);
    EXPECT_TRUE(shown);
    WindowOpeners::clear();
    QTest::qWait(10);
}
