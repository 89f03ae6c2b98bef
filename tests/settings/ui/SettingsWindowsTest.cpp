#include "settings/SettingsFixture.h"

#include "base/ProgramHooks.h"
#include "ui/FormRegistry.h"
#include "ui/WindowOpeners.h"
#include "settings/ui/SettingsWindows.h"
#include "settings/ui/frmAsetukset.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

using namespace tikkeli;
using namespace tikkeli::test;

TEST_F(SettingsFixture, MenuCommandOpensOneWindowAndTheSaveSetsTheMainCaption)
{
    RegisterSettingsWindows();
    const auto caption = SettingsSaver::programServices().setMainCaption;
    ASSERT_TRUE(caption);
    ASSERT_TRUE(ProgramHooks::ShowMigrationSettingsDialog);
    const WindowOpener* open = WindowOpeners::find(MainCommand::Settings);
    ASSERT_TRUE(open);

    QWidget mainWindow;
    mainWindow.setObjectName("frmMain");
    mainWindow.setWindowTitle("Tikkeli - Erä-Veikot ry");
    mainWindow.show();

    (*open)(&mainWindow);
    auto* first = qobject_cast<frmAsetukset*>(FormRegistry::find("frmAsetukset"));
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->isVisible());
    EXPECT_FALSE(first->isModal());
    (*open)(&mainWindow);
    EXPECT_EQ(FormRegistry::find("frmAsetukset"), first) << "a second click brings the same window forward";

    // The window saves through the program's services: keep the fixture's recorders but the real caption.
    SettingsSaver::Services s = services;
    s.setMainCaption = caption;
    SettingsSaver::programServices() = s;
    auto* name = first->findChild<QLineEdit*>("tNimi");
    auto* save = first->findChild<QPushButton*>("cTallenna");
    ASSERT_TRUE(name && save);
    name->setText("Karhu-Pojat ry");
    save->click();
    EXPECT_EQ(mainWindow.windowTitle(), "Tikkeli - Karhu-Pojat ry");
    EXPECT_EQ(stored("RegName"), "Karhu-Pojat ry");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(FormRegistry::IsFormLoaded("frmAsetukset"));

    WindowOpeners::clear();
    ProgramHooks::clear();
}
