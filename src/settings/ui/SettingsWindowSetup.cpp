#include "settings/ui/SettingsWindowSetup.h"

#include "app/ShellHooks.h"
#include "app/ui/WindowOpeners.h"
#include "settings/SettingsSaver.h"
#include "settings/ui/frmAsetukset.h"

#include <QApplication>
#include <QWidget>

namespace tikkeli {

void InstallSettingsWindow()
{
    WindowOpeners::set(MainCommand::Settings, [](QWidget*) { frmAsetukset::showSettings(); });
    ShellHooks::ShowMigrationSettingsDialog = [] { RunSettingsMigrationDialog(); };
    SettingsSaver::programServices().setMainCaption = [](const QString& caption) {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String("frmMain"))
                w->setWindowTitle(caption);
        }
    };
}

} // namespace tikkeli
