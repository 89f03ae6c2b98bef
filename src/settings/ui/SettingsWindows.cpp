#include "settings/ui/SettingsWindows.h"

#include "base/ProgramHooks.h"
#include "ui/WindowOpeners.h"
#include "settings/SettingsSaver.h"
#include "settings/ui/frmAsetukset.h"

#include <QApplication>
#include <QWidget>

namespace tikkeli {

void RegisterSettingsWindows()
{
    WindowOpeners::set(MainCommand::Settings, [](QWidget*) { frmAsetukset::showSettings(); });
    ProgramHooks::ShowMigrationSettingsDialog = [] { RunSettingsMigrationDialog(); };
    SettingsSaver::programServices().setMainCaption = [](const QString& caption) {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String("frmMain"))
                w->setWindowTitle(caption);
        }
    };
}

} // namespace tikkeli
