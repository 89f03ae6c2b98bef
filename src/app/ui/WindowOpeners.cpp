#include "app/ui/WindowOpeners.h"

#include "app/FolderBackup.h"
#include "app/MaintenanceCommands.h"
#include "backup/ui/BackupWindowOpeners.h"
#include "invoicing/ui/InvoiceWindowOpener.h"
#include "members/ui/FeatureWindowOpeners.h"
#include "members/ui/MemberImportWindowSetup.h"
#include "members/ui/MemberWindowOpener.h"
#include "printing/ReportServices.h"
#include "printing/ui/ReportPrinting.h"
#include "settings/ui/SettingsWindowSetup.h"

#include <map>

namespace tikkeli {

namespace {

std::map<MainCommand, WindowOpener>& openers()
{
    static std::map<MainCommand, WindowOpener> table;
    return table;
}

} // namespace

void WindowOpeners::set(MainCommand command, WindowOpener opener)
{
    if (opener)
        openers()[command] = std::move(opener);
    else
        openers().erase(command);
}

const WindowOpener* WindowOpeners::find(MainCommand command)
{
    const auto it = openers().find(command);
    return it == openers().end() ? nullptr : &it->second;
}

void WindowOpeners::clear()
{
    openers().clear();
}

void RegisterWindowOpeners()
{
    InstallReportHooks();
    InstallReportOutput();
    InstallSettingsWindow();
    RegisterBackupWindowOpeners();
    InstallMemberWindow();
    InstallMemberImportWindow();
    InstallFeatureWindows();
    InstallInvoiceWindow();

    const auto command = [](void (*run)()) { return [run](QWidget*) { run(); }; };
    WindowOpeners::set(MainCommand::FolderBackup, command(&FolderBackup::backup));
    WindowOpeners::set(MainCommand::FolderRestore, command(&FolderBackup::restore));
    WindowOpeners::set(MainCommand::ServiceCommandBox, command(&MaintenanceCommands::serviceCommandBox));
    WindowOpeners::set(MainCommand::RunSqlStatement, command(&MaintenanceCommands::sqlStatement));
    WindowOpeners::set(MainCommand::RepairDatabase, command(&MaintenanceCommands::databaseRepair));
    // The conversions stay behind hidden menu entries: a maintenance user who needs them gets a
    // build that shows the entries, and the routines are ready.
    WindowOpeners::set(MainCommand::EuroConversion, command(&MaintenanceCommands::euroConversion));
    WindowOpeners::set(MainCommand::ReverseEuroConversion, command(&MaintenanceCommands::reverseEuroConversion));

    // Each subsystem's window is added here as it arrives, for example:
    //   WindowOpeners::set(MainCommand::MemberRegister,
    //                      [](QWidget*) { FormRegistry::open<frmJasen>(QStringLiteral("frmJasen")); });
}

} // namespace tikkeli
