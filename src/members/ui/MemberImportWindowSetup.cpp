#include "members/ui/MemberImportWindowSetup.h"

#include "app/ui/FormRegistry.h"
#include "app/ui/WindowOpeners.h"
#include "members/ui/frmImportData.h"

namespace tikkeli {

void InstallMemberImportWindow()
{
    WindowOpeners::set(MainCommand::ImportMembers,
                       [](QWidget*) { FormRegistry::open<frmImportData>(QStringLiteral("frmImportData")); });
}

} // namespace tikkeli
