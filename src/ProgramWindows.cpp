#include "ProgramWindows.h"

#include "app/MaintenanceCommands.h"
#include "backup/FolderBackup.h"
#include "backup/ui/BackupWindows.h"
#include "catch/ui/CatchWindows.h"
#include "ui/FormRegistry.h"
#include "ui/WindowOpeners.h"
#include "contracts/ui/ContractWindows.h"
#include "invoicing/ui/InvoicingWindows.h"
#include "lists/ui/ListWindows.h"
#include "maps/ui/MapWindows.h"
#include "members/ui/MemberWindows.h"
#include "printing/ReportServices.h"
#include "printing/ui/ReportPrinting.h"
#include "settings/ui/SettingsWindows.h"

namespace tikkeli {

void RegisterWindowOpeners()
{
    InstallReportHooks();
    InstallReportOutput();
    RegisterSettingsWindows();
    RegisterBackupWindows();
    RegisterMemberWindows();
    RegisterInvoicingWindows();
    RegisterContractWindows();
    RegisterMapWindows();
    RegisterListWindows();
    RegisterCatchWindows();

    const auto command = [](void (*run)()) { return [run](QWidget*) { run(); }; };
    WindowOpeners::set(MainCommand::FolderBackup, command(&FolderBackup::backup));
    WindowOpeners::set(MainCommand::FolderRestore, command(&FolderBackup::restore));
    FolderBackup::CloseWindows = [] { return FormRegistry::CloseAllForms({FormRegistry::find(QStringLiteral("frmMain"))}); };
    WindowOpeners::set(MainCommand::ServiceCommandBox, command(&MaintenanceCommands::serviceCommandBox));
    WindowOpeners::set(MainCommand::RunSqlStatement, command(&MaintenanceCommands::sqlStatement));
    WindowOpeners::set(MainCommand::RepairDatabase, command(&MaintenanceCommands::databaseRepair));
    MaintenanceCommands::CloseWindows = [] {
        return FormRegistry::CloseAllForms({FormRegistry::find(QStringLiteral("frmMain"))});
    };
    // The conversions stay behind hidden menu entries: a maintenance user who needs them gets a
    // build that shows the entries, and the routines are ready.
    WindowOpeners::set(MainCommand::EuroConversion, command(&MaintenanceCommands::euroConversion));
    WindowOpeners::set(MainCommand::ReverseEuroConversion, command(&MaintenanceCommands::reverseEuroConversion));
}

} // namespace tikkeli
