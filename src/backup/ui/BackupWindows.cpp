#include "backup/ui/BackupWindows.h"

#include "ui/FormRegistry.h"
#include "ui/WindowOpeners.h"
#include "backup/ui/frmBackup.h"
#include "backup/ui/frmBackupManagement.h"
#include "backup/ui/frmBackupRestore.h"
#include "backup/ui/frmService.h"

namespace tikkeli {

void RegisterBackupWindows()
{
    WindowOpeners::set(MainCommand::StickBackup,
                       [](QWidget*) { FormRegistry::open<frmBackup>(QStringLiteral("frmBackup")); });
    WindowOpeners::set(MainCommand::StickRestore,
                       [](QWidget*) { FormRegistry::open<frmBackupRestore>(QStringLiteral("frmBackupRestore")); });
    WindowOpeners::set(MainCommand::StickManagement,
                       [](QWidget*) { FormRegistry::open<frmBackupManagement>(QStringLiteral("frmBackupManagement")); });
    WindowOpeners::set(MainCommand::SupportFile, [](QWidget* mainWindow) {
        frmService dialog(mainWindow);
        dialog.exec();
    });
}

} // namespace tikkeli
